// Playing and taking back moves on the global position, and repetition counting.
#include "board/make_move.h"

#include <cassert>

#include "board/attack.h"
#include "board/state.h"
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

// The board arrays and the derived state change together. put_piece needs
// an empty square, take_piece an occupied one, move_piece both.
inline void put_piece(int s, int colour, int piece) {
    square_color[s] = colour;
    square_piece[s] = piece;
    color_bitboard[colour] |= square_bit(s);
    piece_bitboard[colour][piece] |= square_bit(s);
    ++piece_count[colour][piece];
    piece_hash ^= zobrist_piece[colour][piece][s];
}

inline void take_piece(int s) {
    const int colour = square_color[s];
    const int piece = square_piece[s];
    color_bitboard[colour] &= ~square_bit(s);
    piece_bitboard[colour][piece] &= ~square_bit(s);
    --piece_count[colour][piece];
    piece_hash ^= zobrist_piece[colour][piece][s];
    square_color[s] = EMPTY;
    square_piece[s] = EMPTY;
}

inline void move_piece(int from, int to) {
    const int colour = square_color[from];
    const int piece = square_piece[from];
    const Bitboard both = square_bit(from) | square_bit(to);
    color_bitboard[colour] ^= both;
    piece_bitboard[colour][piece] ^= both;
    piece_hash ^= zobrist_piece[colour][piece][from] ^ zobrist_piece[colour][piece][to];
    square_color[to] = colour;
    square_piece[to] = piece;
    square_color[from] = EMPTY;
    square_piece[from] = EMPTY;
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
    const int mover = side_to_move;

    // 1. Castling: refused before anything changes.
    if (flags & MOVE_CASTLE) {
        if (side_in_check(mover)) return 0;
        const CastleSquares& c = castle_for(to);
        for (int i = 0; i < c.empty_count; ++i)
            if (square_color[c.must_be_empty[i]] != EMPTY) return 0;
        for (int square : c.not_attacked)
            if (is_attacked(square, side_not_to_move)) return 0;
        if (square_color[c.rook_from] != EMPTY) {
            const int rook_colour = square_color[c.rook_from];
            const int rook = square_piece[c.rook_from];
            take_piece(c.rook_from);
            put_piece(c.rook_to, rook_colour, rook);
        }
    }

    // 2. Record what cannot be recomputed, and count the ply.
    UndoRecord& r = game_history[history_ply];
    r.move = move;
    r.captured = square_piece[to];
    r.castle_rights = castle_rights;
    r.ep_square = ep_square;
    r.halfmove_clock = halfmove_clock;
    r.hash = position_hash;
    r.check_status[WHITE] = check_status[WHITE];
    r.check_status[BLACK] = check_status[BLACK];
    ++search_ply;
    ++history_ply;

    // 3. Rights, en passant square, fifty-move counter.
    castle_rights &= castle_keep_mask[from] & castle_keep_mask[to];
    if (flags & MOVE_DOUBLE_PUSH)
        ep_square = mover == WHITE ? to + 8 : to - 8;
    else
        ep_square = -1;
    if (flags & (MOVE_CAPTURE | MOVE_PAWN))
        halfmove_clock = 0;
    else
        ++halfmove_clock;

    // 4. The piece, and the pawn taken en passant behind `to`.
    // A generated move starts from a piece of the side to move.
    assert(square_color[from] == mover);
    const int piece = square_piece[from];
    if (r.captured != EMPTY) take_piece(to);
    if (flags & MOVE_PROMOTION) {
        take_piece(from);
        put_piece(to, mover, move_promotion(move));
    } else {
        move_piece(from, to);
    }
    if (flags & MOVE_EN_PASSANT) {
        const int victim = mover == WHITE ? to + 8 : to - 8;
        if (square_color[victim] != EMPTY) take_piece(victim);
    }

    // 5. Hand over the move; refuse if the mover's own king is attacked.
    // A side that was not in check and kept its king where it was can only
    // have opened the line from its king through `from`; en passant also
    // empties a second square, so it takes the full test.
    side_to_move ^= 1;
    side_not_to_move ^= 1;
    const int king = king_square(mover);
    int exposed;
    if (piece != KING && !(flags & MOVE_EN_PASSANT) && r.check_status[mover] == 0)
        exposed = is_attacked_through(king, from, mover ^ 1);
    else
        exposed = king < 0 ? 1 : is_attacked(king, mover ^ 1);
    if constexpr (SLOW_CHECKS) assert(exposed == (king < 0 ? 1 : is_attacked(king, mover ^ 1)));
    if (exposed) {
        unmake_move();
        return 0;
    }
    check_status[mover] = 0;
    check_status[mover ^ 1] = -1;

    // 6. The new position's hash: the piece part is kept; the side and en
    //    passant keys are added as compute_hash adds them.
    std::uint32_t hash = piece_hash;
    if (side_to_move == BLACK) hash ^= zobrist_black_to_move;
    if (ep_square != -1) hash ^= zobrist_ep[ep_square];
    position_hash = hash;
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
    const int mover = square_color[to];
    side_to_move = mover;
    side_not_to_move = mover ^ 1;
    --search_ply;
    --history_ply;

    castle_rights = r.castle_rights;
    ep_square = r.ep_square;
    halfmove_clock = r.halfmove_clock;
    position_hash = r.hash;
    check_status[WHITE] = r.check_status[WHITE];
    check_status[BLACK] = r.check_status[BLACK];

    if (flags & MOVE_PROMOTION) {
        take_piece(to);
        put_piece(from, mover, PAWN);
    } else {
        move_piece(to, from);
    }
    if (r.captured != EMPTY) put_piece(to, mover ^ 1, r.captured);
    if (flags & MOVE_CASTLE) {
        const CastleSquares& c = castle_for(to);
        if (square_color[c.rook_to] != EMPTY) take_piece(c.rook_to);
        put_piece(c.rook_from, mover, ROOK);
    }
    if (flags & MOVE_EN_PASSANT) put_piece(mover == WHITE ? to + 8 : to - 8, mover ^ 1, PAWN);
    // The hash comes back from the record, so only the board is checked: a
    // colour command may have left the record's side key behind.
    if constexpr (SLOW_CHECKS) assert(board_is_ok() && board_state_is_ok());
}

int repetition_count() {
    int count = 0;
    int first = history_ply - halfmove_clock;
    if (first < 0) first = 0;  // a clock loaded from FEN may predate the history
    for (int i = first; i < history_ply; ++i)
        if (game_history[i].hash == position_hash) ++count;
    return count;
}
