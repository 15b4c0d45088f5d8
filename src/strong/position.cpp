// The strong board: one position in a struct, made and unmade in place, so
// that every search and thread can own its own.
#include "strong/position.h"

#include <algorithm>
#include <cassert>
#include <cstring>


namespace strong {

namespace {

constexpr int MAX_CLOCK = 1000000;  // far beyond any real game, safe for the arithmetic

// Castling by the king's destination: where its rook starts and lands.
struct CastleRook {
    int from = -1;
    int to = -1;
};

constexpr auto build_castle_rooks() {
    struct Table { CastleRook by_king_to[64]; } t{};
    t.by_king_to[G1] = {H1, F1};
    t.by_king_to[C1] = {A1, D1};
    t.by_king_to[G8] = {H8, F8};
    t.by_king_to[C8] = {A8, D8};
    return t;
}
constexpr auto castle_rooks = build_castle_rooks();

struct SetupBitboards {
    Bitboard pieces[2][6] = {};
    Bitboard occupied = 0;
};

bool attacked_in(const SetupBitboards& b, int s, int by) {
    const Bitboard* p = b.pieces[by];
    return (pawn_attacks[by ^ 1][s] & p[PAWN]) || (knight_attacks[s] & p[KNIGHT]) || (king_attacks[s] & p[KING]) ||
           (slider_attacks_by_rays(s, b.occupied, true) & (p[BISHOP] | p[QUEEN])) ||
           (slider_attacks_by_rays(s, b.occupied, false) & (p[ROOK] | p[QUEEN]));
}

// Castling rights whose king and rook stand at home.
int rights_with_pieces_at_home(const std::int8_t* board, int castling) {
    struct Home { int bit, colour, king, rook; };
    constexpr Home homes[4] = {{CASTLE_WHITE_KINGSIDE, WHITE, E1, H1}, {CASTLE_WHITE_QUEENSIDE, WHITE, E1, A1},
                               {CASTLE_BLACK_KINGSIDE, BLACK, E8, H8}, {CASTLE_BLACK_QUEENSIDE, BLACK, E8, A8}};
    for (const Home& h : homes)
        if (board[h.king] != make_piece(h.colour, KING) || board[h.rook] != make_piece(h.colour, ROOK))
            castling &= ~h.bit;
    return castling;
}

// Whether a pawn of `side` can take en passant on `ep` without leaving its
// king attacked, in a position whose pieces are `pieces` and `occupied`:
// the passed pawn and the capturer leave their squares, the capturer lands
// on `ep`, and no slider, knight or pawn may then reach the king.
bool ep_capture_is_legal(const Bitboard (&pieces)[2][6], Bitboard occupied, int side, int ep) {
    const int them = side ^ 1;
    const int passed_pawn = ep + (side == WHITE ? 8 : -8);
    const Bitboard* enemy = pieces[them];
    const int king = lowest_square(pieces[side][KING]);
    for (Bitboard capturers = pawn_attacks[them][ep] & pieces[side][PAWN]; capturers;) {
        const int from = pop_lowest_square(capturers);
        const Bitboard occ = (occupied ^ square_bit(from) ^ square_bit(passed_pawn)) | square_bit(ep);
        const Bitboard attackers = (rook_attacks(king, occ) & (enemy[ROOK] | enemy[QUEEN])) |
                                   (bishop_attacks(king, occ) & (enemy[BISHOP] | enemy[QUEEN])) |
                                   (knight_attacks[king] & enemy[KNIGHT]) |
                                   (pawn_attacks[side][king] & enemy[PAWN] & ~square_bit(passed_pawn));
        if (attackers == 0) return true;
    }
    return false;
}

// Whether `ep` is a square a double push of the side not to move has just
// passed over and a pawn of the side to move can take on, legally.
bool ep_is_capturable(const std::int8_t* board, const Bitboard (&pieces)[2][6], Bitboard occupied, int side, int ep) {
    if (ep < 0 || ep > 63) return false;
    const int forward = side == WHITE ? 8 : -8;  // from the square towards the pawn that passed it
    if ((ep >> 3) != (side == WHITE ? 2 : 5)) return false;
    return board[ep] == NO_PIECE && board[ep - forward] == NO_PIECE &&
           board[ep + forward] == make_piece(side ^ 1, PAWN) && ep_capture_is_legal(pieces, occupied, side, ep);
}

inline Bitboard checkers_of(const Position& pos, int side) {
    const int king = king_square(pos, side);
    const Bitboard* p = pos.pieces[side ^ 1];
    Bitboard c = (pawn_attacks[side][king] & p[PAWN]) | (knight_attacks[king] & p[KNIGHT]);
    const Bitboard diagonal = p[BISHOP] | p[QUEEN], straight = p[ROOK] | p[QUEEN];
    // Most positions have no slider on the king's lines: no lookup then.
    if (diagonal_lines[king] & diagonal) c |= bishop_attacks(king, pos.occupied) & diagonal;
    if (straight_lines[king] & straight) c |= rook_attacks(king, pos.occupied) & straight;
    return c;
}

// The board array, bitboards, and both keys change together.
inline void put_piece(Position& pos, int s, int colour, int piece) {
    const Bitboard b = square_bit(s);
    pos.board[s] = static_cast<std::int8_t>(make_piece(colour, piece));
    pos.pieces[colour][piece] |= b;
    pos.colors[colour] |= b;
    pos.occupied |= b;
}

inline void remove_piece(Position& pos, int s, int colour, int piece) {
    const Bitboard b = square_bit(s);
    pos.board[s] = NO_PIECE;
    pos.pieces[colour][piece] ^= b;
    pos.colors[colour] ^= b;
    pos.occupied ^= b;
}

inline void move_piece(Position& pos, int from, int to, int colour, int piece) {
    const Bitboard both = square_bit(from) | square_bit(to);
    pos.board[to] = pos.board[from];
    pos.board[from] = NO_PIECE;
    pos.pieces[colour][piece] ^= both;
    pos.colors[colour] ^= both;
    pos.occupied ^= both;
}

// The en passant rule of is_ok: -1, or a square the side to move can take on.
bool ep_square_is_ok(const Position& pos) {
    return pos.ep_square == -1 || ep_is_capturable(pos.board, pos.pieces, pos.occupied, pos.side, pos.ep_square);
}

}  // namespace

Key compute_key(const Position& pos) {
    Key key = 0;
    for (int s = 0; s < 64; ++s) {
        const int code = pos.board[s];
        if (code != NO_PIECE) key ^= zobrist.piece[piece_colour(code)][piece_type(code)][s];
    }
    key ^= zobrist.castling[pos.castling & 15];
    if (pos.ep_square >= 0) key ^= zobrist.ep_file[pos.ep_square & 7];
    if (pos.side == BLACK) key ^= zobrist.black_to_move;
    return key;
}

Key compute_pawn_key(const Position& pos) {
    Key key = 0;
    for (int s = 0; s < 64; ++s) {
        const int code = pos.board[s];
        if (piece_type(code) == PAWN) key ^= zobrist.piece[piece_colour(code)][PAWN][s];
    }
    return key;
}

bool set_position(Position& pos, const FenPosition& fen) {
    init_strong();
    // 1. What any position needs.
    std::int8_t board[64];
    SetupBitboards b;
    int kings[2] = {0, 0};
    for (int sq = 0; sq < 64; ++sq) {
        board[sq] = NO_PIECE;
        const int colour = fen.colour[sq], piece = fen.piece[sq];
        if (colour == EMPTY) continue;
        if ((colour != WHITE && colour != BLACK) || piece < PAWN || piece > KING) return false;
        if (piece == KING) ++kings[colour];
        if (piece == PAWN && (sq < 8 || sq >= 56)) return false;
        board[sq] = static_cast<std::int8_t>(make_piece(colour, piece));
        b.pieces[colour][piece] |= square_bit(sq);
        b.occupied |= square_bit(sq);
    }
    if (kings[WHITE] != 1 || kings[BLACK] != 1) return false;
    if (fen.side != WHITE && fen.side != BLACK) return false;
    if (fen.halfmove_clock < 0 || fen.halfmove_clock > MAX_CLOCK || fen.fullmove < 0 || fen.fullmove > MAX_CLOCK)
        return false;
    if (attacked_in(b, lowest_square(b.pieces[fen.side ^ 1][KING]), fen.side)) return false;

    // 2. In: rights and en passant square only where they apply.
    std::memset(pos.pieces, 0, sizeof pos.pieces);
    pos.colors[WHITE] = pos.colors[BLACK] = pos.occupied = 0;
    for (int sq = 0; sq < 64; ++sq) {
        pos.board[sq] = board[sq];
        if (board[sq] == NO_PIECE) continue;
        pos.pieces[fen.colour[sq]][fen.piece[sq]] |= square_bit(sq);
        pos.colors[fen.colour[sq]] |= square_bit(sq);
    }
    pos.occupied = b.occupied;
    pos.side = fen.side;
    pos.castling = rights_with_pieces_at_home(board, fen.castling & 15);
    pos.ep_square = ep_is_capturable(board, b.pieces, b.occupied, fen.side, fen.ep_square) ? fen.ep_square : -1;
    pos.rule50 = static_cast<int>(fen.halfmove_clock);
    pos.plies_from_null = 0;
    pos.game_ply = 2 * static_cast<int>(std::max(fen.fullmove - 1, 0L)) + fen.side;
    pos.history_count = 0;
    pos.key = compute_key(pos);
    pos.pawn_key = compute_pawn_key(pos);
    pos.checkers = checkers_of(pos, pos.side);
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
    return true;
}

bool set_fen(Position& pos, const char* text) {
    FenPosition fen;
    return read_fen(text, fen) == nullptr && set_position(pos, fen);
}

std::string to_fen(const Position& pos) {
    FenPosition fen;
    for (int sq = 0; sq < 64; ++sq) {
        const int code = pos.board[sq];
        fen.colour[sq] = code == NO_PIECE ? EMPTY : piece_colour(code);
        fen.piece[sq] = piece_type(code);
    }
    fen.side = pos.side;
    fen.castling = pos.castling;
    fen.ep_square = pos.ep_square;
    fen.halfmove_clock = pos.rule50;
    fen.fullmove = pos.game_ply / 2 + 1;
    return write_fen(fen);
}

// make and unmake copy the same fields in opposite directions. Vectorised,
// the compiler paired them differently each way, so make loaded 16 bytes
// that unmake had stored as two 8-byte halves: such a load cannot take its
// data from the store buffer and waits for the stores to reach the cache,
// which cost a third of the time of a perft that plays every move. Plain
// copies keep every load the width of the store before it (so do the
// three functions that follow).
[[gnu::optimize("no-tree-slp-vectorize")]] void make(Position& pos, Move m) {
    assert(pos.history_count < HISTORY_CAPACITY);
    UndoState& u = pos.history[pos.history_count++];
    u.key = pos.key;
    u.pawn_key = pos.pawn_key;
    u.checkers = pos.checkers;
    u.rule50 = pos.rule50;
    u.plies_from_null = pos.plies_from_null;
    u.move = m;
    u.castling = static_cast<std::int8_t>(pos.castling);
    u.ep_square = static_cast<std::int8_t>(pos.ep_square);

    const int us = pos.side, them = us ^ 1;
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);
    const int piece = piece_type(pos.board[from]);
    assert(piece_colour(pos.board[from]) == us && piece != EMPTY);

