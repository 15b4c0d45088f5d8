// Legal move generation for the strong board, and the check test of a move.
#include "strong/movegen.h"

#include <cassert>

namespace strong {

namespace {

enum GenType { CAPTURES, QUIETS, ALL };

// Pawn steps by colour: White moves towards lower squares. `west` is the
// capture towards the a-file, `east` towards the h-file.
template <int Us>
constexpr Bitboard shift_forward(Bitboard b) {
    return Us == WHITE ? b >> 8 : b << 8;
}
template <int Us>
constexpr Bitboard shift_west(Bitboard b) {
    return Us == WHITE ? (b & ~FILE_A) >> 9 : (b & ~FILE_A) << 7;
}
template <int Us>
constexpr Bitboard shift_east(Bitboard b) {
    return Us == WHITE ? (b & ~FILE_H) >> 7 : (b & ~FILE_H) << 9;
}

template <int Type>
inline Move* add_promotions(Move* out, int from, int to) {
    if constexpr (Type != QUIETS) *out++ = make_move16(from, to, PROMOTE_QUEEN);
    if constexpr (Type != CAPTURES) {
        *out++ = make_move16(from, to, PROMOTE_KNIGHT);
        *out++ = make_move16(from, to, PROMOTE_ROOK);
        *out++ = make_move16(from, to, PROMOTE_BISHOP);
    }
    return out;
}

// Pushes, captures and promotions of `pawns` that land on `target` (en
// passant apart).
template <int Us, int Type>
Move* pawn_moves(const Position& pos, Move* out, Bitboard pawns, Bitboard target) {
    constexpr int Them = Us ^ 1;
    constexpr int forward = Us == WHITE ? -8 : 8;
    constexpr int west = Us == WHITE ? -9 : 7;
    constexpr int east = Us == WHITE ? -7 : 9;
    constexpr Bitboard next_to_last = row_bits(Us == WHITE ? 1 : 6);
    constexpr Bitboard after_first_step = row_bits(Us == WHITE ? 5 : 2);  // where a double push passes
    const Bitboard empty = ~pos.occupied;
    const Bitboard enemies = pos.colors[Them] & target;
    const Bitboard promoting = pawns & next_to_last;
    const Bitboard others = pawns & ~next_to_last;

    if constexpr (Type != CAPTURES) {
        Bitboard single = shift_forward<Us>(others) & empty;
        Bitboard twice = shift_forward<Us>(single & after_first_step) & empty & target;
        single &= target;
        while (single) {
            const int to = pop_lowest_square(single);
            *out++ = make_move16(to - forward, to);
        }
        while (twice) {
            const int to = pop_lowest_square(twice);
            *out++ = make_move16(to - 2 * forward, to);
        }
    }
    if (promoting) {
        for (Bitboard b = shift_forward<Us>(promoting) & empty & target; b;) {
            const int to = pop_lowest_square(b);
            out = add_promotions<Type>(out, to - forward, to);
        }
        for (Bitboard b = shift_west<Us>(promoting) & enemies; b;) {
            const int to = pop_lowest_square(b);
            out = add_promotions<Type>(out, to - west, to);
        }
        for (Bitboard b = shift_east<Us>(promoting) & enemies; b;) {
            const int to = pop_lowest_square(b);
            out = add_promotions<Type>(out, to - east, to);
        }
    }
    if constexpr (Type != QUIETS) {
        for (Bitboard b = shift_west<Us>(others) & enemies; b;) {
            const int to = pop_lowest_square(b);
            *out++ = make_move16(to - west, to);
        }
        for (Bitboard b = shift_east<Us>(others) & enemies; b;) {
            const int to = pop_lowest_square(b);
            *out++ = make_move16(to - east, to);
        }
    }
    return out;
}

template <int Us, int Type>
Move* generate(const Position& pos, Move* out) {
    constexpr int Them = Us ^ 1;
    const int king = king_square(pos, Us);
    const Bitboard occupied = pos.occupied;
    const Bitboard* p = pos.pieces[Us];
    const Bitboard kind_mask = Type == CAPTURES ? pos.colors[Them] : Type == QUIETS ? ~occupied : ~pos.colors[Us];

    // 1. King steps, tested with the king lifted off the board, so that a
    //    slider's line also covers the squares behind the king.
    const Bitboard without_king = occupied ^ square_bit(king);
    for (Bitboard b = king_attacks[king] & kind_mask; b;) {
        const int to = pop_lowest_square(b);
        if (!is_attacked_by(pos, to, Them, without_king)) *out++ = make_move16(king, to);
    }
    const Bitboard checkers = pos.checkers;
    if (more_than_one(checkers)) return out;

    // 2. Unpinned pieces: in check, only onto the checker or a square between.
    const Bitboard target = checkers ? between[king][lowest_square(checkers)] | checkers : ~Bitboard{0};
    const Bitboard pinned = pinned_pieces(pos, Us);
    const Bitboard to_mask = kind_mask & target;
    out = pawn_moves<Us, Type>(pos, out, p[PAWN] & ~pinned, target);
    for (Bitboard b = p[KNIGHT] & ~pinned; b;) {
        const int from = pop_lowest_square(b);
        for (Bitboard a = knight_attacks[from] & to_mask; a;) *out++ = make_move16(from, pop_lowest_square(a));
    }
    for (Bitboard b = (p[BISHOP] | p[QUEEN]) & ~pinned; b;) {
        const int from = pop_lowest_square(b);
        for (Bitboard a = bishop_attacks(from, occupied) & to_mask; a;) *out++ = make_move16(from, pop_lowest_square(a));
    }
    for (Bitboard b = (p[ROOK] | p[QUEEN]) & ~pinned; b;) {
        const int from = pop_lowest_square(b);
        for (Bitboard a = rook_attacks(from, occupied) & to_mask; a;) *out++ = make_move16(from, pop_lowest_square(a));
    }

    // 3. Pinned pieces move only along the line through their king, and
    //    never out of check: that line cannot hold the checker. A pinned
    //    knight has no move at all.
    if (pinned && !checkers) {
        for (Bitboard b = pinned & p[PAWN]; b;) {
            const int from = pop_lowest_square(b);
            out = pawn_moves<Us, Type>(pos, out, square_bit(from), line[king][from]);
        }
        for (Bitboard b = pinned & (p[BISHOP] | p[ROOK] | p[QUEEN]); b;) {
            const int from = pop_lowest_square(b);
            const Bitboard moves = piece_attacks(piece_type(pos.board[from]), from, occupied);
            for (Bitboard a = moves & kind_mask & line[king][from]; a;) *out++ = make_move16(from, pop_lowest_square(a));
        }
    }

    // 4. En passant, tested in full.
    if (Type != QUIETS && pos.ep_square >= 0) {
        const int to = pos.ep_square;
        for (Bitboard b = pawn_attacks[Them][to] & p[PAWN]; b;) {
            const int from = pop_lowest_square(b);
            if (en_passant_is_legal(pos, from, to, king)) *out++ = make_move16(from, to, EN_PASSANT);
        }
    }

    // 5. Castling.
    if (Type != CAPTURES && !checkers && (pos.castling & (Us == WHITE ? 3 : 12))) {
        for (int i = 2 * Us; i < 2 * Us + 2; ++i)
            if (castling_is_open(pos, castlings[i]))
                *out++ = make_move16(castlings[i].king_from, castlings[i].king_to, CASTLE);
    }
    return out;
}

template <int Type>
Move* generate_for_side(const Position& pos, Move* out) {
    Move* end = pos.side == WHITE ? generate<WHITE, Type>(pos, out) : generate<BLACK, Type>(pos, out);
    assert(end - out <= MAX_MOVES);
    return end;
}

}  // namespace

Move* generate_captures(const Position& pos, Move* out) { return generate_for_side<CAPTURES>(pos, out); }
Move* generate_quiets(const Position& pos, Move* out) { return generate_for_side<QUIETS>(pos, out); }
Move* generate_all(const Position& pos, Move* out) { return generate_for_side<ALL>(pos, out); }

bool gives_check(const Position& pos, Move m) {
    const int us = pos.side;
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);
    const int king = king_square(pos, us ^ 1);
    const Bitboard* p = pos.pieces[us];

