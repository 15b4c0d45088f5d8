// The one game position, its mutable state: board, side to move, move stack,
// game history; and the geometry of the bordered board.
#pragma once
#include <cstdint>

#include "board/types.h"
#include "common/bitboard.h"

// Geometry: a 10x12 board with a two-row, one-column border of -1.
extern const int border_board[120];
extern const int square_to_border[64];
extern const int piece_slides[6];
extern const int piece_direction_count[6];
extern const int piece_directions[6][8];
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