    // 1. Counters, side key, and the old en passant key.
    Key key = pos.key ^ zobrist.black_to_move;
    if (pos.ep_square >= 0) {
        key ^= zobrist.ep_file[pos.ep_square & 7];
        pos.ep_square = -1;
    }
    ++pos.rule50;
    ++pos.plies_from_null;
    ++pos.game_ply;

    // 2. The pieces.
    if (kind == CASTLE) {
        const CastleRook& r = castle_rooks.by_king_to[to];
        move_piece(pos, from, to, us, KING);
        move_piece(pos, r.from, r.to, us, ROOK);
        key ^= zobrist.piece[us][KING][from] ^ zobrist.piece[us][KING][to] ^ zobrist.piece[us][ROOK][r.from] ^
               zobrist.piece[us][ROOK][r.to];
        u.captured = NO_PIECE;
    } else {
        const int victim_square = kind == EN_PASSANT ? to + (us == WHITE ? 8 : -8) : to;
        const int captured = pos.board[victim_square];
        u.captured = static_cast<std::int8_t>(captured);
        if (captured != NO_PIECE) {
            const int victim = piece_type(captured);
            remove_piece(pos, victim_square, them, victim);
            key ^= zobrist.piece[them][victim][victim_square];
            if (victim == PAWN) pos.pawn_key ^= zobrist.piece[them][PAWN][victim_square];
            pos.rule50 = 0;
        }
        move_piece(pos, from, to, us, piece);
        key ^= zobrist.piece[us][piece][from] ^ zobrist.piece[us][piece][to];
        if (piece == PAWN) {
            pos.rule50 = 0;
            pos.pawn_key ^= zobrist.piece[us][PAWN][from] ^ zobrist.piece[us][PAWN][to];
            if (is_promotion(m)) {
                const int promoted = promotion_piece(m);
                pos.pieces[us][PAWN] ^= square_bit(to);
                pos.pieces[us][promoted] |= square_bit(to);
                pos.board[to] = static_cast<std::int8_t>(make_piece(us, promoted));
                key ^= zobrist.piece[us][PAWN][to] ^ zobrist.piece[us][promoted][to];
                pos.pawn_key ^= zobrist.piece[us][PAWN][to];
            } else if ((from ^ to) == 16) {
                // A double push: the square passed over counts only if a pawn
                // can take on it legally, as the rules of repetition count it.
                const int passed = (from + to) >> 1;
                if ((pawn_attacks[us][passed] & pos.pieces[them][PAWN]) &&
                    ep_capture_is_legal(pos.pieces, pos.occupied, them, passed)) {
                    pos.ep_square = passed;
                    key ^= zobrist.ep_file[passed & 7];
                }
            }
        }
    }

