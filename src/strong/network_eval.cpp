// The learned evaluation on the strong board: a position's features, and the
// accumulators the search keeps along its line, one per ply.
#include "strong/network_eval.h"

#include <bit>
#include <cassert>
#include <cstring>

#include "strong/tt.h"

namespace strong {

namespace {

void take_off(nnue::FeatureDelta& d, int code, int square) {
    d.removed[d.removed_count][0] = code;
    d.removed[d.removed_count][1] = square;
    ++d.removed_count;
}

void put_on(nnue::FeatureDelta& d, int code, int square) {
    d.added[d.added_count][0] = code;
    d.added[d.added_count][1] = square;
    ++d.added_count;
}

int clamp_score(int score) {
    constexpr int LIMIT = SCORE_MATE_IN_MAX - 1;
    return score < -LIMIT ? -LIMIT : score > LIMIT ? LIMIT : score;
}

}  // namespace

nnue::FeatureDelta move_delta(const Position& pos, Move m) {
    nnue::FeatureDelta d;
    if (m == NO_MOVE) return d;
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);
    const int moving = pos.board[from];
    take_off(d, moving, from);
    if (kind == EN_PASSANT) {
        const int taken_square = to + (pos.side == WHITE ? 8 : -8);
        take_off(d, pos.board[taken_square], taken_square);
    } else if (pos.board[to] != NO_PIECE) {
        take_off(d, pos.board[to], to);
    }
    put_on(d, is_promotion(m) ? make_piece(pos.side, promotion_piece(m)) : moving, to);
    if (kind == CASTLE) {
        // The king's two-square step; the rook jumps over it.
        const bool kingside = to > from;
        const int rook_from = kingside ? from + 3 : from - 4, rook_to = kingside ? from + 1 : from - 1;
        take_off(d, pos.board[rook_from], rook_from);
        put_on(d, pos.board[rook_from], rook_to);
    }
    return d;
}

void refresh_accumulator(const nnue::Network& net, const Position& pos, nnue::Accumulator& acc) {
    nnue::refresh(net, pos.board, acc);
}

int evaluate_network(const nnue::Network& net, const Position& pos) {
    nnue::Accumulator acc;
    refresh_accumulator(net, pos, acc);
    return clamp_score(nnue::evaluate(net, acc, pos.side, std::popcount(pos.occupied)));
}

void network_reset(NetworkStack& stack, const nnue::Network& net, const Position& root) {
    refresh_accumulator(net, root, stack.acc[0]);
    stack.computed[0] = true;
}

void network_push(NetworkStack& stack, int ply, const Position& pos, Move m) {
    assert(ply >= 0 && ply + 1 < NETWORK_STACK_SIZE);
    stack.delta[ply + 1] = move_delta(pos, m);
    stack.computed[ply + 1] = false;
}

int network_evaluate(NetworkStack& stack, const nnue::Network& net, const Position& pos, int ply) {
    int done = ply;
    while (!stack.computed[done]) --done;
    for (int p = done + 1; p <= ply; ++p) {
        nnue::apply_delta(net, stack.acc[p - 1], stack.delta[p], stack.acc[p]);
        stack.computed[p] = true;
    }
    if constexpr (SLOW_CHECKS) {
        nnue::Accumulator fresh;
        refresh_accumulator(net, pos, fresh);
        assert(std::memcmp(&fresh, &stack.acc[ply], sizeof fresh) == 0);
    }
    return clamp_score(nnue::evaluate(net, stack.acc[ply], pos.side, std::popcount(pos.occupied)));
}

}  // namespace strong
