// The terms of the evaluation that the pawns alone decide, kept per pawn placement.
#include "eval/pawn_cache.h"

#include <cstring>

#include "board/position.h"
#include "eval/terms.h"
#include "eval/king_safety.h"

namespace {

PawnEntry pawn_cache[1 << PAWN_CACHE_BITS];

int index_of(Bitboard white_pawns, Bitboard black_pawns) {
    const Bitboard mixed = white_pawns * 0x9E3779B97F4A7C15ull ^ black_pawns * 0xC2B2AE3D27D4EB4Full;
    return static_cast<int>(mixed >> (64 - PAWN_CACHE_BITS));
}

// pawn_file_rank for the placement, by the rule of evaluate's first pass:
// the least advanced pawn of each colour on each file.
void build_file_rank(Bitboard white_pawns, Bitboard black_pawns) {
    for (int k = 0; k < 10; ++k) {
        pawn_file_rank[WHITE][k] = 0;
        pawn_file_rank[BLACK][k] = 7;
    }
    for (Bitboard b = white_pawns; b;) {
        const int s = pop_lowest_square(b);
        if (s / 8 > pawn_file_rank[WHITE][s % 8 + 1]) pawn_file_rank[WHITE][s % 8 + 1] = s / 8;
    }
    for (Bitboard b = black_pawns; b;) {
        const int s = pop_lowest_square(b);
        if (s / 8 < pawn_file_rank[BLACK][s % 8 + 1]) pawn_file_rank[BLACK][s % 8 + 1] = s / 8;
    }
}

void fill(PawnEntry& e, Bitboard white_pawns, Bitboard black_pawns) {
    build_file_rank(white_pawns, black_pawns);
    e.pawns[WHITE] = white_pawns;
    e.pawns[BLACK] = black_pawns;
    e.filled = true;
    e.pawn_score[WHITE] = e.pawn_score[BLACK] = 0;
    for (Bitboard b = white_pawns; b;) e.pawn_score[WHITE] += eval_white_pawn(pop_lowest_square(b));
    for (Bitboard b = black_pawns; b;) e.pawn_score[BLACK] += eval_black_pawn(pop_lowest_square(b));
    int shelter[2][8];
    white_king_shelters(shelter[WHITE]);
    black_king_shelters(shelter[BLACK]);
    for (int file = 0; file < 8; ++file) {
        e.rook_file_bonus[WHITE][file] = static_cast<std::int8_t>(rook_file_bonus(file + 1, WHITE));
        e.rook_file_bonus[BLACK][file] = static_cast<std::int8_t>(rook_file_bonus(file + 1, BLACK));
        e.king_shelter[WHITE][file] = static_cast<std::int8_t>(shelter[WHITE][file]);
        e.king_shelter[BLACK][file] = static_cast<std::int8_t>(shelter[BLACK][file]);
    }
    std::memcpy(e.file_rank, pawn_file_rank, sizeof e.file_rank);
}

}  // namespace

const PawnEntry& probe_pawn_cache(Bitboard white_pawns, Bitboard black_pawns) {
    PawnEntry& e = pawn_cache[index_of(white_pawns, black_pawns)];
    if (!e.filled || e.pawns[WHITE] != white_pawns || e.pawns[BLACK] != black_pawns) fill(e, white_pawns, black_pawns);
    return e;
}

