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

Move from_classic_move(std::int32_t classic) {
    const int from = ::move_from(classic), to = ::move_to(classic), flags = ::move_flags(classic);
    if (flags & MOVE_CASTLE) return make_move16(from, to, CASTLE);
    if (flags & MOVE_EN_PASSANT) return make_move16(from, to, EN_PASSANT);
    if (flags & MOVE_PROMOTION) return make_move16(from, to, ::move_promotion(classic));
    return make_move16(from, to);
}

}  // namespace strong
