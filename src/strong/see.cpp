// Static exchange evaluation on the strong board: the material balance of
// the captures and recaptures on one square.
#include "strong/see.h"

#include <algorithm>

namespace strong {

namespace {

constexpr int PROMOTION_GAIN = SEE_VALUE[QUEEN] - SEE_VALUE[PAWN];

// A pawn that lands on `to` promotes: the first and last rows.
constexpr Bitboard PROMOTION_ROWS = row_bits(0) | row_bits(7);

}  // namespace

int see(const Position& pos, Move m) {
    const int kind = move_kind(m);
    if (kind == CASTLE) return 0;
    const int from = move_from(m), to = move_to(m);
    const int us = pos.side;

    // 1. The first capture, which the move fixes.
    Bitboard occupied = pos.occupied ^ square_bit(from);
    int gain[33];
    int on_square = piece_type(pos.board[from]);  // the piece that now stands on `to`
    if (kind == EN_PASSANT) {
        occupied ^= square_bit(to + (us == WHITE ? 8 : -8));
        gain[0] = SEE_VALUE[PAWN];
    } else {
        gain[0] = pos.board[to] == NO_PIECE ? 0 : SEE_VALUE[piece_type(pos.board[to])];
    }
    if (is_promotion(m)) {
        on_square = promotion_piece(m);
        gain[0] += SEE_VALUE[on_square] - SEE_VALUE[PAWN];
    }

    // 2. The replies, least valuable attacker first. gain[d] is what the side
    //    making capture d has won if the other side stops there.
    const Bitboard diagonal = pos.pieces[WHITE][BISHOP] | pos.pieces[BLACK][BISHOP] | pos.pieces[WHITE][QUEEN] |
                              pos.pieces[BLACK][QUEEN];
    const Bitboard straight = pos.pieces[WHITE][ROOK] | pos.pieces[BLACK][ROOK] | pos.pieces[WHITE][QUEEN] |
                              pos.pieces[BLACK][QUEEN];
    Bitboard attackers = attackers_to(pos, to, occupied) & occupied;
    int side = us ^ 1;
    int depth = 0;
    for (;;) {
        const Bitboard mine = attackers & pos.colors[side];
        if (!mine) break;
        int piece = PAWN;
        while (!(mine & pos.pieces[side][piece])) ++piece;
        // A king may not take where the other side would take it back.
        if (piece == KING && (attackers & pos.colors[side ^ 1])) break;
        const Bitboard attacker = mine & pos.pieces[side][piece];
        occupied ^= attacker & (0 - attacker);  // the lowest such piece leaves its square
        ++depth;
        gain[depth] = SEE_VALUE[on_square] - gain[depth - 1];
        on_square = piece;
        if (piece == PAWN && (square_bit(to) & PROMOTION_ROWS)) {
            gain[depth] += PROMOTION_GAIN;
            on_square = QUEEN;
        }
        // Sliders behind the piece that left join in.
        if (piece == PAWN || piece == BISHOP || piece == QUEEN) attackers |= bishop_attacks(to, occupied) & diagonal;
        if (piece == ROOK || piece == QUEEN) attackers |= rook_attacks(to, occupied) & straight;
        attackers &= occupied;
        side ^= 1;
    }

    // 3. Back up the line: each side takes the better of stopping and going on.
    while (depth > 0) {
        gain[depth - 1] = -std::max(-gain[depth - 1], gain[depth]);
        --depth;
    }
    return gain[0];
}

bool see_ge(const Position& pos, Move m, int threshold) {
    const int kind = move_kind(m);
    if (kind == CASTLE) return threshold <= 0;
    const int to = move_to(m);
    // Off the promotion rows, with no promotion in the move, the mover wins
    // at most what it takes, and at least that less its own piece.
    if (kind == NORMAL && !(square_bit(to) & PROMOTION_ROWS)) {
        const int taken = pos.board[to] == NO_PIECE ? 0 : SEE_VALUE[piece_type(pos.board[to])];
        if (taken < threshold) return false;
        if (taken - SEE_VALUE[piece_type(pos.board[move_from(m)])] >= threshold) return true;
    }
    return see(pos, m) >= threshold;
}

}  // namespace strong
