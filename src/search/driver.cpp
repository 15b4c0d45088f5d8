// Choosing the engine's move: the book first, then iterative deepening under a clock.
#include "search/driver.h"

#include <csetjmp>

#include "board/make_move.h"
#include "book/book.h"
#include "search/clock.h"
#include "search/search.h"

std::int32_t time_budget_ms;
std::int32_t depth_limit;
int iteration_depth;
void (*iteration_reporter)(void* context, const Iteration& iteration);
void* iteration_report_context;
bool book_allowed = true;
bool chosen_from_book;

namespace {

void report_iteration(int depth, int score) {
    if (iteration_reporter == nullptr) return;
    const Iteration iteration = {depth,      score,        static_cast<std::int32_t>(elapsed_ms(search_start_ms, clock_ms())),
                                 node_count, pv_table[0], pv_length[0]};
    iteration_reporter(iteration_report_context, iteration);
}

}  // namespace

void choose_move(int output_mode) {
    // 1. A book move is played without searching.
    pv_table[0][0] = book_allowed ? book_probe() : -1;
    chosen_from_book = pv_table[0][0] != -1;
    if (chosen_from_book) return;

    // 2. At the deadline control comes back here: take back what the
    //    abandoned calls had played and keep the best root move so far.
    if (setjmp(abort_point) != 0) {
        while (search_ply != 0) unmake_move();
        return;
    }

    // 3. A fresh search.
    start_search_clock(time_budget_ms);
    search_ply = 0;
    node_count = 0;
    for (auto& row : pv_table)
        for (Move& cell : row) cell = 0;
    for (auto& row : history_score)
        for (int& cell : row) cell = 0;

    // 4. Iterative deepening; only the clock ends a timed search, and a
    //    forced mate for either side ends the deepening.
    for (int depth = 1; depth <= depth_limit; ++depth) {
        iteration_depth = depth;
        follow_pv = 1;
        const int score = alpha_beta(-MATE_SCORE, MATE_SCORE, depth);
        if (output_mode == OUTPUT_THINKING) report_iteration(depth, score);
        if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) break;
    }
}