    // 3. Castling rights lost by a king or rook leaving home or a rook taken there.
    if (pos.castling) {
        const int kept = pos.castling & castle_keep_mask[from] & castle_keep_mask[to];
        if (kept != pos.castling) {
            key ^= zobrist.castling[pos.castling] ^ zobrist.castling[kept];
            pos.castling = kept;
        }
    }

    // 4. Hand over the move.
    pos.key = key;
    pos.side = them;
    pos.checkers = checkers_of(pos, them);
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
}

[[gnu::optimize("no-tree-slp-vectorize")]] void unmake(Position& pos) {
    assert(pos.history_count > 0);
    const UndoState& u = pos.history[--pos.history_count];
    const int us = pos.side ^ 1, them = pos.side;
    const Move m = u.move;
    assert(m != NO_MOVE);
    const int from = move_from(m), to = move_to(m), kind = move_kind(m);

    if (kind == CASTLE) {
        const CastleRook& r = castle_rooks.by_king_to[to];
        move_piece(pos, to, from, us, KING);
        move_piece(pos, r.to, r.from, us, ROOK);
    } else {
        if (is_promotion(m)) {
            remove_piece(pos, to, us, promotion_piece(m));
            put_piece(pos, from, us, PAWN);
        } else {
            move_piece(pos, to, from, us, piece_type(pos.board[to]));
        }
        if (u.captured != NO_PIECE) {
            const int victim_square = kind == EN_PASSANT ? to + (us == WHITE ? 8 : -8) : to;
            put_piece(pos, victim_square, them, piece_type(u.captured));
        }
    }

    pos.side = us;
    pos.key = u.key;
    pos.pawn_key = u.pawn_key;
    pos.checkers = u.checkers;
    pos.rule50 = u.rule50;
    pos.plies_from_null = u.plies_from_null;
    pos.castling = u.castling;
    pos.ep_square = u.ep_square;
    --pos.game_ply;
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
}

