// Static evaluation: material, piece-square tables, pawn structure, rook files, king term.
#include "eval/evaluate.h"

#include <cassert>
#include <cstring>

#include "eval/king_safety.h"
#include "eval/pawn_cache.h"

static int rook_row_bonus(int row, int color) {
    return row == (color == WHITE ? 1 : 6) ? ROOK_SEVENTH_RANK_BONUS : 0;
}

// File and seventh-rank bonus of a rook of `color` on file index k (file + 1)
// and `row`.
static int rook_term(int k, int row, int color) { return rook_file_bonus(k, color) + rook_row_bonus(row, color); }

// Two passes: the first condenses pawns and material into the scratch so
// that every structure test in the second is a few lookups, never a scan.
int evaluate_from_scratch() {
    // 1. Reset the scratch, the sentinel files included.
    for (int k = 0; k < 10; ++k) {
        pawn_file_rank[WHITE][k] = 0;
        pawn_file_rank[BLACK][k] = 7;
    }
    piece_material[WHITE] = piece_material[BLACK] = 0;
    pawn_material[WHITE] = pawn_material[BLACK] = 0;

    // 2. Material, and the least advanced pawn of each file per colour. The
    //    occupied squares are noted so the second pass skips the empty ones.
    int occupied[64];
    int occupied_count = 0;
    for (int s = 0; s < 64; ++s) {
        const int color = square_color[s];
        if (color == EMPTY) continue;
        occupied[occupied_count++] = s;
        const int piece = square_piece[s];
        if (piece != PAWN) {
            piece_material[color] += piece_value[piece];
            continue;
        }
        pawn_material[color] += piece_value[PAWN];
        const int k = s % 8 + 1;
        const int r = s / 8;
        if (color == WHITE) {
            if (r > pawn_file_rank[WHITE][k]) pawn_file_rank[WHITE][k] = r;
        } else {
            if (r < pawn_file_rank[BLACK][k]) pawn_file_rank[BLACK][k] = r;
        }
    }

    // 3. Material.
    int white_score = piece_material[WHITE] + pawn_material[WHITE];
    int black_score = piece_material[BLACK] + pawn_material[BLACK];

    // 4. Placement and structure, piece by piece. A king shelters only while
    //    the enemy has more than ENDGAME_PIECE_MATERIAL of pieces.
    for (int i = 0; i < occupied_count; ++i) {
        const int s = occupied[i];
        const int color = square_color[s];
        if (color == WHITE) {
            switch (square_piece[s]) {
                case PAWN: white_score += eval_white_pawn(s); break;
                case KNIGHT: white_score += knight_table[s]; break;
                case BISHOP: white_score += bishop_table[s]; break;
                case ROOK: white_score += rook_term(s % 8 + 1, s / 8, WHITE); break;
                case KING:
                    white_score += piece_material[BLACK] > ENDGAME_PIECE_MATERIAL ? eval_white_king(s)
                                                                                : king_endgame_table[s];
                    break;
                default: break;  // a queen is worth its material alone
            }
        } else {
            const int m = mirror_square[s];
            switch (square_piece[s]) {
                case PAWN: black_score += eval_black_pawn(s); break;
                case KNIGHT: black_score += knight_table[m]; break;
                case BISHOP: black_score += bishop_table[m]; break;
                case ROOK: black_score += rook_term(s % 8 + 1, s / 8, BLACK); break;
                case KING:
                    black_score += piece_material[WHITE] > ENDGAME_PIECE_MATERIAL ? eval_black_king(s)
                                                                                : king_endgame_table[m];
                    break;
                default: break;
            }
        }
    }

    // 5. From the side to move's point of view.
    return side_to_move == WHITE ? white_score - black_score : black_score - white_score;
}

// Placement of the pieces of `color` other than pawns, from the bitboards;
// pawn structure, rook files and king shelter come from the pawn cache.
template <int color>
static int placement_score(const PawnEntry& pawns) {
    const Bitboard* pieces = piece_bitboard[color];
    constexpr int flip = color == WHITE ? 0 : 56;  // mirror_square[s] is s ^ 56
    int score = pawns.pawn_score[color];
    for (Bitboard b = pieces[KNIGHT]; b;) score += knight_table[pop_lowest_square(b) ^ flip];
    for (Bitboard b = pieces[BISHOP]; b;) score += bishop_table[pop_lowest_square(b) ^ flip];
    // Squares are never negative: & 7 and >> 3 are the file and the row.
    for (Bitboard b = pieces[ROOK]; b;) {
        const int s = pop_lowest_square(b);
        score += pawns.rook_file_bonus[color][s & 7] + rook_row_bonus(s >> 3, color);
    }
    const int enemy_material = piece_material[color ^ 1];
    for (Bitboard b = pieces[KING]; b;) {
        const int s = pop_lowest_square(b);
        score += enemy_material > ENDGAME_PIECE_MATERIAL
                     ? scaled_king_term(king_table[s ^ flip], pawns.king_shelter[color][s & 7], enemy_material)
                     : king_endgame_table[s ^ flip];
    }
    return score;
}

// The plain evaluation gives `score` and leaves the scratch as it is.
[[maybe_unused]] static bool agrees_with_scratch(int score) {
    int file_rank[2][10];
    std::memcpy(file_rank, pawn_file_rank, sizeof file_rank);
    const int material[2] = {piece_material[WHITE], piece_material[BLACK]};
    const int pawns[2] = {pawn_material[WHITE], pawn_material[BLACK]};
    return evaluate_from_scratch() == score && std::memcmp(file_rank, pawn_file_rank, sizeof file_rank) == 0 &&
           material[WHITE] == piece_material[WHITE] && material[BLACK] == piece_material[BLACK] &&
           pawns[WHITE] == pawn_material[WHITE] && pawns[BLACK] == pawn_material[BLACK];
}

// The same sums as evaluate_from_scratch, read from the kept piece counts
// and bitboards and the pawn cache; it leaves the same scratch.
int evaluate() {
    const PawnEntry& pawns = probe_pawn_cache(piece_bitboard[WHITE][PAWN], piece_bitboard[BLACK][PAWN]);
    std::memcpy(pawn_file_rank, pawns.file_rank, sizeof pawn_file_rank);
    for (int color = WHITE; color <= BLACK; ++color) {
        const int* count = piece_count[color];
        piece_material[color] = count[KNIGHT] * piece_value[KNIGHT] + count[BISHOP] * piece_value[BISHOP] +
                                count[ROOK] * piece_value[ROOK] + count[QUEEN] * piece_value[QUEEN];
        pawn_material[color] = count[PAWN] * piece_value[PAWN];
    }
    const int white_score = piece_material[WHITE] + pawn_material[WHITE] + placement_score<WHITE>(pawns);
    const int black_score = piece_material[BLACK] + pawn_material[BLACK] + placement_score<BLACK>(pawns);
    // side_to_move is 0 or 1: the sign without a branch.
    const int score = (1 - 2 * side_to_move) * (white_score - black_score);
    if constexpr (SLOW_CHECKS) assert(agrees_with_scratch(score));
    return score;
}
