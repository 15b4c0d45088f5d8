// The engine's own turn, "go" and "hint", and how its thinking is shown.
#pragma once

// Chooses and plays the engine's move; without one, falls into force mode.
void engine_turn();
void cmd_go(const char* line);
void cmd_hint(const char* line);

// Prints a finished iteration as "depth score centiseconds nodes pv..." and
// flushes it, so the interface sees it while the search goes on.
struct Iteration;
void print_thinking_line(const Iteration& iteration);
