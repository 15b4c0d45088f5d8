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

// What a FEN or the classic globals describe, before it becomes a Position.
struct Setup {
    std::int8_t board[64];
    int side;
    int castling;
    int ep_square;
    int rule50;
    int game_ply;
};

struct SetupBitboards {
    Bitboard pieces[2][6] = {};
    Bitboard occupied = 0;
};

SetupBitboards bitboards_of(const Setup& s) {
    SetupBitboards b;
    for (int sq = 0; sq < 64; ++sq) {
        const int code = s.board[sq];
        if (code == NO_PIECE) continue;
        b.pieces[piece_colour(code)][piece_type(code)] |= square_bit(sq);
        b.occupied |= square_bit(sq);
    }
    return b;
}

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

// Whether `ep` is a square a double push of the side not to move has just
// passed over and a pawn of the side to move can take on.
bool ep_is_capturable(const std::int8_t* board, Bitboard our_pawns, int side, int ep) {
    if (ep < 0 || ep > 63) return false;
    const int forward = side == WHITE ? 8 : -8;  // from the square towards the pawn that passed it
    if ((ep >> 3) != (side == WHITE ? 2 : 5)) return false;
    return board[ep] == NO_PIECE && board[ep - forward] == NO_PIECE &&
           board[ep + forward] == make_piece(side ^ 1, PAWN) && (pawn_attacks[side ^ 1][ep] & our_pawns) != 0;
}

// Checks the setup, drops rights and en passant square that do not apply.
bool validate(Setup& s) {
    int kings[2] = {0, 0};
    for (int sq = 0; sq < 64; ++sq) {
        const int code = s.board[sq];
        if (code == NO_PIECE) continue;
        if (piece_type(code) > KING || piece_colour(code) > BLACK) return false;
        if (piece_type(code) == KING) ++kings[piece_colour(code)];
        if (piece_type(code) == PAWN && (sq < 8 || sq >= 56)) return false;
    }
    if (kings[WHITE] != 1 || kings[BLACK] != 1) return false;
    if (s.side != WHITE && s.side != BLACK) return false;
    if (s.rule50 < 0 || s.rule50 > MAX_CLOCK || s.game_ply < 0 || s.game_ply > 2 * MAX_CLOCK) return false;
    const SetupBitboards b = bitboards_of(s);
    if (attacked_in(b, lowest_square(b.pieces[s.side ^ 1][KING]), s.side)) return false;
    s.castling = rights_with_pieces_at_home(s.board, s.castling & 15);
    if (!ep_is_capturable(s.board, b.pieces[s.side][PAWN], s.side, s.ep_square)) s.ep_square = -1;
    return true;
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

void install(Position& pos, const Setup& s) {
    std::memset(pos.pieces, 0, sizeof pos.pieces);
    pos.colors[WHITE] = pos.colors[BLACK] = pos.occupied = 0;
    for (int sq = 0; sq < 64; ++sq) {
        const int code = s.board[sq];
        pos.board[sq] = static_cast<std::int8_t>(code);
        if (code == NO_PIECE) continue;
        pos.pieces[piece_colour(code)][piece_type(code)] |= square_bit(sq);
        pos.colors[piece_colour(code)] |= square_bit(sq);
        pos.occupied |= square_bit(sq);
    }
    pos.side = s.side;
    pos.castling = s.castling;
    pos.ep_square = s.ep_square;
    pos.rule50 = s.rule50;
    pos.plies_from_null = 0;
    pos.game_ply = s.game_ply;
    pos.history_count = 0;
    pos.key = compute_key(pos);
    pos.pawn_key = compute_pawn_key(pos);
    pos.checkers = checkers_of(pos, pos.side);
    if constexpr (SLOW_CHECKS) assert(is_ok(pos));
}

int code_of_letter(char c) {
    const int colour = (c >= 'a' && c <= 'z') ? BLACK : WHITE;
    switch (c | 0x20) {
        case 'p': return make_piece(colour, PAWN);
        case 'n': return make_piece(colour, KNIGHT);
        case 'b': return make_piece(colour, BISHOP);
        case 'r': return make_piece(colour, ROOK);
        case 'q': return make_piece(colour, QUEEN);
        case 'k': return make_piece(colour, KING);
        default: return NO_PIECE;
    }
}

// Splits on blanks into at most `max_fields` fields; returns the field count
// (max_fields + 1 when there are more).
int split_fields(const char* text, std::string* fields, int max_fields) {
    int count = 0;
    for (const char* p = text;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (!*p) return count;
        if (count == max_fields) return max_fields + 1;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
        fields[count++].assign(start, p);
    }
}

bool parse_count(const std::string& text, int* value) {
    if (text.empty() || text.size() > 7) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > MAX_CLOCK) return false;
    *value = v;
    return true;
}

bool parse_placement(const std::string& text, std::int8_t* board) {
    int row = 0, file = 0;
    for (char c : text) {
        if (c == '/') {
            if (file != 8 || ++row > 7) return false;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return false;
        } else {
            const int code = code_of_letter(c);
            if (code == NO_PIECE || !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) || file > 7) return false;
            board[row * 8 + file++] = static_cast<std::int8_t>(code);
        }
    }
    return row == 7 && file == 8;
}

