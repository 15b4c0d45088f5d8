// What the xboard front end prints of the game and the engine's thinking.
#pragma once
#include "xboard/session.h"

// "depth score centiseconds nodes pv...", flushed so that the interface
// sees it while the search goes on. `context` is the session.
void print_thinking_line(void* context, const IterationReport& iteration);

// The mate, stalemate or draw line of the game position, if any.
void report_result(const XboardSession& session);

// A line heard during a search that found no room to wait for its turn.
void print_dropped_line(void* context, const char* line);
