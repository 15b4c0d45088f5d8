// Legal move generation for the strong board, and the move tests a search needs.
#include "strong/movegen.h"

#include <cassert>
#include <cstring>

namespace strong {

namespace {

enum GenType { CAPTURES, QUIETS, ALL };

// The four castlings: CASTLE_* bit, king's squares, the squares that must be
// empty, and the two the king passes and lands on, which must not be
// attacked (its own square is the in-check test). White's two come first.
struct Castling {
    int right;
    int king_from;
    int king_to;
    Bitboard must_be_empty;
    int passes[2];
};

constexpr Castling castlings[4] = {
    {CASTLE_WHITE_KINGSIDE, E1, G1, square_bit(F1) | square_bit(G1), {F1, G1}},
    {CASTLE_WHITE_QUEENSIDE, E1, C1, square_bit(B1) | square_bit(C1) | square_bit(D1), {D1, C1}},
    {CASTLE_BLACK_KINGSIDE, E8, G8, square_bit(F8) | square_bit(G8), {F8, G8}},
    {CASTLE_BLACK_QUEENSIDE, E8, C8, square_bit(B8) | square_bit(C8) | square_bit(D8), {D8, C8}},
};

// The castling is open: right held, squares empty, king not in check and
// not passing or landing on an attacked square.
inline bool castling_is_open(const Position& pos, const Castling& c) {
    return (pos.castling & c.right) && !(pos.occupied & c.must_be_empty) && !pos.checkers &&
           !is_attacked_by(pos, c.passes[0], pos.side ^ 1, pos.occupied) &&
           !is_attacked_by(pos, c.passes[1], pos.side ^ 1, pos.occupied);
}

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

// Whether taking en passant from `from` keeps the king on `king` safe. The
// move empties two squares and fills a third, so every attacker is looked
// at again; it is rare enough not to matter.
bool en_passant_is_legal(const Position& pos, int from, int to, int king) {
    const int us = pos.side, them = us ^ 1;
    const int victim = to + (us == WHITE ? 8 : -8);
    const Bitboard occupied = (pos.occupied ^ square_bit(from) ^ square_bit(victim)) | square_bit(to);
    const Bitboard* e = pos.pieces[them];
    return !((bishop_attacks(king, occupied) & (e[BISHOP] | e[QUEEN])) |
             (rook_attacks(king, occupied) & (e[ROOK] | e[QUEEN])) | (knight_attacks[king] & e[KNIGHT]) |
             (pawn_attacks[us][king] & e[PAWN] & ~square_bit(victim)));
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

bool is_pseudo_legal(const Position& pos, Move m) {
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);
    if (from == to || kind > CASTLE) return false;  // NO_MOVE is a8a8
    const int us = pos.side;
    const int code = pos.board[from];
    if (code == NO_PIECE || piece_colour(code) != us) return false;
    const Bitboard to_bit = square_bit(to);
    if (pos.colors[us] & to_bit) return false;
    const int piece = piece_type(code);

    if (kind == CASTLE) {
        for (int i = 2 * us; i < 2 * us + 2; ++i)
            if (castlings[i].king_from == from && castlings[i].king_to == to) return castling_is_open(pos, castlings[i]);
        return false;
    }
    if (kind == EN_PASSANT) return piece == PAWN && to == pos.ep_square && (pawn_attacks[us][from] & to_bit);
    if (piece == PAWN) {
        const bool last_rank = us == WHITE ? to < 8 : to >= 56;
        if (last_rank != (kind != NORMAL)) return false;  // kind is NORMAL or a promotion here
        if (pawn_attacks[us][from] & to_bit) return (pos.colors[us ^ 1] & to_bit) != 0;
        const int forward = us == WHITE ? -8 : 8;
        if (to == from + forward) return !(pos.occupied & to_bit);
        const int start_row = us == WHITE ? 6 : 1;
        return to == from + 2 * forward && (from >> 3) == start_row &&
               !(pos.occupied & (to_bit | square_bit(from + forward)));
    }
    if (kind != NORMAL) return false;
    return (piece_attacks(piece, from, pos.occupied) & to_bit) != 0;
}

bool is_legal(const Position& pos, Move m) {
    assert(is_pseudo_legal(pos, m));
    const int us = pos.side, them = us ^ 1;
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);
    const int king = king_square(pos, us);
    if (kind == CASTLE) return true;  // is_pseudo_legal has looked at every square
    if (kind == EN_PASSANT) return en_passant_is_legal(pos, from, to, king);
    if (from == king) return !is_attacked_by(pos, to, them, pos.occupied ^ square_bit(from));
    if (pos.checkers) {
        if (more_than_one(pos.checkers)) return false;
        if (!((between[king][lowest_square(pos.checkers)] | pos.checkers) & square_bit(to))) return false;
    }
    // A piece on a line from its king may leave the line only when no enemy
    // slider stands behind it there.
    const Bitboard l = line[king][from];
    if (!l || (l & square_bit(to))) return true;
    const Bitboard occupied = (pos.occupied ^ square_bit(from)) | square_bit(to);
    const Bitboard* e = pos.pieces[them];
    if (direction_is_diagonal(line_direction[king][from]))
        return !(bishop_attacks(king, occupied) & l & (e[BISHOP] | e[QUEEN]));
    return !(rook_attacks(king, occupied) & l & (e[ROOK] | e[QUEEN]));
}

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

bool push_history_move(Position& pos, Move m) {
    if (!is_pseudo_legal(pos, m) || !is_legal(pos, m)) return false;
    if (pos.history_count >= MAX_GAME_PLY) {
        const int keep = MAX_GAME_PLY / 2;
        const int drop = pos.history_count - keep;
        std::memmove(pos.history, pos.history + drop, keep * sizeof(UndoState));
        pos.history_count = keep;
    }
    make(pos, m);
    return true;
}

}  // namespace strong
