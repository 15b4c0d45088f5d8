// Attack queries on the current position; side_in_check keeps its answer, nothing else is written.
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

// Plain side_in_check: the first king of the colour, by the plain attack test.
[[maybe_unused]] int side_in_check_by_tracing(int colour) {
    for (int s = 0; s < 64; ++s)
        if (square_piece[s] == KING && square_color[s] == colour) return is_attacked_by_tracing_attackers(s, colour ^ 1);
    return 1;
}

// The same answer from the bitboards: every attack is symmetric, so the
// target is attacked by a pawn, knight or king exactly when such a piece
// stands where the target's own pawn, knight or king step would reach, and
// by a slider exactly when one is the first piece on a line from the target.
// Only the lines that hold a slider of the right kind are looked along.
int is_attacked_from_bitboards(int target, int attacker) {
    const Bitboard* pieces = piece_bitboard[attacker];
    if (pawn_attacks[attacker ^ 1][target] & pieces[PAWN]) return 1;
    if (knight_attacks[target] & pieces[KNIGHT]) return 1;
    if (king_attacks[target] & pieces[KING]) return 1;
    const Bitboard occupied = color_bitboard[WHITE] | color_bitboard[BLACK];
    const Bitboard diagonal = pieces[BISHOP] | pieces[QUEEN];
    const Bitboard straight = pieces[ROOK] | pieces[QUEEN];
    if (diagonal & diagonal_lines[target]) {
        for (int d : bishop_directions) {
            const Bitboard line = ray[target][d];
            if ((line & diagonal) && (diagonal & square_bit(first_blocker(line & occupied, d)))) return 1;
        }
    }
    if (straight & straight_lines[target]) {
        for (int d : rook_directions) {
            const Bitboard line = ray[target][d];
            if ((line & straight) && (straight & square_bit(first_blocker(line & occupied, d)))) return 1;
        }
    }
    return 0;
}

}  // namespace

int is_attacked(int target, int attacker) {
    const int attacked = is_attacked_from_bitboards(target, attacker);
    if constexpr (SLOW_CHECKS) assert(attacked == is_attacked_by_tracing_attackers(target, attacker));
    return attacked;
}

int is_attacked_through(int target, int through, int attacker) {
    const int d = line_direction[target][through];
    if (d < 0) return 0;
    const Bitboard* pieces = piece_bitboard[attacker];
    const Bitboard sliders = pieces[QUEEN] | (direction_is_diagonal(d) ? pieces[BISHOP] : pieces[ROOK]);
    const Bitboard line = ray[target][d];
    if (!(line & sliders)) return 0;
    const Bitboard occupied = color_bitboard[WHITE] | color_bitboard[BLACK];
    return (sliders & square_bit(first_blocker(line & occupied, d))) ? 1 : 0;
}

int side_in_check(int colour) {
    int& status = check_status[colour];
    if (status < 0) {
        const int king = king_square(colour);
        status = king < 0 ? 1 : is_attacked(king, colour ^ 1);
    }
    if constexpr (SLOW_CHECKS) assert(status == side_in_check_by_tracing(colour));
    return status;
}
