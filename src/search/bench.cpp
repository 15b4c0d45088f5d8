// The bench: fixed-depth searches of a fixed list of positions; their total
// node count is the engine's signature, and nodes per second its speed.
#include "search/bench.h"

#include <chrono>
#include <cstdio>

#include "board/fen.h"
#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"
#include "search/driver.h"
#include "search/search.h"

bool run_bench(BenchTotals& totals) {
    init_zobrist();
    reset_position();
    // The book would make the result depend on a file and on chance.
    book_allowed = false;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;

    using Clock = std::chrono::steady_clock;
    totals = {0, 0};
    int number = 0;
    for (const BenchPosition& position : bench_positions) {
        ++number;
        if (const char* error = load_fen(position.fen)) {
            std::fprintf(stderr, "bench: position %d: %s\n", number, error);
            return false;
        }
        depth_limit = position.depth;
        const auto start = Clock::now();
        choose_move(OUTPUT_SILENT);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        totals.nodes += node_count;
        totals.seconds += seconds;
        std::printf("%2d  depth %2d  nodes %12llu  time %7.0f ms  %s\n", number, position.depth,
                    static_cast<unsigned long long>(node_count), seconds * 1000, position.fen);
        std::fflush(stdout);
    }
    book_allowed = true;
    depth_limit = 0;
    time_budget_ms = 0;
    return true;
}
