// Playing and taking back moves on the global position, and repetition counting.
#include "board/make_move.h"

#include <cassert>

#include "board/attack.h"
#include "board/zobrist.h"

namespace {

// The four castling moves, told apart by the king's destination.
struct CastleSquares {
    int king_to;
    int must_be_empty[3];
    int empty_count;
    int not_attacked[2];
    int rook_from;
    int rook_to;
};

// The king's own square is covered by the check test; b1 and b8 must be
// empty but may be attacked.
constexpr CastleSquares castle_squares[4] = {
    {G1, {F1, G1, -1}, 2, {F1, G1}, H1, F1},
    {C1, {B1, C1, D1}, 3, {C1, D1}, A1, D1},
    {G8, {F8, G8, -1}, 2, {F8, G8}, H8, F8},
    {C8, {B8, C8, D8}, 3, {C8, D8}, A8, D8},
};

const CastleSquares& castle_for(int king_to) {
    switch (king_to) {
        case G1: return castle_squares[0];
        case C1: return castle_squares[1];
        case G8: return castle_squares[2];
        default: return castle_squares[3];
    }
}

}  // namespace

int make_move(Move move) {
    const int from = move_from(move);
    const int to = move_to(move);
    const int flags = move_flags(move);
    assert(from < 64 && to < 64);

    // A king is never captured, even when a colour command has handed the
    // move to a side whose opponent stands in check.
    if (square_piece[to] == KING) return 0;
    if (history_ply >= HISTORY_SIZE || search_ply >= MAX_PLY - 1) return 0;

    // 1. Castling: refused before anything changes.
    if (flags & MOVE_CASTLE) {
        if (side_in_check(side_to_move)) return 0;
        const CastleSquares& c = castle_for(to);
        for (int i = 0; i < c.empty_count; ++i)
            if (square_color[c.must_be_empty[i]] != EMPTY) return 0;
        for (int square : c.not_attacked)
            if (is_attacked(square, side_not_to_move)) return 0;
        square_color[c.rook_to] = square_color[c.rook_from];
        square_piece[c.rook_to] = square_piece[c.rook_from];
        square_color[c.rook_from] = EMPTY;
        square_piece[c.rook_from] = EMPTY;
    }

    // 2. Record what cannot be recomputed, and count the ply.
    UndoRecord& r = game_history[history_ply];
    r.move = move;
    r.captured = square_piece[to];
    r.castle_rights = castle_rights;
    r.ep_square = ep_square;
    r.halfmove_clock = halfmove_clock;
    r.hash = position_hash;
    ++search_ply;
    ++history_ply;

    // 3. Rights, en passant square, fifty-move counter.
    castle_rights &= castle_keep_mask[from] & castle_keep_mask[to];
    if (flags & MOVE_DOUBLE_PUSH)
        ep_square = side_to_move == WHITE ? to + 8 : to - 8;
    else
        ep_square = -1;
    if (flags & (MOVE_CAPTURE | MOVE_PAWN))
        halfmove_clock = 0;
    else
        ++halfmove_clock;

    // 4. The piece, and the pawn taken en passant behind `to`.
    square_color[to] = side_to_move;
    square_piece[to] = (flags & MOVE_PROMOTION) ? move_promotion(move) : square_piece[from];
    square_color[from] = EMPTY;
    square_piece[from] = EMPTY;
    if (flags & MOVE_EN_PASSANT) {
        const int victim = side_to_move == WHITE ? to + 8 : to - 8;
        square_color[victim] = EMPTY;
        square_piece[victim] = EMPTY;
    }

    // 5. Hand over the move; refuse if the mover's own king is attacked.
    side_to_move ^= 1;
    side_not_to_move ^= 1;
    if (side_in_check(side_not_to_move)) {
        unmake_move();
        return 0;
    }

    // 6. The new position's hash.
    compute_hash();
    if constexpr (SLOW_CHECKS) assert(position_is_ok());
    return 1;
}

void unmake_move() {
    assert(history_ply > 0);
    // The mover is the colour of the piece on `to`, not simply the other
    // side: a colour command may have handed the move over in between.
    const UndoRecord& r = game_history[history_ply - 1];
    const int from = move_from(r.move);
    const int to = move_to(r.move);
    const int flags = move_flags(r.move);
    side_to_move = square_color[to];
    side_not_to_move = side_to_move ^ 1;
    --search_ply;
    --history_ply;

    castle_rights = r.castle_rights;
    ep_square = r.ep_square;
    halfmove_clock = r.halfmove_clock;
    position_hash = r.hash;

    square_color[from] = side_to_move;
    square_piece[from] = (flags & MOVE_PROMOTION) ? PAWN : square_piece[to];
    if (r.captured == EMPTY) {
        square_color[to] = EMPTY;
        square_piece[to] = EMPTY;
    } else {
        square_color[to] = side_not_to_move;
        square_piece[to] = r.captured;
    }
    if (flags & MOVE_CASTLE) {
        const CastleSquares& c = castle_for(to);
        square_color[c.rook_from] = side_to_move;
        square_piece[c.rook_from] = ROOK;
        square_color[c.rook_to] = EMPTY;
        square_piece[c.rook_to] = EMPTY;
    }
    if (flags & MOVE_EN_PASSANT) {
        const int victim = side_to_move == WHITE ? to + 8 : to - 8;
        square_color[victim] = side_not_to_move;
        square_piece[victim] = PAWN;
    }
    // The hash comes back from the record, so only the board is checked: a
    // colour command may have left the record's side key behind.
    if constexpr (SLOW_CHECKS) assert(board_is_ok());
}

int repetition_count() {
    int count = 0;
    int first = history_ply - halfmove_clock;
    if (first < 0) first = 0;  // a clock loaded from FEN may predate the history
    for (int i = first; i < history_ply; ++i)
        if (game_history[i].hash == position_hash) ++count;
    return count;
}
