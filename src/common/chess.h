// The codes both engines and the front ends share: colours, pieces, the
// squares that castling names, castling rights; and the slow-checks switch.
#pragma once
#include <iterator>

#ifndef TAVRIN_SLOW_CHECKS
#define TAVRIN_SLOW_CHECKS 0
#endif
// Recompute-from-scratch checks after make and unmake (debug and sanitizer builds).
constexpr bool SLOW_CHECKS = TAVRIN_SLOW_CHECKS != 0;

// Colours and pieces; EMPTY marks an empty square.
constexpr int WHITE = 0;
constexpr int BLACK = 1;
constexpr int PAWN = 0;
constexpr int KNIGHT = 1;
constexpr int BISHOP = 2;
constexpr int ROOK = 3;
constexpr int QUEEN = 4;
constexpr int KING = 5;
constexpr int EMPTY = 6;
static_assert(EMPTY == 6 && KING == 5 && (WHITE ^ 1) == BLACK);

// The squares that castling names. Square 0 is a8, 63 is h1.
constexpr int A8 = 0, B8 = 1, C8 = 2, D8 = 3, E8 = 4, F8 = 5, G8 = 6, H8 = 7;
constexpr int A1 = 56, B1 = 57, C1 = 58, D1 = 59, E1 = 60, F1 = 61, G1 = 62, H1 = 63;

constexpr int CASTLE_WHITE_KINGSIDE = 1;
constexpr int CASTLE_WHITE_QUEENSIDE = 2;
constexpr int CASTLE_BLACK_KINGSIDE = 4;
constexpr int CASTLE_BLACK_QUEENSIDE = 8;

// The castling rights left after a move from or to each square: a king or a
// rook leaving home, or a rook taken there, loses its rights.
inline constexpr int castle_keep_mask[64] = {
     7, 15, 15, 15,  3, 15, 15, 11,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    13, 15, 15, 15, 12, 15, 15, 14,
};
static_assert(std::size(castle_keep_mask) == 64);
