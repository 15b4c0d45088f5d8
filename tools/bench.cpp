// bench: the engine's signature (the classic search's node total over a
// fixed list of positions at fixed depths) and its speed.
#include <cstdio>

#include "search/bench.h"

int main() {
    BenchTotals totals;
    if (!run_bench(totals)) return 1;
    std::printf("\nTotal nodes   %llu\n", static_cast<unsigned long long>(totals.nodes));
    std::printf("Total time    %.0f ms\n", totals.seconds * 1000);
    std::printf("Nodes/second  %.0f\n", totals.seconds > 0 ? static_cast<double>(totals.nodes) / totals.seconds : 0.0);
    return 0;
}
