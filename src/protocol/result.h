// The announcement of game results.
#pragma once

#include "protocol/game.h"

// Prints the mate, stalemate or draw line of the game position, if any.
void report_result(RepetitionRule rule);