    if (kind == NORMAL) {
        // 1. Direct: the piece attacks the king from `to`, its own square now empty.
        const Bitboard king_bit = square_bit(king);
        const Bitboard after = pos.occupied ^ square_bit(from);
        switch (piece_type(pos.board[from])) {
            case PAWN:
                if (pawn_attacks[us][to] & king_bit) return true;
                break;
            case KNIGHT:
                if (knight_attacks[to] & king_bit) return true;
                break;
            case BISHOP:
                if ((diagonal_lines[to] & king_bit) && !(between[to][king] & after)) return true;
                break;
            case ROOK:
                if ((straight_lines[to] & king_bit) && !(between[to][king] & after)) return true;
                break;
            case QUEEN:
                if (line[to][king] && !(between[to][king] & after)) return true;
                break;
            default: break;
        }
        // 2. Discovered: leaving a line from the king may open it to a slider behind.
        const Bitboard l = line[king][from];
        if (!l || (l & square_bit(to))) return false;
        // The moved piece's old square needs no masking: a slider of the
        // line's kind there, with the line clear, would be giving check now.
        const Bitboard occupied = after | square_bit(to);
        if (direction_is_diagonal(line_direction[king][from]))
            return (bishop_attacks(king, occupied) & l & (p[BISHOP] | p[QUEEN])) != 0;
        return (rook_attacks(king, occupied) & l & (p[ROOK] | p[QUEEN])) != 0;
    }

    // Promotions, en passant and castling: the attackers of the king on the
    // board as it will be.
    Bitboard occupied = pos.occupied;
    Bitboard pawns = p[PAWN], knights = p[KNIGHT], diagonal = p[BISHOP] | p[QUEEN], straight = p[ROOK] | p[QUEEN];
    if (kind == CASTLE) {
        const int rook_from = to > from ? from + 3 : from - 4, rook_to = (from + to) >> 1;
        occupied ^= square_bit(from) ^ square_bit(to) ^ square_bit(rook_from) ^ square_bit(rook_to);
        straight ^= square_bit(rook_from) ^ square_bit(rook_to);
    } else if (kind == EN_PASSANT) {
        occupied ^= square_bit(from) ^ square_bit(to) ^ square_bit(to + (us == WHITE ? 8 : -8));
        pawns ^= square_bit(from) ^ square_bit(to);
    } else {
        occupied = (occupied ^ square_bit(from)) | square_bit(to);
        const int promoted = promotion_piece(m);
        if (promoted == KNIGHT) knights |= square_bit(to);
        if (promoted == BISHOP || promoted == QUEEN) diagonal |= square_bit(to);
        if (promoted == ROOK || promoted == QUEEN) straight |= square_bit(to);
    }
    return (pawn_attacks[us ^ 1][king] & pawns) || (knight_attacks[king] & knights) ||
           (bishop_attacks(king, occupied) & diagonal) || (rook_attacks(king, occupied) & straight);
}

}  // namespace strong
