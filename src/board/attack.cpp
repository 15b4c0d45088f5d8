// Attack queries on the current position; they only read the board.
#include "board/attack.h"

#include <cassert>

#include "board/position.h"

namespace {

// The plain definition: every piece of the attacking colour traces its own
// attacks until one reaches the target. Only the squares strictly between a
// slider and the target must be empty; the target may hold anything.
[[maybe_unused]] int is_attacked_by_tracing_attackers(int target, int attacker) {
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

bool holds(int square, int colour, int piece) {
    return square != -1 && square_color[square] == colour && square_piece[square] == piece;
}

// The same answer traced outward from the target: every attack is
// symmetric, so the first piece met on each ray (or a knight's or king's
// step away) is the only candidate in that direction.
int is_attacked_from_target(int target, int attacker) {
    // Pawns, by the same square arithmetic as their captures.
    if (attacker == WHITE) {
        if (target + 9 < 64 && ((target + 9) & 7) != 0 && holds(target + 9, WHITE, PAWN)) return 1;
        if (target + 7 < 64 && ((target + 7) & 7) != 7 && holds(target + 7, WHITE, PAWN)) return 1;
    } else {
        if (target - 7 >= 0 && ((target - 7) & 7) != 0 && holds(target - 7, BLACK, PAWN)) return 1;
        if (target - 9 >= 0 && ((target - 9) & 7) != 7 && holds(target - 9, BLACK, PAWN)) return 1;
    }
    const int origin = square_to_border[target];
    for (int d = 0; d < 8; ++d) {
        if (holds(border_board[origin + piece_directions[KNIGHT][d]], attacker, KNIGHT)) return 1;
        if (holds(border_board[origin + piece_directions[KING][d]], attacker, KING)) return 1;
    }
    // Queen directions: steps of 9 and 11 are diagonal, steps of 1 and 10
    // straight (both 1 and 9 are odd, so parity does not tell them apart).
    for (int d = 0; d < 8; ++d) {
        const int step = piece_directions[QUEEN][d];
        const int line_piece = (step == -10 || step == -1 || step == 1 || step == 10) ? ROOK : BISHOP;
        int current = target;
        for (;;) {
            current = border_board[square_to_border[current] + step];
            if (current == -1) break;
            if (square_color[current] == EMPTY) continue;
            if (square_color[current] == attacker &&
                (square_piece[current] == line_piece || square_piece[current] == QUEEN))
                return 1;
            break;
        }
    }
    return 0;
}

}  // namespace

int is_attacked(int target, int attacker) {
    const int attacked = is_attacked_from_target(target, attacker);
    if constexpr (SLOW_CHECKS) assert(attacked == is_attacked_by_tracing_attackers(target, attacker));
    return attacked;
}

int side_in_check(int colour) {
    for (int s = 0; s < 64; ++s)
        if (square_piece[s] == KING && square_color[s] == colour) return is_attacked(s, colour ^ 1);
    return 1;
}
