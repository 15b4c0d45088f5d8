// The terms of the static evaluation: its weights and tables, the scratch
// that a call condenses the pawns and material into, and the per-pawn and
// per-rook terms that the pawn cache and the evaluation share.
#pragma once
#include "board/position.h"

constexpr int DOUBLED_PAWN_PENALTY = 25;       // an own pawn stands behind it on its file
constexpr int ISOLATED_PAWN_PENALTY = 25;      // no own pawn on either neighbouring file
constexpr int BACKWARD_PAWN_PENALTY = 10;      // behind the rearmost own pawn of both neighbours
constexpr int PASSED_PAWN_STEP = 20;           // passed-pawn bonus per row advanced
constexpr int ROOK_OPEN_FILE_BONUS = 15;       // no pawn of either colour on the file
constexpr int ROOK_HALF_OPEN_FILE_BONUS = 10;  // enemy pawns but no own pawn on the file
constexpr int ROOK_SEVENTH_RANK_BONUS = 15;    // on the enemy's second row
// Enemy piece_material at or below which a king centralises instead of sheltering.
constexpr int ENDGAME_PIECE_MATERIAL = 1300;

// Constant tables, 64 entries each except piece_value (6, by piece code).
// Piece-square tables are from White's side; Black reads them through mirror_square.
extern const int piece_value[];
extern const int mirror_square[];  // s ^ 56: same file, rank reflected
extern const int pawn_table[];
extern const int knight_table[];
extern const int bishop_table[];
extern const int king_endgame_table[];

// Scratch set by every evaluate() and read only during that call (and by
// the pawn cache while it fills an entry). pawn_file_rank[c][file + 1] holds the row of the least advanced
// pawn of colour c on the file: 0 means no White pawn, 7 no Black pawn;
// indices 0 and 9 are pawnless sentinel files so neighbours need no bounds test.
extern int pawn_file_rank[2][10];
extern int piece_material[2];  // non-pawn material per colour
extern int pawn_material[2];   // 100 per pawn

// Positional score (no material) of the pawn on `square`; valid only inside
// evaluate, after its first pass has built pawn_file_rank.
int eval_white_pawn(int square);
int eval_black_pawn(int square);

// File bonus of a rook of `color` on pawn_file_rank index k (file + 1):
// open, half-open or none. Valid only inside evaluate, after its first pass.
int rook_file_bonus(int k, int color);
