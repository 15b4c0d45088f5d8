// Setting the position from FEN text and writing it back, for tests and tools.
#include "board/fen.h"

#include <cstring>

#include "board/attack.h"
#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"

namespace {

constexpr long MAX_HALFMOVE_CLOCK = 1000000;  // far beyond any real game, safe for the arithmetic

int piece_from_letter(char c) {
    switch (c | 0x20) {
        case 'p': return PAWN;
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        case 'k': return KING;
        default: return EMPTY;
    }
}

// Splits on blanks into at most `max_fields` fields; returns the field count
// (max_fields + 1 when there are more).
int split_fields(const char* text, std::string* fields, int max_fields) {
    int count = 0;
    const char* p = text;
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (!*p) return count;
        if (count == max_fields) return max_fields + 1;
        const char* start = p;
        while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
        fields[count++].assign(start, p);
    }
}

bool parse_count(const std::string& text, long limit, long* value) {
    if (text.empty() || text.size() > 9) return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return false;
    *value = v;
    return true;
}

const char* parse_placement(const std::string& text, int* color, int* piece) {
    int row = 0, file = 0;
    for (char c : text) {
        if (c == '/') {
            if (file != 8) return "bad FEN: a rank does not have 8 files";
            if (++row > 7) return "bad FEN: more than 8 ranks";
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8) return "bad FEN: a rank has more than 8 files";
        } else {
            const int p = piece_from_letter(c);
            if (p == EMPTY || !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
                return "bad FEN: unknown piece letter";
            if (file > 7) return "bad FEN: a rank has more than 8 files";
            color[row * 8 + file] = (c >= 'a') ? BLACK : WHITE;
            piece[row * 8 + file] = p;
            ++file;
        }
    }
    if (row != 7 || file != 8) return "bad FEN: the board does not have 8 ranks of 8 files";
    return nullptr;
}

const char* check_material(const int* color, const int* piece) {
    int kings[2] = {0, 0};
    for (int s = 0; s < 64; ++s) {
        if (color[s] == EMPTY) continue;
        if (piece[s] == KING) ++kings[color[s]];
        if (piece[s] == PAWN && (s < 8 || s >= 56)) return "bad FEN: a pawn stands on a back rank";
    }
    if (kings[WHITE] != 1 || kings[BLACK] != 1) return "bad FEN: each side needs exactly one king";
    return nullptr;
}

const char* parse_castling(const std::string& text, const int* color, const int* piece, int* rights) {
    *rights = 0;
    if (text == "-") return nullptr;
    for (char c : text) {
        int bit = 0;
        switch (c) {
            case 'K': bit = CASTLE_WHITE_KINGSIDE; break;
            case 'Q': bit = CASTLE_WHITE_QUEENSIDE; break;
            case 'k': bit = CASTLE_BLACK_KINGSIDE; break;
            case 'q': bit = CASTLE_BLACK_QUEENSIDE; break;
            default: return "bad FEN: castling field is not '-' or letters of KQkq";
        }
        if (*rights & bit) return "bad FEN: castling letter repeated";
        *rights |= bit;
    }
    // Keep only the rights whose king and rook stand at home.
    struct Home { int bit, colour, king, rook; };
    constexpr Home homes[4] = {{CASTLE_WHITE_KINGSIDE, WHITE, E1, H1}, {CASTLE_WHITE_QUEENSIDE, WHITE, E1, A1},
                               {CASTLE_BLACK_KINGSIDE, BLACK, E8, H8}, {CASTLE_BLACK_QUEENSIDE, BLACK, E8, A8}};
    for (const Home& h : homes) {
        const bool at_home = color[h.king] == h.colour && piece[h.king] == KING && color[h.rook] == h.colour &&
                             piece[h.rook] == ROOK;
        if (!at_home) *rights &= ~h.bit;
    }
    return nullptr;
}

