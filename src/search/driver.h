// Choosing the engine's move: the book first, then iterative deepening under a clock.
#pragma once
#include <cstdint>

#include "board/position.h"
#include "search/limits.h"

// Output modes of choose_move.
constexpr int OUTPUT_SILENT = 0;
constexpr int OUTPUT_THINKING = 2;  // one report per finished iteration

// The limits of the next search, 0 until set. Written only by the game
// layer, from the limits a front end hands it; read by choose_move.
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

// Receives each finished iteration in OUTPUT_THINKING mode, with
// iteration_report_context. Set by the game layer; null shows nothing.
extern void (*iteration_reporter)(void* context, const Iteration& iteration);
extern void* iteration_report_context;

// Whether choose_move asks the book first; written by the game layer.
extern bool book_allowed;
// Whether the last choose_move took its move from the book.
extern bool chosen_from_book;

// Leaves the chosen move in pv_table[0][0] (0 for none), with the position
// and search_ply as they were. A book move comes back at once, unreported.
void choose_move(int output_mode);
