// Moves as coordinate text: e2e4, e1g1 for castling, e7e8q for a promotion.
#include "board/move_text.h"

#include <cstdio>

int parse_move_text(const char* text) {
    for (int i = 0; i < 4; ++i) {
        const char c = text[i];
        const bool ok = (i % 2 == 0) ? (c >= 'a' && c <= 'h') : (c >= '0' && c <= '9');
        if (!ok) return -1;
    }
    // Digits 0 and 9 give squares off the board, which match no entry.
    const int from = (8 - (text[1] - '0')) * 8 + (text[0] - 'a');
    const int to = (8 - (text[3] - '0')) * 8 + (text[2] - 'a');
    const int end = ply_first_move[1];
    for (int i = 0; i < end; ++i) {
        const Move move = move_list[i].move;
        if (move_from(move) != from || move_to(move) != to) continue;
        if (!(move_flags(move) & MOVE_PROMOTION)) return i;
        // A search may have reordered the list: pick the entry by its piece.
        // The piece letter in either case: interfaces write lower case.
        int wanted = QUEEN;
        if (text[4] == 'N' || text[4] == 'n') wanted = KNIGHT;
        if (text[4] == 'B' || text[4] == 'b') wanted = BISHOP;
        if (text[4] == 'R' || text[4] == 'r') wanted = ROOK;
        for (int j = i; j < end; ++j) {
            const Move m = move_list[j].move;
            if (move_from(m) == from && move_to(m) == to && move_promotion(m) == wanted) return j;
        }
        return -1;
    }
    return -1;
}

const char* move_to_text(Move move) {
    static char text[8];
    const int from = move_from(move) & 63;
    const int to = move_to(move) & 63;
    const char from_file = static_cast<char>('a' + (from & 7));
    const char to_file = static_cast<char>('a' + (to & 7));
    const int from_rank = 8 - (from >> 3);
    const int to_rank = 8 - (to >> 3);
    if (move_flags(move) & MOVE_PROMOTION) {
        const int piece = move_promotion(move);
        const char letter = piece == KNIGHT ? 'n' : piece == BISHOP ? 'b' : piece == ROOK ? 'r' : 'q';
        std::snprintf(text, sizeof text, "%c%d%c%d%c", from_file, from_rank, to_file, to_rank, letter);
    } else {
        std::snprintf(text, sizeof text, "%c%d%c%d", from_file, from_rank, to_file, to_rank);
    }
    return text;
}
