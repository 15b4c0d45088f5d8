// Listening while thinking, in xboard protocol 2: "?" (move now), commands
// that end the engine's search, and analysis mode with its status line.
#pragma once

// Analysis mode: the engine searches the game position without end,
// showing its thinking, and searches again after every change of it.
// Written by "analyze", "exit" and the commands that change the position.
extern bool analysing;

// Set while the engine's own search must stop for a command, which then
// waits its turn; read by the engine's turn, which plays no move then.
extern bool search_interrupted;
// Set by "?": the engine's turn plays the best move found so far.
extern bool move_now;

// Polled by the engine's own search in protocol 2.
bool engine_search_must_stop();

// The analysis search, when one is due and no input waits; true when it ran.
bool analysis_turn();

// Marks the position as new, so that analysis searches it again.
void position_changed();

void cmd_analyze(const char* line);
void cmd_exit(const char* line);
void cmd_status(const char* line);  // "."
