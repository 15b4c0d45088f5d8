// The classic evaluation on the strong board, with a pawn cache the caller owns.
//
// The terms, tables and constants are those of eval/: the tables and
// constants are read from its headers; the term functions there read the
// shared scratch pawn_file_rank, so they are written again here over a local
// copy, rule for rule, and the tests hold the two to the same scores.
#include "strong/classic_eval.h"

#include <cassert>
#include <cstring>
#include <type_traits>

#include "eval/evaluate.h"
#include "eval/king_safety.h"

namespace strong {

namespace {

// pawn_file_rank's layout: [colour][file + 1], the row of the least advanced
// pawn; 0 means no White pawn, 7 no Black pawn; files 0 and 9 are pawnless
// sentinels.
using FileRank = int[2][10];

void build_file_rank(Bitboard white_pawns, Bitboard black_pawns, FileRank& rank) {
    for (int k = 0; k < 10; ++k) {
        rank[WHITE][k] = 0;
        rank[BLACK][k] = 7;
    }
    for (Bitboard b = white_pawns; b;) {
        const int s = pop_lowest_square(b);
        if ((s >> 3) > rank[WHITE][(s & 7) + 1]) rank[WHITE][(s & 7) + 1] = s >> 3;
    }
    for (Bitboard b = black_pawns; b;) {
        const int s = pop_lowest_square(b);
        if ((s >> 3) < rank[BLACK][(s & 7) + 1]) rank[BLACK][(s & 7) + 1] = s >> 3;
    }
}

// eval_white_pawn and eval_black_pawn.
int white_pawn_term(const FileRank& rank, int s) {
    const int r = s >> 3, k = (s & 7) + 1;
    const int* own = rank[WHITE];
    const int* enemy = rank[BLACK];
    int score = pawn_table[s];
    if (own[k] > r) score -= DOUBLED_PAWN_PENALTY;
    if (own[k - 1] == 0 && own[k + 1] == 0)
        score -= ISOLATED_PAWN_PENALTY;
    else if (r > own[k - 1] && r > own[k + 1])
        score -= BACKWARD_PAWN_PENALTY;
    if (r <= enemy[k - 1] && r <= enemy[k] && r <= enemy[k + 1]) score += PASSED_PAWN_STEP * (7 - r);
    return score;
}

int black_pawn_term(const FileRank& rank, int s) {
    const int r = s >> 3, k = (s & 7) + 1;
    const int* own = rank[BLACK];
    const int* enemy = rank[WHITE];
    int score = pawn_table[mirror_square[s]];
    if (own[k] < r) score -= DOUBLED_PAWN_PENALTY;
    if (own[k - 1] == 7 && own[k + 1] == 7)
        score -= ISOLATED_PAWN_PENALTY;
    else if (r < own[k - 1] && r < own[k + 1])
        score -= BACKWARD_PAWN_PENALTY;
    if (r >= enemy[k - 1] && r >= enemy[k] && r >= enemy[k + 1]) score += PASSED_PAWN_STEP * r;
    return score;
}

// rook_file_bonus: open file, half-open file, or none.
int rook_file_term(const FileRank& rank, int k, int colour) {
    const int own_none = colour == WHITE ? 0 : 7;
    const int enemy_none = colour == WHITE ? 7 : 0;
    if (rank[colour][k] != own_none) return 0;
    return rank[colour ^ 1][k] == enemy_none ? ROOK_OPEN_FILE_BONUS : ROOK_HALF_OPEN_FILE_BONUS;
}

// king_shelter: the wing's three files, the far one halved toward zero, or
// the pawnless files around a central king.
int king_shelter_term(const FileRank& rank, const int* file_shelter, int file) {
    if (file <= 2) return file_shelter[1] + file_shelter[2] + file_shelter[3] / 2;
    if (file >= 5) return file_shelter[8] + file_shelter[7] + file_shelter[6] / 2;
    int penalty = 0;
    for (int k = file; k <= file + 2; ++k)
        if (rank[WHITE][k] == 0 && rank[BLACK][k] == 7) penalty += CENTRAL_KING_OPEN_FILE_PENALTY;
    return -penalty;
}

void fill(ClassicPawnEntry& e, Bitboard white_pawns, Bitboard black_pawns) {
    FileRank rank;
    build_file_rank(white_pawns, black_pawns, rank);
    e.pawns[WHITE] = white_pawns;
    e.pawns[BLACK] = black_pawns;
    e.pawn_score[WHITE] = e.pawn_score[BLACK] = 0;
    for (Bitboard b = white_pawns; b;) e.pawn_score[WHITE] += white_pawn_term(rank, pop_lowest_square(b));
    for (Bitboard b = black_pawns; b;) e.pawn_score[BLACK] += black_pawn_term(rank, pop_lowest_square(b));
    int shelter[2][10] = {};
    for (int k = 1; k <= 8; ++k) {
        shelter[WHITE][k] = white_shelter_value(rank[WHITE][k], rank[BLACK][k]);
        shelter[BLACK][k] = white_shelter_value(7 - rank[BLACK][k], 7 - rank[WHITE][k]);
    }
    for (int file = 0; file < 8; ++file)
        for (int colour = WHITE; colour <= BLACK; ++colour) {
            e.rook_file_bonus[colour][file] = static_cast<std::int8_t>(rook_file_term(rank, file + 1, colour));
            e.king_shelter[colour][file] = static_cast<std::int8_t>(king_shelter_term(rank, shelter[colour], file));
        }
}

// The slow check compares whole entries: no padding may differ.
static_assert(std::has_unique_object_representations_v<ClassicPawnEntry>);

const ClassicPawnEntry& probe(ClassicPawnCache& cache, const Position& pos) {
    const Bitboard white_pawns = pos.pieces[WHITE][PAWN], black_pawns = pos.pieces[BLACK][PAWN];
    ClassicPawnEntry& e = cache.entries[pos.pawn_key >> (64 - CLASSIC_PAWN_CACHE_BITS)];
    if (e.pawns[WHITE] != white_pawns || e.pawns[BLACK] != black_pawns) fill(e, white_pawns, black_pawns);
    if constexpr (SLOW_CHECKS) {
        ClassicPawnEntry fresh;
        fill(fresh, white_pawns, black_pawns);
        assert(std::memcmp(&fresh, &e, sizeof fresh) == 0);
    }
    return e;
}

int piece_material_of(const Bitboard* p) {
    return __builtin_popcountll(p[KNIGHT]) * piece_value[KNIGHT] + __builtin_popcountll(p[BISHOP]) * piece_value[BISHOP] +
           __builtin_popcountll(p[ROOK]) * piece_value[ROOK] + __builtin_popcountll(p[QUEEN]) * piece_value[QUEEN];
}

// Placement of the pieces of `colour` and its pawn terms; `enemy_material`
// is the enemy's piece material, which fades the king's shelter.
template <int colour>
int placement(const Position& pos, const ClassicPawnEntry& e, int enemy_material) {
    const Bitboard* p = pos.pieces[colour];
    constexpr int flip = colour == WHITE ? 0 : 56;  // mirror_square[s] is s ^ 56
    constexpr int seventh_row = colour == WHITE ? 1 : 6;
    int score = e.pawn_score[colour];
    for (Bitboard b = p[KNIGHT]; b;) score += knight_table[pop_lowest_square(b) ^ flip];
    for (Bitboard b = p[BISHOP]; b;) score += bishop_table[pop_lowest_square(b) ^ flip];
    for (Bitboard b = p[ROOK]; b;) {
        const int s = pop_lowest_square(b);
        score += e.rook_file_bonus[colour][s & 7] + ((s >> 3) == seventh_row ? ROOK_SEVENTH_RANK_BONUS : 0);
    }
    const int king = lowest_square(p[KING]);
    score += enemy_material > ENDGAME_PIECE_MATERIAL
                 ? scaled_king_term(king_table[king ^ flip], e.king_shelter[colour][king & 7], enemy_material)
                 : king_endgame_table[king ^ flip];
    return score;
}

}  // namespace

// white_shelter_file: an unmoved own pawn is best, one step a small hole,
// none or further worse; no enemy pawn opens the file, a near one storms it.
int white_shelter_value(int own_row, int enemy_row) {
    int value = own_row == 6 ? 0 : own_row == 5 ? -10 : own_row == 0 ? -25 : -20;
    value += enemy_row == 7 ? -15 : enemy_row == 5 ? -10 : enemy_row == 4 ? -5 : 0;
    return value;
}

int evaluate_classic(const Position& pos, ClassicPawnCache& cache) {
    const ClassicPawnEntry& e = probe(cache, pos);
    const int material[2] = {piece_material_of(pos.pieces[WHITE]), piece_material_of(pos.pieces[BLACK])};
    const int white = material[WHITE] + __builtin_popcountll(pos.pieces[WHITE][PAWN]) * piece_value[PAWN] +
                      placement<WHITE>(pos, e, material[BLACK]);
    const int black = material[BLACK] + __builtin_popcountll(pos.pieces[BLACK][PAWN]) * piece_value[PAWN] +
                      placement<BLACK>(pos, e, material[WHITE]);
    return pos.side == WHITE ? white - black : black - white;
}

}  // namespace strong
