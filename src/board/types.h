// The classic board's constants and types, apart from its state: move
// flags, the move layout, the capacities of its tables, the undo record.
#pragma once
#include <cstdint>

#include "common/chess.h"

// Move flags, byte 3 of a Move.
constexpr int MOVE_CAPTURE = 1;
constexpr int MOVE_CASTLE = 2;
constexpr int MOVE_EN_PASSANT = 4;
constexpr int MOVE_DOUBLE_PUSH = 8;
constexpr int MOVE_PAWN = 16;
constexpr int MOVE_PROMOTION = 32;

// Capacities of the fixed tables.
constexpr int MOVE_LIST_SIZE = 1120;
constexpr int MAX_PLY = 32;
// The game history holds the longest game the rules allow (8,848 moves under
// the seventy-five-move rule) with room for a search on top.
constexpr int HISTORY_SIZE = 18000;

// A move packed in 32 bits: from | to << 8 | promotion << 16 | flags << 24.
// Every generated move is positive (flags < 64) and non-zero (from != to),
// so 0 means "no move" and -1 can mean "no answer" where a Move is returned.
using Move = std::int32_t;

constexpr Move pack_move(int from, int to, int promotion, int flags) {
    return from | (to << 8) | (promotion << 16) | (flags << 24);
}
constexpr int move_from(Move m) { return m & 255; }
constexpr int move_to(Move m) { return (m >> 8) & 255; }
constexpr int move_promotion(Move m) { return (m >> 16) & 255; }
constexpr int move_flags(Move m) { return (m >> 24) & 255; }

struct ScoredMove {
    Move move;
    std::int32_t score;  // ordering score; the search selects the highest first
};

// Everything make_move changes that cannot be recomputed from the move itself.
struct UndoRecord {
    Move move;
    std::int32_t captured;  // piece that stood on `to`, EMPTY if none
    std::int32_t castle_rights;
    std::int32_t ep_square;
    std::int32_t halfmove_clock;
    std::uint32_t hash;
    std::int32_t check_status[2];  // check_status before the move
};
