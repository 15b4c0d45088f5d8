// Moves of the strong board as coordinate text, and moves of the classic board converted.
#include "strong/notation.h"

#include "strong/movegen.h"

namespace strong {

std::string move_to_uci(Move m) {
    if (m == NO_MOVE) return "0000";
    std::string text;
    for (const int s : {move_from(m), move_to(m)}) {
        text += static_cast<char>('a' + (s & 7));
        text += static_cast<char>('8' - (s >> 3));
    }
    if (is_promotion(m)) text += "pnbrqk"[promotion_piece(m)];
    return text;
}

Move parse_uci_move(const Position& pos, const char* text) {
    MoveList list;
    generate_all(pos, list);
    for (const Move m : list) {
        const std::string name = move_to_uci(m);
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) same = (text[i] | 0x20) == name[i];
        // The text ends where the name does (a promotion's letter included).
        if (same && (text[name.size()] == '\0' || text[name.size()] == ' ')) return m;
    }
    return NO_MOVE;
}

Move parse_san(const Position& pos, const char* text) {
    std::string san(text);
    while (!san.empty() && std::string("+#!?").find(san.back()) != std::string::npos) san.pop_back();
    MoveList list;
    generate_all(pos, list);
    if (san == "O-O" || san == "O-O-O" || san == "0-0" || san == "0-0-0") {
        const bool king_side = san.size() == 3;
        for (const Move m : list)
            if (move_kind(m) == CASTLE && ((move_to(m) & 7) == 6) == king_side) return m;
        return NO_MOVE;
    }
    // [piece][from file][from rank][x]to[=promotion]
    int piece = PAWN;
    std::size_t i = 0;
    if (!san.empty() && std::string("NBRQK").find(san[0]) != std::string::npos) piece = static_cast<int>(1 + std::string("NBRQK").find(san[i++]));
    int promotion = EMPTY;
    const std::size_t equals = san.find('=');
    if (equals != std::string::npos) {
        if (equals + 1 >= san.size()) return NO_MOVE;
        const std::size_t p = std::string("NBRQ").find(san[equals + 1]);
        if (p == std::string::npos) return NO_MOVE;
        promotion = static_cast<int>(KNIGHT + p);
        san.resize(equals);
    }
    if (san.size() < i + 2) return NO_MOVE;
    const char file = san[san.size() - 2], rank = san[san.size() - 1];
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return NO_MOVE;
    const int to = (8 - (rank - '0')) * 8 + (file - 'a');
    int from_file = -1, from_row = -1;
    for (std::size_t j = i; j + 2 < san.size(); ++j) {
        if (san[j] >= 'a' && san[j] <= 'h') from_file = san[j] - 'a';
        if (san[j] >= '1' && san[j] <= '8') from_row = 8 - (san[j] - '0');
    }
    Move found = NO_MOVE;
    for (const Move m : list) {
        const int from = move_from(m);
        if (move_to(m) != to || piece_type(pos.board[from]) != piece) continue;
        if ((from_file >= 0 && (from & 7) != from_file) || (from_row >= 0 && (from >> 3) != from_row)) continue;
        if (promotion_piece(m) != promotion) continue;
        if (found != NO_MOVE) return NO_MOVE;  // ambiguous
        found = m;
    }
    return found;
}


}  // namespace strong
