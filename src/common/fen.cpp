// FEN text, read and written once for both boards.
#include "common/fen.h"

namespace {

constexpr long MAX_CLOCK = 1000000;  // far beyond any real game, safe for the arithmetic

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

bool parse_count(const std::string& text, long* value) {
    if (text.empty() || text.size() > 9) return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > MAX_CLOCK) return false;
    *value = v;
    return true;
}

const char* parse_placement(const std::string& text, FenPosition& fen) {
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
            fen.colour[row * 8 + file] = (c >= 'a') ? BLACK : WHITE;
            fen.piece[row * 8 + file] = p;
            ++file;
        }
    }
    if (row != 7 || file != 8) return "bad FEN: the board does not have 8 ranks of 8 files";
    return nullptr;
}

const char* check_material(const FenPosition& fen) {
    int kings[2] = {0, 0};
    for (int s = 0; s < 64; ++s) {
        if (fen.colour[s] == EMPTY) continue;
        if (fen.piece[s] == KING) ++kings[fen.colour[s]];
        if (fen.piece[s] == PAWN && (s < 8 || s >= 56)) return "bad FEN: a pawn stands on a back rank";
    }
    if (kings[WHITE] != 1 || kings[BLACK] != 1) return "bad FEN: each side needs exactly one king";
    return nullptr;
}

const char* parse_castling(const std::string& text, FenPosition& fen) {
    int rights = 0;
    fen.castling = 0;
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
        if (rights & bit) return "bad FEN: castling letter repeated";
        rights |= bit;
    }
    // Keep only the rights whose king and rook stand at home.
    struct Home { int bit, colour, king, rook; };
    constexpr Home homes[4] = {{CASTLE_WHITE_KINGSIDE, WHITE, E1, H1}, {CASTLE_WHITE_QUEENSIDE, WHITE, E1, A1},
                               {CASTLE_BLACK_KINGSIDE, BLACK, E8, H8}, {CASTLE_BLACK_QUEENSIDE, BLACK, E8, A8}};
    for (const Home& h : homes) {
        const bool at_home = fen.colour[h.king] == h.colour && fen.piece[h.king] == KING &&
                             fen.colour[h.rook] == h.colour && fen.piece[h.rook] == ROOK;
        if (!at_home) rights &= ~h.bit;
    }
    fen.castling = rights;
    return nullptr;
}

const char* parse_ep(const std::string& text, FenPosition& fen) {
    fen.ep_square = -1;
    if (text == "-") return nullptr;
    if (text.size() != 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8')
        return "bad FEN: en passant field is not '-' or a square";
    const int square = (8 - (text[1] - '0')) * 8 + (text[0] - 'a');
    // The square passed over: rank 6 with White to move, rank 3 with Black,
    // empty, with the pawn that passed it just beyond and its origin empty.
    const int row = square >> 3;
    const int pawn = fen.side == WHITE ? square + 8 : square - 8;
    const int origin = fen.side == WHITE ? square - 8 : square + 8;
    const int opponent = fen.side ^ 1;
    if (row != (fen.side == WHITE ? 2 : 5) || fen.colour[square] != EMPTY || fen.colour[origin] != EMPTY ||
        fen.colour[pawn] != opponent || fen.piece[pawn] != PAWN)
        return "bad FEN: no pawn has just passed the en passant square";
    fen.ep_square = square;
    return nullptr;
}

}  // namespace

const char* read_fen(const char* text, FenPosition& fen) {
    if (text == nullptr) return "bad FEN: no text";
    std::string fields[6];
    const int count = split_fields(text, fields, 6);
    if (count != 4 && count != 6) return "bad FEN: expected 4 or 6 fields";

    for (int s = 0; s < 64; ++s) fen.colour[s] = fen.piece[s] = EMPTY;
    if (const char* error = parse_placement(fields[0], fen)) return error;
    if (const char* error = check_material(fen)) return error;

    if (fields[1] == "w")
        fen.side = WHITE;
    else if (fields[1] == "b")
        fen.side = BLACK;
    else
        return "bad FEN: side to move is not 'w' or 'b'";

    if (const char* error = parse_castling(fields[2], fen)) return error;
    if (const char* error = parse_ep(fields[3], fen)) return error;

    fen.halfmove_clock = 0;
    fen.fullmove = 1;
    if (count == 6) {
        if (!parse_count(fields[4], &fen.halfmove_clock)) return "bad FEN: halfmove clock is not a number";
        if (!parse_count(fields[5], &fen.fullmove)) return "bad FEN: move number is not a number";
    }
    return nullptr;
}

std::string write_fen(const FenPosition& fen) {
    static const char letters[] = "pnbrqk";
    std::string text;
    for (int row = 0; row < 8; ++row) {
        int gap = 0;
        for (int file = 0; file < 8; ++file) {
            const int s = row * 8 + file;
            if (fen.colour[s] == EMPTY) {
                ++gap;
                continue;
            }
            if (gap) text += static_cast<char>('0' + gap);
            gap = 0;
            const char c = letters[fen.piece[s]];
            text += fen.colour[s] == WHITE ? static_cast<char>(c - 32) : c;
        }
        if (gap) text += static_cast<char>('0' + gap);
        if (row < 7) text += '/';
    }
    text += fen.side == WHITE ? " w " : " b ";
    if (fen.castling == 0) text += '-';
    if (fen.castling & CASTLE_WHITE_KINGSIDE) text += 'K';
    if (fen.castling & CASTLE_WHITE_QUEENSIDE) text += 'Q';
    if (fen.castling & CASTLE_BLACK_KINGSIDE) text += 'k';
    if (fen.castling & CASTLE_BLACK_QUEENSIDE) text += 'q';
    text += ' ';
    if (fen.ep_square < 0) {
        text += '-';
    } else {
        text += static_cast<char>('a' + (fen.ep_square & 7));
        text += static_cast<char>('8' - (fen.ep_square >> 3));
    }
    text += ' ' + std::to_string(fen.halfmove_clock) + ' ' + std::to_string(fen.fullmove);
    return text;
}
