// Analysis mode of protocol 2: the engine searches the game position
// without end and starts again after every change of it; "." asks how far
// it has come.
#pragma once
#include "xboard/session.h"

// Runs the analysis search when one is owed and no line waits; true when it ran.
bool analysis_turn(XboardSession& session);

// Marks the position as new, so that analysis searches it again.
void position_changed(XboardSession& session);

void cmd_analyze(XboardSession& session, const char* line);
void cmd_exit(XboardSession& session, const char* line);
void cmd_status(XboardSession& session, const char* line);  // "."
