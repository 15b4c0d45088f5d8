// Choosing the engine's move: the book first, then iterative deepening under a clock.
#include "search/driver.h"

#include <csetjmp>
#include <cstdio>

#include "book/book.h"
#include "board/make_move.h"
#include "protocol/move_text.h"
#include "search/clock.h"
#include "search/search.h"

std::int32_t time_budget_ms;
std::int32_t depth_limit;
std::int32_t search_start_ms;
std::int32_t search_deadline_ms;
int search_aborted;

namespace {

// The search frames hold only plain values, so a long jump out of them is
// safe, and unlike an exception it allocates nothing.
std::jmp_buf abort_point;

void print_thinking_line(int depth, int score) {
    const std::int32_t elapsed = static_cast<std::int32_t>(elapsed_ms(search_start_ms, clock_ms()));
    std::printf("%d %d %d %llu", depth, score, elapsed / 10, static_cast<unsigned long long>(node_count));
    for (int j = 0; j < pv_length[0]; ++j) std::printf(" %s", move_to_text(pv_table[0][j]));
    std::printf("\n");
    std::fflush(stdout);
}

}  // namespace

void choose_move(int output_mode) {
    // 1. A book move is played without searching.
    pv_table[0][0] = book_probe();
    if (pv_table[0][0] != -1) return;

    // 2.-3. At the deadline control comes back here: take back what the
    // abandoned calls had played and keep the best root move so far.
    search_aborted = 0;
    if (setjmp(abort_point) != 0) {
        while (search_ply != 0) unmake_move();
        return;
    }

    // 4. A fresh search.
    search_start_ms = clock_ms();
    // A negative budget counts as none.
    const std::uint32_t budget = time_budget_ms > 0 ? static_cast<std::uint32_t>(time_budget_ms) : 0u;
    search_deadline_ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(search_start_ms) + budget);
    search_ply = 0;
    node_count = 0;
    for (auto& row : pv_table)
        for (Move& cell : row) cell = 0;
    for (auto& row : history_score)
        for (int& cell : row) cell = 0;

    // 5. Iterative deepening; only the clock ends a timed search.
    for (int depth = 1; depth <= depth_limit; ++depth) {
        follow_pv = 1;
        const int score = alpha_beta(-MATE_SCORE, MATE_SCORE, depth);
        if (output_mode == 2) print_thinking_line(depth, score);
        if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) break;
    }
}

// Time since the start is compared with the deadline's distance from the
// start, so a search that straddles the wrap of the 32-bit clock still ends
// on time.
void poll_clock() {
    if (elapsed_ms(search_start_ms, clock_ms()) < elapsed_ms(search_start_ms, search_deadline_ms)) return;
    search_aborted = 1;
    std::longjmp(abort_point, 1);
}
