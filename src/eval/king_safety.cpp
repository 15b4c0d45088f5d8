// King safety: placement, pawn shelter and open central files, faded with enemy material.
#include "eval/king_safety.h"

#include <iterator>

#include "eval/terms.h"

// Home row first, castled squares best; anywhere up the board is exposed.
constexpr int king_table[] = {
    -40, -40, -40, -40, -40, -40, -40, -40,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -40, -40, -40, -40, -40, -40, -40, -40,
    -20, -20, -20, -20, -20, -20, -20, -20,
      0,  20,  30, -20,   0, -20,  40,  20,
};
static_assert(std::size(king_table) == 64);

// Own pawn: unmoved is best, one step is a small hole, none or further is
// worse. Enemy pawn: none means a file open for attack, one close by means
// a storm is coming.
int white_shelter_file(int k) {
    const int own = pawn_file_rank[WHITE][k];
    const int enemy = pawn_file_rank[BLACK][k];
    int value = own == 6 ? 0 : own == 5 ? -10 : own == 0 ? -25 : -20;
    value += enemy == 7 ? -15 : enemy == 5 ? -10 : enemy == 4 ? -5 : 0;
    return value;
}

int black_shelter_file(int k) {
    const int own = pawn_file_rank[BLACK][k];
    const int enemy = pawn_file_rank[WHITE][k];
    int value = own == 1 ? 0 : own == 2 ? -10 : own == 7 ? -25 : -20;
    value += enemy == 0 ? -15 : enemy == 2 ? -10 : enemy == 3 ? -5 : 0;
    return value;
}

// Penalty for the pawnless files among file - 1, file, file + 1 (d or e king).
static int central_open_files(int file) {
    int penalty = 0;
    for (int k = file; k <= file + 2; ++k)
        if (pawn_file_rank[WHITE][k] == 0 && pawn_file_rank[BLACK][k] == 7)
            penalty += CENTRAL_KING_OPEN_FILE_PENALTY;
    return penalty;
}

// The pawn part of the king term from the shelter values of the files
// (indexed 1..8 like pawn_file_rank): the shelter of its wing, or the open
// files around a central king. The far file of the wing counts half;
// halving is `/ 2`, which rounds the never-positive shelter values toward
// zero (-25 gives -12), as a shift would not.
static int king_shelter(const int* file_shelter, int file) {
    if (file <= 2) return file_shelter[1] + file_shelter[2] + file_shelter[3] / 2;
    if (file >= 5) return file_shelter[8] + file_shelter[7] + file_shelter[6] / 2;
    return -central_open_files(file);
}

// The shelter of every file once, then the king's part for every file.
template <int (*shelter_file)(int)>
static void king_shelters(int* by_file) {
    int file_shelter[10] = {};
    for (int k = 1; k <= 8; ++k) file_shelter[k] = shelter_file(k);
    for (int file = 0; file < 8; ++file) by_file[file] = king_shelter(file_shelter, file);
}

void white_king_shelters(int* by_file) { king_shelters<white_shelter_file>(by_file); }
void black_king_shelters(int* by_file) { king_shelters<black_shelter_file>(by_file); }

int white_king_shelter(int file) {
    int by_file[8];
    white_king_shelters(by_file);
    return by_file[file];
}

int black_king_shelter(int file) {
    int by_file[8];
    black_king_shelters(by_file);
    return by_file[file];
}

int eval_white_king(int square) {
    return scaled_king_term(king_table[square], white_king_shelter(square % 8), piece_material[BLACK]);
}

int eval_black_king(int square) {
    return scaled_king_term(king_table[mirror_square[square]], black_king_shelter(square % 8), piece_material[WHITE]);
}
