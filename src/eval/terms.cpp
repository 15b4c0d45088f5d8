// The terms of the static evaluation: its weights and tables, the scratch
// that a call condenses the pawns and material into, and the per-pawn and
// per-rook terms that the pawn cache and the evaluation share.
#include "eval/terms.h"

#include <iterator>

constexpr int piece_value[] = {100, 305, 330, 475, 900, 0};
static_assert(std::size(piece_value) == 6 && KING == 5);

constexpr int mirror_square[] = {
    56, 57, 58, 59, 60, 61, 62, 63,
    48, 49, 50, 51, 52, 53, 54, 55,
    40, 41, 42, 43, 44, 45, 46, 47,
    32, 33, 34, 35, 36, 37, 38, 39,
    24, 25, 26, 27, 28, 29, 30, 31,
    16, 17, 18, 19, 20, 21, 22, 23,
     8,  9, 10, 11, 12, 13, 14, 15,
     0,  1,  2,  3,  4,  5,  6,  7,
};
static_assert(std::size(mirror_square) == 64);

// Rows 0 and 7 never hold a pawn; the centre pawns are urged off their home squares.
constexpr int pawn_table[] = {
      0,   0,   0,   0,   0,   0,   0,   0,
      5,  10,  15,  20,  20,  15,  10,   5,
      4,   8,  12,  16,  16,  12,   8,   4,
      3,   6,   9,  12,  12,   9,   6,   3,
      2,   4,   6,   8,   8,   6,   4,   2,
      1,   2,   3, -10, -10,   3,   2,   1,
      0,   0,  -5, -30, -30,   0,  -1,   0,
      0,   0,   0,   0,   0,   0,   0,   0,
};
static_assert(std::size(pawn_table) == 64);

// b1 and g1 differ by one so that, other things equal, the king's knight develops first.
constexpr int knight_table[] = {
    -10, -10, -10, -10, -10, -10, -10, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   5,   5,   5,   5,   0, -10,
    -10,   0,   5,  11,  11,   5,   0, -10,
    -10,   0,   5,  10,  10,   5,   0, -10,
    -10,   0,   6,   5,   5,   6,   0, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10, -30, -10, -10, -10, -10, -31, -10,
};
static_assert(std::size(knight_table) == 64);

// Likewise f1 is one worse than c1: the king's side clears first, ready to castle.
constexpr int bishop_table[] = {
    -10, -10, -10, -10, -10, -10, -10, -10,
    -10,   0,   0,   0,   0,   0,   0, -10,
    -10,   0,   5,   5,   5,   5,   0, -10,
    -10,   5,   5,  10,  10,   5,   5, -10,
    -10,   0,   6,  10,  10,   6,   0, -10,
    -10,   0,   5,   5,   5,   5,   0, -10,
    -10,   0,   0,   0,   0,   0,   2, -10,
    -10, -10, -20, -10, -10, -21, -10, -10,
};
static_assert(std::size(bishop_table) == 64);

// With few enemy pieces left the king belongs in the centre.
constexpr int king_endgame_table[] = {
     0, 10, 20, 30, 30, 20, 10,  0,
    10, 20, 30, 40, 40, 30, 20, 10,
    20, 30, 40, 50, 50, 40, 30, 20,
    30, 40, 50, 60, 60, 50, 40, 30,
    30, 40, 50, 60, 60, 50, 40, 30,
    20, 30, 40, 50, 50, 40, 30, 20,
    10, 20, 30, 40, 40, 30, 20, 10,
     0, 10, 20, 30, 30, 20, 10,  0,
};
static_assert(std::size(king_endgame_table) == 64);

// The two tables that follow a formula are checked against it.
constexpr bool tables_follow_their_formulas() {
    for (int s = 0; s < 64; ++s) {
        const int row = s / 8, file = s % 8;
        const int to_edge_file = file < 7 - file ? file : 7 - file;
        const int to_edge_row = row < 7 - row ? row : 7 - row;
        if (mirror_square[s] != (s ^ 56)) return false;
        if (king_endgame_table[s] != 10 * (to_edge_file + to_edge_row)) return false;
    }
    return true;
}
static_assert(tables_follow_their_formulas());

int pawn_file_rank[2][10];
int piece_material[2];
int pawn_material[2];

int rook_file_bonus(int k, int color) {
    const int own = pawn_file_rank[color][k];
    const int enemy = pawn_file_rank[color ^ 1][k];
    const int own_none = color == WHITE ? 0 : 7;
    const int enemy_none = color == WHITE ? 7 : 0;
    if (own != own_none) return 0;
    return enemy == enemy_none ? ROOK_OPEN_FILE_BONUS : ROOK_HALF_OPEN_FILE_BONUS;
}

int eval_white_pawn(int square) {
    const int r = square / 8;
    const int k = square % 8 + 1;
    const int* own = pawn_file_rank[WHITE];
    const int* enemy = pawn_file_rank[BLACK];
    int score = pawn_table[square];
    if (own[k] > r) score -= DOUBLED_PAWN_PENALTY;
    if (own[k - 1] == 0 && own[k + 1] == 0)
        score -= ISOLATED_PAWN_PENALTY;
    else if (r > own[k - 1] && r > own[k + 1])  // an empty neighbour file reads as "ahead"
        score -= BACKWARD_PAWN_PENALTY;
    if (r <= enemy[k - 1] && r <= enemy[k] && r <= enemy[k + 1]) score += PASSED_PAWN_STEP * (7 - r);
    return score;
}

int eval_black_pawn(int square) {
    const int r = square / 8;
    const int k = square % 8 + 1;
    const int* own = pawn_file_rank[BLACK];
    const int* enemy = pawn_file_rank[WHITE];
    int score = pawn_table[mirror_square[square]];
    if (own[k] < r) score -= DOUBLED_PAWN_PENALTY;
    if (own[k - 1] == 7 && own[k + 1] == 7)
        score -= ISOLATED_PAWN_PENALTY;
    else if (r < own[k - 1] && r < own[k + 1])
        score -= BACKWARD_PAWN_PENALTY;
    if (r >= enemy[k - 1] && r >= enemy[k] && r >= enemy[k + 1]) score += PASSED_PAWN_STEP * r;
    return score;
}
