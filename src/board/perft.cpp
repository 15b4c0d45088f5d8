// Counting the leaves of the legal-move tree, the check of generation and make/unmake.
#include "board/perft.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"

namespace {

struct StateCopy {
    int color[64], piece[64];
    int side, other, castle, ep, clock, sply, hply;
    std::uint32_t hash;
};

void take_copy(StateCopy& s) {
    std::memcpy(s.color, square_color, sizeof s.color);
    std::memcpy(s.piece, square_piece, sizeof s.piece);
    s.side = side_to_move;
    s.other = side_not_to_move;
    s.castle = castle_rights;
    s.ep = ep_square;
    s.clock = halfmove_clock;
    s.sply = search_ply;
    s.hply = history_ply;
    s.hash = position_hash;
}

bool same_as(const StateCopy& s) {
    return std::memcmp(s.color, square_color, sizeof s.color) == 0 &&
           std::memcmp(s.piece, square_piece, sizeof s.piece) == 0 && s.side == side_to_move &&
           s.other == side_not_to_move && s.castle == castle_rights && s.ep == ep_square &&
           s.clock == halfmove_clock && s.sply == search_ply && s.hply == history_ply && s.hash == position_hash;
}

[[noreturn]] void fail(const char* what, Move move) {
    std::fprintf(stderr, "perft: %s after move %08x at ply %d\n", what, static_cast<unsigned>(move), search_ply);
    std::abort();
}

}  // namespace

std::uint64_t perft(int depth) {
    if (depth <= 0) return 1;
    if (!generate_moves()) return 0;
    const int ply = search_ply;
    std::uint64_t nodes = 0;
    for (int i = ply_first_move[ply]; i < ply_first_move[ply + 1]; ++i) {
        const Move move = move_list[i].move;
        StateCopy before;
        if constexpr (SLOW_CHECKS) take_copy(before);
        if (!make_move(move)) {
            if constexpr (SLOW_CHECKS)
                if (!same_as(before)) fail("a refused move changed the position", move);
            continue;
        }
        if constexpr (SLOW_CHECKS)
            if (!position_is_ok()) fail("inconsistent position", move);
        nodes += depth == 1 ? 1 : perft(depth - 1);
        unmake_move();
        if constexpr (SLOW_CHECKS)
            if (!same_as(before)) fail("take-back did not restore the position", move);
    }
    return nodes;
}
