// The strong board's 16-bit move: from, to and kind.
#pragma once
#include <cstdint>

#include "common/chess.h"

namespace strong {

// Bits 0-5 from, 6-11 to, 12-15 kind. 0 is no move (a8 to a8). A castling
// move is the king's two-square step (e1g1, e8c8); en passant names the
// square the capturing pawn lands on. The promotion kinds equal the piece
// codes KNIGHT..QUEEN, so the promoted piece is the kind itself.
using Move = std::uint16_t;

constexpr Move NO_MOVE = 0;

constexpr int NORMAL = 0;
constexpr int PROMOTE_KNIGHT = 1;
constexpr int PROMOTE_BISHOP = 2;
constexpr int PROMOTE_ROOK = 3;
constexpr int PROMOTE_QUEEN = 4;
constexpr int EN_PASSANT = 5;
constexpr int CASTLE = 6;
static_assert(PROMOTE_KNIGHT == KNIGHT && PROMOTE_BISHOP == BISHOP && PROMOTE_ROOK == ROOK && PROMOTE_QUEEN == QUEEN);

constexpr Move make_move16(int from, int to, int kind = NORMAL) {
    return static_cast<Move>(from | (to << 6) | (kind << 12));
}
constexpr int move_from(Move m) { return m & 63; }
constexpr int move_to(Move m) { return (m >> 6) & 63; }
constexpr int move_kind(Move m) { return m >> 12; }
constexpr bool is_promotion(Move m) { return move_kind(m) >= PROMOTE_KNIGHT && move_kind(m) <= PROMOTE_QUEEN; }
// The piece a promotion makes (KNIGHT..QUEEN); EMPTY for any other move.
constexpr int promotion_piece(Move m) { return is_promotion(m) ? move_kind(m) : EMPTY; }

}  // namespace strong
