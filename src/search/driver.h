// Choosing the engine's move: the book first, then iterative deepening under a clock.
#pragma once
#include <cstdint>

constexpr int SEARCH_DEPTH_FOR_TIME = 16;
constexpr std::int32_t DEPTH_ONLY_BUDGET_MS = 33554432;

// Written by the time commands, read by choose_move; 0 until the first of them.
extern std::int32_t time_budget_ms;
extern std::int32_t depth_limit;

extern std::int32_t search_start_ms;
extern std::int32_t search_deadline_ms;
extern int search_aborted;

// Leaves the chosen move in pv_table[0][0] (0 for none), with the position
// and search_ply as they were. Mode 2 prints a thinking line per iteration.
void choose_move(int output_mode);

// Returns while time remains; at the deadline abandons the whole search.
void poll_clock();
