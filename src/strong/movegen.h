// Legal move generation for the strong board, and the check test of a move.
#pragma once
#include "strong/move.h"
#include "strong/position.h"

namespace strong {

// No position has more than 218 legal moves.
constexpr int MAX_MOVES = 256;

struct MoveList {
    Move moves[MAX_MOVES];
    int count = 0;

    const Move* begin() const { return moves; }
    const Move* end() const { return moves + count; }
};

// The generators write legal moves only (pins, checks, the king's
// destinations and en passant are all resolved) to `out` and return the end
// of what they wrote. In check they write only evasions. Together captures
// and quiets hold every legal move exactly once:
// - captures: every capture (en passant included) and every promotion to a
//   queen, capturing or not;
// - quiets: every other move: non-captures, castling, and every
//   under-promotion (to knight, bishop or rook), capturing or not.
Move* generate_captures(const Position& pos, Move* out);
Move* generate_quiets(const Position& pos, Move* out);
Move* generate_all(const Position& pos, Move* out);

inline void generate_captures(const Position& pos, MoveList& list) {
    list.count = static_cast<int>(generate_captures(pos, list.moves) - list.moves);
}
inline void generate_quiets(const Position& pos, MoveList& list) {
    list.count = static_cast<int>(generate_quiets(pos, list.moves) - list.moves);
}
inline void generate_all(const Position& pos, MoveList& list) {
    list.count = static_cast<int>(generate_all(pos, list.moves) - list.moves);
}

// Whether a legal move checks the opponent's king, directly or by uncovering
// a line; exact for castling, en passant and promotions.
bool gives_check(const Position& pos, Move m);

}  // namespace strong
