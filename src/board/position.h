// The one game position: board, side to move, move stack, game history, geometry.
#pragma once
#include <cstdint>

#include "board/bitboard.h"

#ifndef TAVRIN_SLOW_CHECKS
#define TAVRIN_SLOW_CHECKS 0
#endif
// Recompute-from-scratch checks after make and unmake (debug and sanitizer builds).
constexpr bool SLOW_CHECKS = TAVRIN_SLOW_CHECKS != 0;

// Colours and pieces; EMPTY marks an empty square in both board arrays.
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

// Move flags, byte 3 of a Move.
constexpr int MOVE_CAPTURE = 1;
constexpr int MOVE_CASTLE = 2;
constexpr int MOVE_EN_PASSANT = 4;
constexpr int MOVE_DOUBLE_PUSH = 8;
constexpr int MOVE_PAWN = 16;
constexpr int MOVE_PROMOTION = 32;

// Capacities of the fixed tables.
constexpr int MOVE_LIST_SIZE = 1120;
constexpr int MAX_PLY = 32;
// The game history holds the longest game the rules allow (8,848 moves under
// the seventy-five-move rule) with room for a search on top.
constexpr int HISTORY_SIZE = 18000;

// A move packed in 32 bits: from | to << 8 | promotion << 16 | flags << 24.
// Every generated move is positive (flags < 64) and non-zero (from != to),
// so 0 means "no move" and -1 can mean "no answer" where a Move is returned.
using Move = std::int32_t;

constexpr Move pack_move(int from, int to, int promotion, int flags) {
    return from | (to << 8) | (promotion << 16) | (flags << 24);
}
constexpr int move_from(Move m) { return m & 255; }
constexpr int move_to(Move m) { return (m >> 8) & 255; }
constexpr int move_promotion(Move m) { return (m >> 16) & 255; }
constexpr int move_flags(Move m) { return (m >> 24) & 255; }

struct ScoredMove {
    Move move;
    std::int32_t score;  // ordering score; the search selects the highest first
};

// Everything make_move changes that cannot be recomputed from the move itself.
struct UndoRecord {
    Move move;
    std::int32_t captured;  // piece that stood on `to`, EMPTY if none
    std::int32_t castle_rights;
    std::int32_t ep_square;
    std::int32_t halfmove_clock;
    std::uint32_t hash;
    std::int32_t check_status[2];  // check_status before the move
};

// Geometry: a 10x12 board with a two-row, one-column border of -1.
extern const int border_board[120];
extern const int square_to_border[64];
extern const int piece_slides[6];
extern const int piece_direction_count[6];
extern const int piece_directions[6][8];
extern const int castle_keep_mask[64];
extern const int initial_color[64];
extern const int initial_piece[64];

// The position. Square 0 is a8, 63 is h1; White moves towards lower numbers.
// Written by reset_position, load_fen, make_move and unmake_move, and:
// - side_to_move and side_not_to_move also by the colour commands, which
//   hand over the move without rehashing: position_hash keeps the old side's
//   key until the next move is made;
// - search_ply also by the search driver and the game commands, which set
//   it back to 0 at the root. Game moves raise it and take-backs lower it
//   with history_ply, so an undo at the root takes it below 0 until then.
extern int square_color[64];
extern int square_piece[64];
extern int side_to_move;
extern int side_not_to_move;
extern int castle_rights;
extern int ep_square;  // square passed over by the last double push, or -1
extern int halfmove_clock;
extern std::uint32_t position_hash;
extern int search_ply;
extern int history_ply;

// Moves of ply p: move_list[ply_first_move[p]] up to move_list[ply_first_move[p + 1]].
extern ScoredMove move_list[MOVE_LIST_SIZE];
extern int ply_first_move[MAX_PLY];
extern UndoRecord game_history[HISTORY_SIZE];
extern int history_score[64][64];

// Derived from the two board arrays and kept in step by make_move and
// unmake_move. Code that writes the board arrays directly must call
// rebuild_board_state before anything reads the position.
extern Bitboard color_bitboard[2];      // squares of each colour
extern Bitboard piece_bitboard[2][6];   // squares of each colour's pieces of each kind
extern int piece_count[2][6];
extern std::uint32_t piece_hash;        // the piece keys of compute_hash, without side and en passant
// Whether each colour's king is attacked: 1 or 0, -1 until side_in_check asks.
extern int check_status[2];

// The square of the colour's king, -1 if it has none (the first of two that
// a test has put down).
inline int king_square(int colour) {
    const Bitboard kings = piece_bitboard[colour][KING];
    return kings ? lowest_square(kings) : -1;
}
