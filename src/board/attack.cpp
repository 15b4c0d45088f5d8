// Attack queries on the current position; they only read the board.
#include "board/attack.h"

#include "board/position.h"

// Traced from each attacker in turn: only the squares strictly between a
// slider and the target must be empty; the target itself may hold anything.
int is_attacked(int target, int attacker) {
    for (int s = 0; s < 64; ++s) {
        if (square_color[s] != attacker) continue;
        const int piece = square_piece[s];
        if (piece == PAWN) {
            const int file = s & 7;
            if (attacker == WHITE) {
                if (file != 0 && s - 9 == target) return 1;
                if (file != 7 && s - 7 == target) return 1;
            } else {
                if (file != 0 && s + 7 == target) return 1;
                if (file != 7 && s + 9 == target) return 1;
            }
            continue;
        }
        for (int d = 0; d < piece_direction_count[piece]; ++d) {
            const int step = piece_directions[piece][d];
            int current = s;
            for (;;) {
                current = border_board[square_to_border[current] + step];
                if (current == -1) break;
                if (current == target) return 1;
                if (square_color[current] != EMPTY) break;
                if (!piece_slides[piece]) break;
            }
        }
    }
    return 0;
}

int side_in_check(int colour) {
    for (int s = 0; s < 64; ++s)
        if (square_piece[s] == KING && square_color[s] == colour) return is_attacked(s, colour ^ 1);
    return 1;
}