bool parse_castling(const std::string& text, int* rights) {
    *rights = 0;
    if (text == "-") return true;
    for (char c : text) {
        const int bit = c == 'K' ? CASTLE_WHITE_KINGSIDE
                        : c == 'Q' ? CASTLE_WHITE_QUEENSIDE
                        : c == 'k' ? CASTLE_BLACK_KINGSIDE
                        : c == 'q' ? CASTLE_BLACK_QUEENSIDE
                                   : 0;
        if (bit == 0 || (*rights & bit)) return false;
        *rights |= bit;
    }
    return true;
}

bool parse_fen(const char* fen, Setup& s) {
    if (fen == nullptr) return false;
    std::string fields[6];
    const int count = split_fields(fen, fields, 6);
    if (count != 4 && count != 6) return false;
    std::memset(s.board, NO_PIECE, sizeof s.board);
    if (!parse_placement(fields[0], s.board)) return false;
    if (fields[1] != "w" && fields[1] != "b") return false;
    s.side = fields[1] == "w" ? WHITE : BLACK;
    if (!parse_castling(fields[2], &s.castling)) return false;
    const std::string& ep = fields[3];
    s.ep_square = -1;
    if (ep != "-") {
        if (ep.size() != 2 || ep[0] < 'a' || ep[0] > 'h' || ep[1] < '1' || ep[1] > '8') return false;
        s.ep_square = (8 - (ep[1] - '0')) * 8 + (ep[0] - 'a');
    }
    int fullmove = 1;
    s.rule50 = 0;
    if (count == 6 && (!parse_count(fields[4], &s.rule50) || !parse_count(fields[5], &fullmove))) return false;
    s.game_ply = 2 * std::max(fullmove - 1, 0) + s.side;
    return true;
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
    return pos.ep_square == -1 || ep_is_capturable(pos.board, pos.pieces[pos.side][PAWN], pos.side, pos.ep_square);
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

bool set_fen(Position& pos, const char* fen) {
    init_strong();
    Setup s;
    if (!parse_fen(fen, s) || !validate(s)) return false;
    install(pos, s);
    return true;
}

bool set_from_classic(Position& pos) {
    init_strong();
    Setup s;
    for (int sq = 0; sq < 64; ++sq) {
        const int colour = square_color[sq], piece = square_piece[sq];
        if (colour == EMPTY) {
            s.board[sq] = NO_PIECE;
            continue;
        }
        if ((colour != WHITE && colour != BLACK) || piece < PAWN || piece > KING) return false;
        s.board[sq] = static_cast<std::int8_t>(make_piece(colour, piece));
    }
    s.side = side_to_move;
    s.castling = castle_rights;
    s.ep_square = ep_square;
    s.rule50 = halfmove_clock;
    // The classic board counts plies from its setup; keep the parity of the side to move.
    s.game_ply = std::max(history_ply, 0);
    if ((s.game_ply & 1) != (side_to_move & 1)) ++s.game_ply;
    if (!validate(s)) return false;
    install(pos, s);
    return true;
}

std::string to_fen(const Position& pos) {
    static const char letters[] = "pnbrqk";
    std::string fen;
    for (int row = 0; row < 8; ++row) {
        int gap = 0;
        for (int file = 0; file < 8; ++file) {
            const int code = pos.board[row * 8 + file];
            if (code == NO_PIECE) {
                ++gap;
                continue;
            }
            if (gap) fen += static_cast<char>('0' + gap);
            gap = 0;
            const char c = letters[piece_type(code)];
            fen += piece_colour(code) == WHITE ? static_cast<char>(c - 32) : c;
        }
        if (gap) fen += static_cast<char>('0' + gap);
        if (row < 7) fen += '/';
    }
    fen += pos.side == WHITE ? " w " : " b ";
    if (pos.castling == 0) fen += '-';
    if (pos.castling & CASTLE_WHITE_KINGSIDE) fen += 'K';
    if (pos.castling & CASTLE_WHITE_QUEENSIDE) fen += 'Q';
    if (pos.castling & CASTLE_BLACK_KINGSIDE) fen += 'k';
    if (pos.castling & CASTLE_BLACK_QUEENSIDE) fen += 'q';
    fen += ' ';
    if (pos.ep_square < 0) {
        fen += '-';
    } else {
        fen += static_cast<char>('a' + (pos.ep_square & 7));
        fen += static_cast<char>('8' - (pos.ep_square >> 3));
    }
    fen += ' ' + std::to_string(pos.rule50) + ' ' + std::to_string(pos.game_ply / 2 + 1);
    return fen;
}

void make(Position& pos, Move m) {
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
    if constexpr (SLOW_CHECKS) assert(is_pseudo_legal(pos, m) && is_legal(pos, m));

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
                // A double push: the square passed over counts only if a pawn can take on it.
                const int passed = (from + to) >> 1;
                if (pawn_attacks[us][passed] & pos.pieces[them][PAWN]) {
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

void unmake(Position& pos) {
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

void make_null(Position& pos) {
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

void unmake_null(Position& pos) {
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