const char* parse_ep(const std::string& text, int side, const int* color, const int* piece, int* ep) {
    *ep = -1;
    if (text == "-") return nullptr;
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8')
        return "bad FEN: en passant field is not '-' or a square";
    const int square = (8 - (text[1] - '0')) * 8 + (text[0] - 'a');
    // The square passed over: rank 6 with White to move, rank 3 with Black,
    // empty, with the pawn that passed it just beyond and its origin empty.
    const int row = square >> 3;
    const int pawn = side == WHITE ? square + 8 : square - 8;
    const int origin = side == WHITE ? square - 8 : square + 8;
    const int opponent = side ^ 1;
    if (row != (side == WHITE ? 2 : 5) || color[square] != EMPTY || color[origin] != EMPTY ||
        color[pawn] != opponent || piece[pawn] != PAWN)
        return "bad FEN: no pawn has just passed the en passant square";
    *ep = square;
    return nullptr;
}

}  // namespace

const char* load_fen(const char* fen) {
    if (fen == nullptr) return "bad FEN: no text";
    std::string fields[6];
    const int count = split_fields(fen, fields, 6);
    if (count != 4 && count != 6) return "bad FEN: expected 4 or 6 fields";

    int color[64], piece[64];
    for (int s = 0; s < 64; ++s) color[s] = piece[s] = EMPTY;
    if (const char* error = parse_placement(fields[0], color, piece)) return error;
    if (const char* error = check_material(color, piece)) return error;

    int side;
    if (fields[1] == "w")
        side = WHITE;
    else if (fields[1] == "b")
        side = BLACK;
    else
        return "bad FEN: side to move is not 'w' or 'b'";

    int rights, ep;
    if (const char* error = parse_castling(fields[2], color, piece, &rights)) return error;
    if (const char* error = parse_ep(fields[3], side, color, piece, &ep)) return error;

    long clock = 0, fullmove = 1;
    if (count == 6) {
        if (!parse_count(fields[4], MAX_HALFMOVE_CLOCK, &clock)) return "bad FEN: halfmove clock is not a number";
        if (!parse_count(fields[5], MAX_HALFMOVE_CLOCK, &fullmove)) return "bad FEN: move number is not a number";
    }

    // The check test reads the global board, so the new one goes in first
    // and the old one comes back if the test fails.
    int old_color[64], old_piece[64];
    std::memcpy(old_color, square_color, sizeof old_color);
    std::memcpy(old_piece, square_piece, sizeof old_piece);
    const int old_side = side_to_move;
    std::memcpy(square_color, color, sizeof color);
    std::memcpy(square_piece, piece, sizeof piece);
    side_to_move = side;
    side_not_to_move = side ^ 1;
    rebuild_board_state();
    if (side_in_check(side_not_to_move)) {
        std::memcpy(square_color, old_color, sizeof old_color);
        std::memcpy(square_piece, old_piece, sizeof old_piece);
        side_to_move = old_side;
        side_not_to_move = old_side ^ 1;
        rebuild_board_state();
        return "bad FEN: the side not to move is in check";
    }
    castle_rights = rights;
    ep_square = ep;
    halfmove_clock = static_cast<int>(clock);
    search_ply = 0;
    history_ply = 0;
    ply_first_move[0] = 0;
    compute_hash();
    return nullptr;
}

std::string position_to_fen() {
    static const char letters[] = "pnbrqk";
    std::string fen;
    for (int row = 0; row < 8; ++row) {
        int gap = 0;
        for (int file = 0; file < 8; ++file) {
            const int s = row * 8 + file;
            if (square_color[s] == EMPTY) {
                ++gap;
                continue;
            }
            if (gap) fen += static_cast<char>('0' + gap);
            gap = 0;
            const char c = letters[square_piece[s]];
            fen += square_color[s] == WHITE ? static_cast<char>(c - 32) : c;
        }
        if (gap) fen += static_cast<char>('0' + gap);
        if (row < 7) fen += '/';
    }
    fen += side_to_move == WHITE ? " w " : " b ";
    if (castle_rights == 0) fen += '-';
    if (castle_rights & CASTLE_WHITE_KINGSIDE) fen += 'K';
    if (castle_rights & CASTLE_WHITE_QUEENSIDE) fen += 'Q';
    if (castle_rights & CASTLE_BLACK_KINGSIDE) fen += 'k';
    if (castle_rights & CASTLE_BLACK_QUEENSIDE) fen += 'q';
    fen += ' ';
    if (ep_square < 0) {
        fen += '-';
    } else {
        fen += static_cast<char>('a' + (ep_square & 7));
        fen += static_cast<char>('8' - (ep_square >> 3));
    }
    fen += ' ' + std::to_string(halfmove_clock) + " 1";
    return fen;
}
