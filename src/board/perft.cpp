// Counting the leaves of the legal-move tree, the check of generation and make/unmake.
#include "board/perft.h"

#include <cstdio>
#include <cstdlib>

#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/snapshot.h"
#include "board/state.h"

namespace {

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
        PositionSnapshot before;
        if constexpr (SLOW_CHECKS) before = take_snapshot();
        if (!make_move(move)) {
            if constexpr (SLOW_CHECKS)
                if (take_snapshot() != before) fail("a refused move changed the position", move);
            continue;
        }
        if constexpr (SLOW_CHECKS)
            if (!position_is_ok()) fail("inconsistent position", move);
        nodes += depth == 1 ? 1 : perft(depth - 1);
        unmake_move();
        if constexpr (SLOW_CHECKS)
            if (take_snapshot() != before) fail("take-back did not restore the position", move);
    }
    return nodes;
}