[[gnu::optimize("no-tree-slp-vectorize")]] void make_null(Position& pos) {
    assert(pos.history_count < HISTORY_CAPACITY && !pos.checkers);
    UndoState& u = pos.history[pos.history_count++];
    u.key = pos.key;
    u.pawn_key = pos.pawn_key;
    u.checkers = pos.checkers;
    u.rule50 = pos.rule50;
    u.plies_from_null = pos.plies_from_null;
    u.move = NO_MOVE;
    u.captured = NO_PIECE;
    u.castling = static_cast<std::int8_t>(pos.castling);
    u.ep_square = static_cast<std::int8_t>(pos.ep_square);

    pos.key ^= zobrist.black_to_move;
    if (pos.ep_square >= 0) {
        pos.key ^= zobrist.ep_file[pos.ep_square & 7];
        pos.ep_square = -1;
    }
    ++pos.rule50;
    pos.plies_from_null = 0;
    ++pos.game_ply;
    pos.side ^= 1;
    // The side that passed was not in check, so the new side to move is not either.
    pos.checkers = 0;
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
}

[[gnu::optimize("no-tree-slp-vectorize")]] void unmake_null(Position& pos) {
    assert(pos.history_count > 0 && pos.history[pos.history_count - 1].move == NO_MOVE);
    const UndoState& u = pos.history[--pos.history_count];
    pos.side ^= 1;
    pos.key = u.key;
    pos.checkers = u.checkers;
    pos.rule50 = u.rule50;
    pos.plies_from_null = u.plies_from_null;
    pos.ep_square = u.ep_square;
    --pos.game_ply;
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
}

