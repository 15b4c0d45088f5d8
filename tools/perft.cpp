// perft FEN|startpos DEPTH [--divide]: leaf counts of the legal-move tree.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: perft FEN|startpos DEPTH [--divide]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) return usage();
    const bool divide = argc == 4 && std::strcmp(argv[3], "--divide") == 0;
    if (argc == 4 && !divide) return usage();
    char* end = nullptr;
    const long depth = std::strtol(argv[2], &end, 10);
    if (*end || depth < 0 || depth > 20) {
        std::fprintf(stderr, "perft: depth must be a number from 0 to 20\n");
        return 2;
    }

    init_zobrist();
    reset_position();
    if (std::strcmp(argv[1], "startpos") != 0) {
        if (const char* error = load_fen(argv[1])) {
            std::fprintf(stderr, "perft: %s\n", error);
            return 2;
        }
    }

    const auto start = std::chrono::steady_clock::now();
    std::uint64_t total = 0;
    if (divide && depth > 0) {
        generate_moves();
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
            const Move move = move_list[i].move;
            if (!make_move(move)) continue;
            const std::uint64_t nodes = perft(static_cast<int>(depth) - 1);
            unmake_move();
            std::printf("%s %llu\n", move_to_text(move), static_cast<unsigned long long>(nodes));
            total += nodes;
        }
    } else {
        total = perft(static_cast<int>(depth));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu\n", static_cast<unsigned long long>(total));
    std::fprintf(stderr, "%.3f s, %.0f nodes/s\n", seconds, seconds > 0 ? static_cast<double>(total) / seconds : 0.0);
    return 0;
}
