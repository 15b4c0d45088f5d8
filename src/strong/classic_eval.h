// The classic evaluation on the strong board, with a pawn cache the caller owns.
#pragma once
#include <cstdint>

#include "board/bitboard.h"
#include "strong/position.h"

namespace strong {

constexpr int CLASSIC_PAWN_CACHE_BITS = 12;  // 4096 entries of 56 bytes

// The terms the pawns alone decide, for one placement. The placement is the
// key, compared in full, so an entry never stands in for another.
struct ClassicPawnEntry {
    Bitboard pawns[2] = {~Bitboard{0}, ~Bitboard{0}};  // by colour; no placement looks like this
    std::int32_t pawn_score[2] = {};                     // the pawn terms of each colour
    std::int8_t rook_file_bonus[2][8] = {};              // by colour and file
    std::int8_t king_shelter[2][8] = {};                 // before scaling, by colour and the king's file
};

// One per search thread: evaluate_classic reads and fills it, nothing else
// does. Large: keep it in the thread's own state, not on the stack.
struct ClassicPawnCache {
    ClassicPawnEntry entries[1 << CLASSIC_PAWN_CACHE_BITS];
};

// The score evaluate() in eval/evaluate.cpp gives the same position, from
// the side to move's point of view: material, piece-square tables, pawn
// structure, rook files and seventh rank, and the king term. Reentrant.
int evaluate_classic(const Position& pos, ClassicPawnCache& cache);

// The shelter one file gives a king, before scaling (0 down to -40), from
// the row of the least advanced own and enemy pawn on it as pawn_file_rank
// holds them (for White: 0 means no own pawn, 7 no enemy pawn). Black reads
// its rows reflected (7 - row).
int white_shelter_value(int own_row, int enemy_row);

}  // namespace strong
