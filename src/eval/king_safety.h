// King safety: placement, pawn shelter and open central files, faded with enemy material.
#pragma once

constexpr int FULL_PIECE_MATERIAL = 3120;            // one side's pieces at the start
constexpr int CENTRAL_KING_OPEN_FILE_PENALTY = 10;   // per pawnless file around a d/e king

extern const int king_table[];  // 64 entries, White's side

// The king term of the king on `square`, scaled by the enemy's piece_material.
// Valid only inside evaluate, after its first pass.
int eval_white_king(int square);
int eval_black_king(int square);

// Shelter value (0 down to -40) of pawn_file_rank index k (file + 1, 1..8)
// for the White or the Black king.
int white_shelter_file(int k);
int black_shelter_file(int k);

// The part of the king term that the pawns alone decide, for a king on
// `file` (0..7), before scaling; the plural forms fill it in for all eight
// files at once. Valid only after evaluate's first pass.
int white_king_shelter(int file);
int black_king_shelter(int file);
void white_king_shelters(int* by_file);
void black_king_shelters(int* by_file);

// The king term: table value and shelter, scaled by the enemy's piece
// material; the division truncates toward zero.
inline int scaled_king_term(int table_value, int shelter, int enemy_material) {
    return (table_value + shelter) * enemy_material / FULL_PIECE_MATERIAL;
}
