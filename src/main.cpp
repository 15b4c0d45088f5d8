// The engine's entry: banner, hash keys, start position and book, then the
// front end that the first line asks for.
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "game/book_path.h"
#include "game/game.h"
#include "io/input.h"
#include "io/tokens.h"
#include "search/bench.h"
#include "strong/bench.h"
#include "uci/uci.h"
#include "version.h"
#include "xboard/commands.h"

namespace {

double nodes_per_second(std::uint64_t nodes, double seconds) {
    return seconds > 0 ? static_cast<double>(nodes) / seconds : 0.0;
}

// "tavrin bench": both searches' signatures and speeds, the classic one
// first; the strong one last, as the node count and the nodes per second on
// two lines of their own, which is what testing frameworks read.
int bench() {
    BenchTotals classic;
    if (!run_bench(classic)) return 1;
    std::printf("classic search: %llu nodes %.0f nps\n\n", static_cast<unsigned long long>(classic.nodes),
                nodes_per_second(classic.nodes, classic.seconds));
    strong::BenchTotals totals;
    if (!strong::run_bench(totals)) return 1;
    std::printf("%llu nodes\n%.0f nps\n", static_cast<unsigned long long>(totals.nodes),
                nodes_per_second(totals.nodes, totals.seconds));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-v") == 0)) {
        std::printf("Tavrin %s\n", TAVRIN_VERSION);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "bench") == 0) return bench();
    std::printf("Tavrin %s\n", TAVRIN_VERSION);
    std::printf("10.02.2005\n");
    std::printf("Chess programm by the Tavrin developers\n");
    std::printf("http://www.example.org/tavrin/\n");
    std::printf("mail to:tavrin@example.org\n");
    game_start();
    std::printf(open_shipped_book() ? "Book version 1.0.\n" : "Book is not open.\n");

    // The interface may send an interrupt before each of its moves.
    std::signal(SIGINT, SIG_IGN);
    std::printf("\n");
    game_new();
    std::fflush(stdout);

    // The first line is read as protocol 1 reads: at most 255 characters.
    char first_line[256];
    if (!read_line_piece(first_line, sizeof first_line)) return 0;
    char word[8];
    if (take_first_word(first_line, word, sizeof word) && std::strcmp(word, "uci") == 0) {
        const auto session = std::make_unique<UciSession>();
        run_uci(*session);
    } else {
        const auto session = std::make_unique<XboardSession>();
        run_xboard(*session, first_line);
    }
    std::fflush(stdout);
    return 0;
}
