// Choosing the engine's move: the book first, then iterative deepening under a clock.
#pragma once
#include <cstdint>

#include "board/position.h"

// The depth that a time control allows: deeper than any search reaches in time.
constexpr int SEARCH_DEPTH_FOR_TIME = 16;
// The budget that makes the depth alone bound a search (2^25 ms, over nine hours).
constexpr std::int32_t DEPTH_ONLY_BUDGET_MS = 33554432;

// Output modes of choose_move.
constexpr int OUTPUT_SILENT = 0;
constexpr int OUTPUT_THINKING = 2;  // one report per finished iteration

// The limits of the next search, 0 until a front end sets them. Written
// only by the front ends' time commands; read by choose_move.
extern std::int32_t time_budget_ms;
extern std::int32_t depth_limit;

// The depth of the iteration under way, for status reports; written by choose_move.
extern int iteration_depth;

// What a finished iteration reports: its depth, its root score from the
// side to move's view, the milliseconds since the search began, the nodes so
// far, and its principal variation.
struct Iteration {
    int depth;
    int score;
    std::int32_t elapsed_ms;
    std::uint64_t nodes;
    const Move* pv;
    int pv_length;
};

// Receives each finished iteration in OUTPUT_THINKING mode. Set by the
// front end, which decides how thinking is shown; null shows nothing.
extern void (*iteration_reporter)(const Iteration& iteration);

// Leaves the chosen move in pv_table[0][0] (0 for none), with the position
// and search_ply as they were. A book move comes back at once, unreported.
void choose_move(int output_mode);
