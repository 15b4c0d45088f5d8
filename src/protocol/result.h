// The announcement of game results.
#pragma once

// Prints the mate, stalemate or draw line of the game position, if any.
void report_result();
