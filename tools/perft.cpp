// perft FEN|startpos DEPTH [--divide] [--strong]: leaf counts of the legal-move
// tree, on the classic board or, with --strong, on the strong board.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "strong/movegen.h"
#include "strong/notation.h"
#include "strong/perft.h"
#include "strong/position.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

int usage() {
    std::fprintf(stderr, "usage: perft FEN|startpos DEPTH [--divide] [--strong]\n");
    return 2;
}

std::uint64_t classic_count(const char* fen, int depth, bool divide) {
    init_zobrist();
    reset_position();
    if (const char* error = load_fen(fen)) {
        std::fprintf(stderr, "perft: %s\n", error);
        std::exit(2);
    }
    if (!divide || depth == 0) return perft(depth);
    std::uint64_t total = 0;
    generate_moves();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        const Move move = move_list[i].move;
        if (!make_move(move)) continue;
        const std::uint64_t nodes = perft(depth - 1);
        unmake_move();
        std::printf("%s %llu\n", move_to_text(move), static_cast<unsigned long long>(nodes));
        total += nodes;
    }
    return total;
}

std::uint64_t strong_count(const char* fen, int depth, bool divide) {
    // The position holds its whole undo stack: too large for the stack.
    const auto pos = std::make_unique<strong::Position>();
    if (!strong::set_fen(*pos, fen)) {
        std::fprintf(stderr, "perft: bad FEN\n");
        std::exit(2);
    }
    if (!divide || depth == 0) return strong::perft(*pos, depth);
    std::uint64_t total = 0;
    strong::MoveList list;
    strong::generate_all(*pos, list);
    for (const strong::Move m : list) {
        strong::make(*pos, m);
        const std::uint64_t nodes = strong::perft(*pos, depth - 1);
        strong::unmake(*pos);
        std::printf("%s %llu\n", strong::move_to_uci(m).c_str(), static_cast<unsigned long long>(nodes));
        total += nodes;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) return usage();
    bool divide = false, use_strong = false;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--divide") == 0)
            divide = true;
        else if (std::strcmp(argv[i], "--strong") == 0)
            use_strong = true;
        else
            return usage();
    }
    char* end = nullptr;
    const long depth = std::strtol(argv[2], &end, 10);
    if (*end || depth < 0 || depth > 20) {
        std::fprintf(stderr, "perft: depth must be a number from 0 to 20\n");
        return 2;
    }
    const char* fen = std::strcmp(argv[1], "startpos") == 0 ? START_FEN : argv[1];

    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t total = use_strong ? strong_count(fen, static_cast<int>(depth), divide)
                                           : classic_count(fen, static_cast<int>(depth), divide);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%llu\n", static_cast<unsigned long long>(total));
    std::fprintf(stderr, "%.3f s, %.0f nodes/s\n", seconds, seconds > 0 ? static_cast<double>(total) / seconds : 0.0);
    return 0;
}
