// The terms of the evaluation that the pawns alone decide, kept per pawn placement.
#pragma once
#include <cstdint>

#include "common/bitboard.h"

// 16384 entries of 144 bytes.
constexpr int PAWN_CACHE_BITS = 14;

// One pawn placement and its terms. The placement is the key, compared in
// full, so an entry never stands in for another placement.
struct PawnEntry {
    Bitboard pawns[2];                   // by colour
    bool filled;
    std::int32_t pawn_score[2];          // sum of eval_white_pawn, of eval_black_pawn
    std::int8_t rook_file_bonus[2][8];   // by colour and file
    std::int8_t king_shelter[2][8];      // white_king_shelters, black_king_shelters (-100..0)
    std::int32_t file_rank[2][10];       // pawn_file_rank of the placement
};
static_assert(sizeof(PawnEntry) == 144);

// The entry of this placement; on a miss it is filled by the evaluation's
// own term functions, which leaves pawn_file_rank built for the placement.
const PawnEntry& probe_pawn_cache(Bitboard white_pawns, Bitboard black_pawns);
