// Pseudo-legal move generation into the shared move stack, scored as appended.
#include "board/movegen.h"

#include "board/bitboard.h"
#include "board/position.h"

namespace {

constexpr int CAPTURE_SCORE_BASE = 1000000;

// Index of the next free entry, and whether an append found no room.
int next_entry;
bool list_overflowed;

void append(int from, int to, int promotion, int flags, int score) {
    move_list[next_entry].move = pack_move(from, to, promotion, flags);
    move_list[next_entry].score = score;
    ++next_entry;
}

// The four promotion entries, knight first; all four or none, so that the
// text lookup always finds the full group.
void push_promotions(int from, int to, int flags) {
    if (next_entry + 4 > MOVE_LIST_SIZE) {
        list_overflowed = true;
        return;
    }
    for (int piece = KNIGHT; piece <= QUEEN; ++piece)
        append(from, to, piece, flags | MOVE_PROMOTION, CAPTURE_SCORE_BASE + 10 * piece);
}

// Most valuable victim first, then least valuable attacker; quiet moves by
// history. The test is on the destination square, not on the flags.
void push_move(int from, int to, int flags) {
    if (flags & MOVE_PAWN) {
        if (side_to_move == WHITE ? to <= 7 : to >= 56) {
            push_promotions(from, to, flags);
            return;
        }
    }
    if (next_entry >= MOVE_LIST_SIZE) {
        list_overflowed = true;
        return;
    }
    const int score = square_color[to] != EMPTY
                          ? CAPTURE_SCORE_BASE + 10 * square_piece[to] - square_piece[from]
                          : history_score[from][to];
    append(from, to, 0, flags, score);
}

bool begin_generation() {
    if (search_ply < 0 || search_ply >= MAX_PLY - 1) return false;
    next_entry = ply_first_move[search_ply];
    list_overflowed = false;
    return true;
}

int end_generation() {
    if (list_overflowed) next_entry = ply_first_move[search_ply];
    ply_first_move[search_ply + 1] = next_entry;
    return list_overflowed ? 0 : 1;
}

void pawn_captures(int s) {
    const int file = s & 7;
    if (side_to_move == WHITE) {
        if (file != 0 && square_color[s - 9] == BLACK) push_move(s, s - 9, MOVE_PAWN | MOVE_CAPTURE);
        if (file != 7 && square_color[s - 7] == BLACK) push_move(s, s - 7, MOVE_PAWN | MOVE_CAPTURE);
    } else {
        if (file != 0 && square_color[s + 7] == WHITE) push_move(s, s + 7, MOVE_PAWN | MOVE_CAPTURE);
        if (file != 7 && square_color[s + 9] == WHITE) push_move(s, s + 9, MOVE_PAWN | MOVE_CAPTURE);
    }
}

// A knight's or king's steps: the table bits ascend in the order of
// piece_directions, so the lowest first keeps the generation order.
void step_moves(int s, Bitboard steps, bool quiet) {
    Bitboard targets = steps & ~color_bitboard[side_to_move];
    if (!quiet) targets &= color_bitboard[side_not_to_move];
    while (targets) {
        const int to = pop_lowest_square(targets);
        push_move(s, to, square_color[to] != EMPTY ? MOVE_CAPTURE : 0);
    }
}

// Traces a slider's rays on the border board, direction by direction.
void slider_moves(int s) {
    const int piece = square_piece[s];
    for (int d = 0; d < piece_direction_count[piece]; ++d) {
        const int step = piece_directions[piece][d];
        int current = s;
        for (;;) {
            current = border_board[square_to_border[current] + step];
            if (current == -1) break;
            if (square_color[current] != EMPTY) {
                if (square_color[current] == side_not_to_move) push_move(s, current, MOVE_CAPTURE);
                break;
            }
            push_move(s, current, 0);
        }
    }
}

// A slider's captures: on each line only the first piece can be taken.
void slider_captures(int s, const int* directions, int direction_count) {
    const Bitboard occupied = color_bitboard[WHITE] | color_bitboard[BLACK];
    for (int i = 0; i < direction_count; ++i) {
        const int d = directions[i];
        const Bitboard blockers = ray[s][d] & occupied;
        if (!blockers) continue;
        const int to = first_blocker(blockers, d);
        if (square_color[to] == side_not_to_move) push_move(s, to, MOVE_CAPTURE);
    }
}

constexpr int queen_directions[8] = {0, 1, 2, 3, 4, 5, 6, 7};

void piece_moves(int s, bool quiet) {
    switch (square_piece[s]) {
        case KNIGHT: step_moves(s, knight_attacks[s], quiet); break;
        case KING: step_moves(s, king_attacks[s], quiet); break;
        case BISHOP:
            if (quiet) slider_moves(s); else slider_captures(s, bishop_directions, 4);
            break;
        case ROOK:
            if (quiet) slider_moves(s); else slider_captures(s, rook_directions, 4);
            break;
        default:
            if (quiet) slider_moves(s); else slider_captures(s, queen_directions, 8);
            break;
    }
}

// En passant only when ep_square is really the square that the opponent's
// pawn just passed over: a stale ep_square (the move handed over by the
// colour commands) would otherwise capture nothing and undo into a new pawn.
void en_passant_moves() {
    const int e = ep_square;
    if (e < 0 || square_color[e] != EMPTY) return;
    const int file = e & 7;
    if (side_to_move == WHITE) {
        if ((e >> 3) != 2 || square_color[e + 8] != BLACK || square_piece[e + 8] != PAWN) return;
        if (file != 0 && square_color[e + 7] == WHITE && square_piece[e + 7] == PAWN)
            push_move(e + 7, e, MOVE_PAWN | MOVE_EN_PASSANT | MOVE_CAPTURE);
        if (file != 7 && square_color[e + 9] == WHITE && square_piece[e + 9] == PAWN)
            push_move(e + 9, e, MOVE_PAWN | MOVE_EN_PASSANT | MOVE_CAPTURE);
    } else {
        if ((e >> 3) != 5 || square_color[e - 8] != WHITE || square_piece[e - 8] != PAWN) return;
        if (file != 0 && square_color[e - 9] == BLACK && square_piece[e - 9] == PAWN)
            push_move(e - 9, e, MOVE_PAWN | MOVE_EN_PASSANT | MOVE_CAPTURE);
        if (file != 7 && square_color[e - 7] == BLACK && square_piece[e - 7] == PAWN)
            push_move(e - 7, e, MOVE_PAWN | MOVE_EN_PASSANT | MOVE_CAPTURE);
    }
}

}  // namespace

