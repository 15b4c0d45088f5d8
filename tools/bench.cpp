// bench: the engines' signatures (each search's node total over a fixed list
// of positions at fixed depths) and their speed: the classic search first,
// then the strong one.
#include <cstdio>

#include "search/bench.h"
#include "strong/bench.h"

namespace {

void print_totals(const char* name, std::uint64_t nodes, double seconds) {
    std::printf("\n%s\nTotal nodes   %llu\n", name, static_cast<unsigned long long>(nodes));
    std::printf("Total time    %.0f ms\n", seconds * 1000);
    std::printf("Nodes/second  %.0f\n", seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0);
}

}  // namespace

int main() {
    BenchTotals classic;
    if (!run_bench(classic)) return 1;
    print_totals("Classic search", classic.nodes, classic.seconds);
    std::printf("\n");
    strong::BenchTotals strong_totals;
    if (!strong::run_bench(strong_totals)) return 1;
    print_totals("Strong search", strong_totals.nodes, strong_totals.seconds);
    return 0;
}
