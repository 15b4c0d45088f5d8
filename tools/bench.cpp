// bench: fixed-depth searches of a fixed list of positions; the node total is
// the engine's signature, and nodes per second its speed.
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "bench_positions.h"
#include "board/fen.h"
#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "search/driver.h"
#include "search/search.h"

int main() {
    init_zobrist();
    reset_position();
    // The book would make the result depend on a file and on chance.
    book_file = nullptr;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;

    using Clock = std::chrono::steady_clock;
    std::uint64_t total_nodes = 0;
    double total_seconds = 0;
    int number = 0;
    for (const BenchPosition& position : bench_positions) {
        ++number;
        if (const char* error = load_fen(position.fen)) {
            std::fprintf(stderr, "bench: position %d: %s\n", number, error);
            return 1;
        }
        depth_limit = position.depth;
        const auto start = Clock::now();
        choose_move(0);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        total_nodes += node_count;
        total_seconds += seconds;
        std::printf("%2d  depth %2d  nodes %12llu  time %7.0f ms  %s\n", number, position.depth,
                    static_cast<unsigned long long>(node_count), seconds * 1000, position.fen);
        std::fflush(stdout);
    }
    std::printf("\nTotal nodes   %llu\n", static_cast<unsigned long long>(total_nodes));
    std::printf("Total time    %.0f ms\n", total_seconds * 1000);
    std::printf("Nodes/second  %.0f\n", total_seconds > 0 ? static_cast<double>(total_nodes) / total_seconds : 0.0);
    return 0;
}