// Both generators visit the side's squares from the lowest, the order of a
// scan of all 64.
int generate_moves() {
    if (!begin_generation()) return 0;
    for (Bitboard own = color_bitboard[side_to_move]; own;) {
        const int s = pop_lowest_square(own);
        if (square_piece[s] != PAWN) {
            piece_moves(s, true);
            continue;
        }
        pawn_captures(s);
        if (side_to_move == WHITE) {
            if (square_color[s - 8] == EMPTY) {
                push_move(s, s - 8, MOVE_PAWN);
                if (s >= 48 && square_color[s - 16] == EMPTY) push_move(s, s - 16, MOVE_PAWN | MOVE_DOUBLE_PUSH);
            }
        } else {
            if (square_color[s + 8] == EMPTY) {
                push_move(s, s + 8, MOVE_PAWN);
                if (s <= 15 && square_color[s + 16] == EMPTY) push_move(s, s + 16, MOVE_PAWN | MOVE_DOUBLE_PUSH);
            }
        }
    }
    // Castling by the rights alone; make_move tests the squares.
    if (side_to_move == WHITE) {
        if (castle_rights & CASTLE_WHITE_KINGSIDE) push_move(60, 62, MOVE_CASTLE);
        if (castle_rights & CASTLE_WHITE_QUEENSIDE) push_move(60, 58, MOVE_CASTLE);
    } else {
        if (castle_rights & CASTLE_BLACK_KINGSIDE) push_move(4, 6, MOVE_CASTLE);
        if (castle_rights & CASTLE_BLACK_QUEENSIDE) push_move(4, 2, MOVE_CASTLE);
    }
    en_passant_moves();
    return end_generation();
}

int generate_captures() {
    if (!begin_generation()) return 0;
    for (Bitboard own = color_bitboard[side_to_move]; own;) {
        const int s = pop_lowest_square(own);
        if (square_piece[s] != PAWN) {
            piece_moves(s, false);
            continue;
        }
        pawn_captures(s);
        if (side_to_move == WHITE) {
            if (s <= 15 && square_color[s - 8] == EMPTY) push_move(s, s - 8, MOVE_PAWN);
        } else {
            if (s >= 48 && square_color[s + 8] == EMPTY) push_move(s, s + 8, MOVE_PAWN);
        }
    }
    en_passant_moves();
    return end_generation();
}
