// The order the strong search tries moves in: the table's move, captures
// that do not lose material (by victim, then attacker), killers, the
// counter-move, quiet moves by history, and losing captures last.
#pragma once
#include <cstdint>

#include "strong/movegen.h"
#include "strong/params.h"
#include "strong/position.h"

namespace strong {

// History scores stay within this bound in size (the gravity of updates).
constexpr int HISTORY_MAX = 16384;

// Entries of the correction history, and the fraction of a centipawn its
// entries count in.
constexpr int CORRECTION_ENTRIES = 16384;
constexpr int CORRECTION_GRAIN = 64;

// How good a quiet move has been after one particular earlier move: by the
// moving piece code and target.
using PieceToHistory = std::int16_t[16][64];

// What a search thread learns about moves as it goes.
struct Histories {
    std::int16_t butterfly[2][64][64];  // side to move, from, to
    Move counter[16][64];               // the reply to a move: by its piece code and target
    std::int16_t capture[16][64][6];    // moving piece code, target, captured piece
    // After a move (its piece code and target), how each quiet move did one
    // or two plies later. [0][0], a white pawn on a8, never a real move,
    // stands for "no move" (a null move, or before the root).
    PieceToHistory continuation[16][64];
    // How far the static evaluation has erred in positions of each pawn
    // structure, for the side to move, in 1/CORRECTION_GRAIN of a centipawn.
    std::int16_t pawn_correction[2][CORRECTION_ENTRIES];
};

// The continuation entry that stands for no earlier move.
inline PieceToHistory* no_continuation(Histories& h) { return &h.continuation[0][0]; }

// Raises (bonus > 0) or lowers an entry, more slowly near the bound.
inline void update_history(std::int16_t& entry, int bonus) {
    const int clamped = bonus > HISTORY_MAX ? HISTORY_MAX : bonus < -HISTORY_MAX ? -HISTORY_MAX : bonus;
    entry = static_cast<std::int16_t>(entry + clamped - entry * (clamped < 0 ? -clamped : clamped) / HISTORY_MAX);
}

enum class PickStage : std::uint8_t {
    TABLE_MOVE,
    CAPTURES_INIT,
    GOOD_CAPTURES,
    KILLER_1,
    KILLER_2,
    COUNTER,
    QUIETS_INIT,
    QUIETS,
    BAD_CAPTURES,
    EVASIONS_INIT,
    EVASIONS,
    QUIESCENCE_INIT,
    QUIESCENCE_CAPTURES,
    QUIESCENCE_CHECKS_INIT,
    QUIESCENCE_CHECKS,
    DONE,
};

struct MovePicker {
    const Position* pos;
    const Histories* histories;
    Move table_move;
    Move killers[2];
    Move counter;
    const PieceToHistory* continuations[2];
    PickStage stage;
    bool quiescence;
    bool quiet_checks;  // quiescence: quiet moves that give check, after the captures
    int count;   // moves in `moves`
    int next;    // the next to pick
    int bad_count;
    int bad_next;
    Move moves[MAX_MOVES];
    int scores[MAX_MOVES];
    Move bad_captures[MAX_MOVES];
};

// For a node of the main search; in check, only evasions, best first.
// Quiet moves are ordered by their history with the continuation histories
// of the moves one and two plies before (`continuations`).
void init_picker(MovePicker& mp, const Position& pos, const Histories& h, Move table_move, const Move killers[2],
                 Move counter, const PieceToHistory* const continuations[2]);

// A quiet move's history: its own, and after each of the two moves before.
inline int quiet_history(const Position& pos, const Histories& h, const PieceToHistory* const continuations[2],
                         Move m) {
    const int piece = pos.board[move_from(m)];
    return h.butterfly[pos.side][move_from(m)][move_to(m)] + (*continuations[0])[piece][move_to(m)] +
           (*continuations[1])[piece][move_to(m)];
}
// For quiescence: the table's move if it is a capture or promotion, then
// captures and queen promotions, then (with `quiet_checks`) quiet moves that
// give check; in check, every evasion.
void init_quiescence_picker(MovePicker& mp, const Position& pos, const Histories& h, Move table_move,
                            bool quiet_checks);

// The next move to try, or NO_MOVE. With `skip_quiets` the quiet moves
// (killers and counter-move included) are passed over.
Move next_move(MovePicker& mp, bool skip_quiets = false);

// Whether the move takes a piece (en passant included) or promotes to a queen.
inline bool is_tactical(const Position& pos, Move m) {
    return pos.board[move_to(m)] != NO_PIECE || move_kind(m) == EN_PASSANT || move_kind(m) == PROMOTE_QUEEN;
}

}  // namespace strong
