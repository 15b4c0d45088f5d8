// The xboard front end: its command tables, the commands of the game, and
// the loop that reads and carries out lines.
#pragma once
#include "xboard/session.h"

// Carries out one line as the loop does: "protover", the command its first
// word names in the version's table, or else a move. False once "quit"
// has been read.
bool carry_out_line(XboardSession& session, const char* line);

// Carries out `first_line` (read by start-up, which looked for "uci" in it),
// then reads and carries out lines until "quit" or the end of input,
// taking the engine's turns and analysing in between.
void run_xboard(XboardSession& session, const char* first_line);
