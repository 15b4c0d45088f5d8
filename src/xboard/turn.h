// The engine's own turn, "go" and "hint", and what the engine hears while
// it thinks on its turn.
#pragma once
#include "xboard/session.h"

// Chooses and plays the engine's move; without one, falls into force mode.
void engine_turn(XboardSession& session);

void cmd_go(XboardSession& session, const char* line);
void cmd_hint(XboardSession& session, const char* line);