Bitboard pinned_pieces(const Position& pos, int colour) {
    const int king = king_square(pos, colour);
    const Bitboard* enemy = pos.pieces[colour ^ 1];
    Bitboard snipers = (diagonal_lines[king] & (enemy[BISHOP] | enemy[QUEEN])) |
                       (straight_lines[king] & (enemy[ROOK] | enemy[QUEEN]));
    Bitboard pinned = 0;
    while (snipers) {
        const Bitboard blockers = between[king][pop_lowest_square(snipers)] & pos.occupied;
        if (blockers && !more_than_one(blockers)) pinned |= blockers & pos.colors[colour];
    }
    return pinned;
}

bool is_repetition(const Position& pos, int plies_from_root) {
    const int reach = std::min({pos.rule50, pos.plies_from_null, pos.history_count});
    int earlier = 0;
    // The same side is to move only every other ply, and it takes four
    // plies to come back to a position.
    for (int back = 4; back <= reach; back += 2) {
        if (pos.history[pos.history_count - back].key != pos.key) continue;
        if (back < plies_from_root || ++earlier == 2) return true;
    }
    return false;
}

int earlier_occurrences(const Position& pos) {
    const int reach = std::min({pos.rule50, pos.plies_from_null, pos.history_count});
    int earlier = 0;
    for (int back = 4; back <= reach; back += 2) earlier += pos.history[pos.history_count - back].key == pos.key;
    return earlier;
}

bool has_insufficient_material(const Position& pos) {
    const Bitboard(&p)[2][6] = pos.pieces;
    if (p[WHITE][PAWN] | p[BLACK][PAWN] | p[WHITE][ROOK] | p[BLACK][ROOK] | p[WHITE][QUEEN] | p[BLACK][QUEEN])
        return false;
    const Bitboard knights = p[WHITE][KNIGHT] | p[BLACK][KNIGHT];
    const Bitboard bishops = p[WHITE][BISHOP] | p[BLACK][BISHOP];
    if (!more_than_one(knights | bishops)) return true;
    return !knights && (!(bishops & DARK_SQUARES) || !(bishops & ~DARK_SQUARES));
}

bool is_ok(const Position& pos) {
    // 1. The bitboards from the board array, one king each, no pawn on a back rank.
    Bitboard pieces[2][6] = {}, colors[2] = {}, occupied = 0;
    for (int s = 0; s < 64; ++s) {
        const int code = pos.board[s];
        if (code == NO_PIECE) continue;
        if (code < 0 || piece_colour(code) > BLACK || piece_type(code) > KING) return false;
        pieces[piece_colour(code)][piece_type(code)] |= square_bit(s);
        colors[piece_colour(code)] |= square_bit(s);
        occupied |= square_bit(s);
    }
    if (std::memcmp(pieces, pos.pieces, sizeof pieces) != 0 || colors[WHITE] != pos.colors[WHITE] ||
        colors[BLACK] != pos.colors[BLACK] || occupied != pos.occupied)
        return false;
    if (__builtin_popcountll(pieces[WHITE][KING]) != 1 || __builtin_popcountll(pieces[BLACK][KING]) != 1) return false;
    if ((pieces[WHITE][PAWN] | pieces[BLACK][PAWN]) & (row_bits(0) | row_bits(7))) return false;

    // 2. Side, rights, en passant, counters.
    if (pos.side != WHITE && pos.side != BLACK) return false;
    if (pos.castling < 0 || pos.castling > 15 || rights_with_pieces_at_home(pos.board, pos.castling) != pos.castling)
        return false;
    if (!ep_square_is_ok(pos)) return false;
    if (pos.rule50 < 0 || pos.plies_from_null < 0 || pos.game_ply < 0) return false;
    if (pos.history_count < 0 || pos.history_count > HISTORY_CAPACITY) return false;

    // 3. Keys.
    if (pos.key != compute_key(pos) || pos.pawn_key != compute_pawn_key(pos)) return false;

    // 4. Checks, by tracing rays rather than through the magics.
    const auto attackers = [&](int s, int by) {
        const Bitboard* p = pieces[by];
        return (pawn_attacks[by ^ 1][s] & p[PAWN]) | (knight_attacks[s] & p[KNIGHT]) | (king_attacks[s] & p[KING]) |
               (slider_attacks_by_rays(s, occupied, true) & (p[BISHOP] | p[QUEEN])) |
               (slider_attacks_by_rays(s, occupied, false) & (p[ROOK] | p[QUEEN]));
    };
    const int us = pos.side;
    if (attackers(lowest_square(pieces[us][KING]), us ^ 1) != pos.checkers) return false;
    return attackers(lowest_square(pieces[us ^ 1][KING]), us) == 0;
}

}  // namespace strong
