// The strong search's bench: fixed-depth searches of a fixed list of
// positions on one thread; their total node count is its signature.
#include "strong/bench.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "strong/search.h"

namespace strong {

bool run_bench(BenchTotals& totals) {
    using Clock = std::chrono::steady_clock;
    const auto engine = std::make_unique<Engine>();
    const auto pos = std::make_unique<Position>();
    totals = {};
    int number = 0;
    for (const BenchPosition& position : bench_positions) {
        ++number;
        if (!set_fen(*pos, position.fen)) {
            std::fprintf(stderr, "bench: strong position %d does not load: %s\n", number, position.fen);
            return false;
        }
        clear_hash(*engine);
        SearchLimits limits;
        limits.depth = position.depth;
        const auto start = Clock::now();
        const Result result = think(*engine, *pos, limits, {});
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        totals.nodes += result.nodes;
        totals.seconds += seconds;
        std::printf("%2d  depth %2d  nodes %12llu  time %7.0f ms  %s\n", number, position.depth,
                    static_cast<unsigned long long>(result.nodes), seconds * 1000, position.fen);
        std::fflush(stdout);
    }
    return true;
}

}  // namespace strong
