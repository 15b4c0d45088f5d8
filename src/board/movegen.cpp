// Pseudo-legal move generation into the shared move stack, scored as appended.
#include "board/movegen.h"

#include "common/bitboard.h"
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

// Appends for a piece other than a pawn, which never promotes: a quiet
// move, ordered by history, or a capture, ordered as in push_move.
void push_quiet(int from, int to) {
    if (next_entry >= MOVE_LIST_SIZE) {
        list_overflowed = true;
        return;
    }
    append(from, to, 0, 0, history_score[from][to]);
}

void push_capture(int from, int to) {
    if (next_entry >= MOVE_LIST_SIZE) {
        list_overflowed = true;
        return;
    }
    append(from, to, 0, MOVE_CAPTURE, CAPTURE_SCORE_BASE + 10 * square_piece[to] - square_piece[from]);
}

// A pawn's captures, towards the lower square first as its two tests are
// ordered, then (when `quiet`) its advances; without `quiet` only the
// advance that promotes.
template <bool quiet>
void pawn_moves(int s) {
    const int us = side_to_move;
    for (Bitboard targets = pawn_attacks[us][s] & color_bitboard[us ^ 1]; targets;)
        push_move(s, pop_lowest_square(targets), MOVE_PAWN | MOVE_CAPTURE);
    const int ahead = us == WHITE ? s - 8 : s + 8;
    if (square_color[ahead] != EMPTY) return;
    const bool promotes = us == WHITE ? s <= 15 : s >= 48;
    if constexpr (!quiet) {
        if (promotes) push_move(s, ahead, MOVE_PAWN);
        return;
    }
    push_move(s, ahead, MOVE_PAWN);
    const bool at_home = us == WHITE ? s >= 48 : s <= 15;
    const int two_ahead = us == WHITE ? s - 16 : s + 16;
    if (at_home && square_color[two_ahead] == EMPTY) push_move(s, two_ahead, MOVE_PAWN | MOVE_DOUBLE_PUSH);
}

// A knight's or king's steps: the table bits ascend in the order of
// piece_directions, so the lowest first keeps the generation order.
template <bool quiet>
void step_moves(int s, Bitboard steps) {
    const Bitboard enemy = color_bitboard[side_not_to_move];
    if constexpr (!quiet) {
        for (Bitboard targets = steps & enemy; targets;) push_capture(s, pop_lowest_square(targets));
        return;
    }
    for (Bitboard targets = steps & ~color_bitboard[side_to_move]; targets;) {
        const int to = pop_lowest_square(targets);
        if (enemy & square_bit(to))
            push_capture(s, to);
        else
            push_quiet(s, to);
    }
}

// A slider's moves: its rays traced on the border board in the order of
// piece_directions, one lookup per square passed.
void slider_moves(int s) {
    const int piece = square_piece[s];
    for (int d = 0; d < piece_direction_count[piece]; ++d) {
        const int step = piece_directions[piece][d];
        int current = s;
        for (;;) {
            current = border_board[square_to_border[current] + step];
            if (current == -1) break;
            if (square_color[current] != EMPTY) {
                if (square_color[current] == side_not_to_move) push_capture(s, current);
                break;
            }
            push_quiet(s, current);
        }
    }
}

// A slider's captures, line by line in the same order: only the first piece
// on a line can be taken, and only a line that holds an opponent's piece
// can end in a capture.
template <int count>
void slider_captures(int s, const int (&directions)[count]) {
    const Bitboard occupied = color_bitboard[WHITE] | color_bitboard[BLACK];
    const Bitboard enemy = color_bitboard[side_not_to_move];
    for (const int d : directions) {
        const Bitboard line = ray[s][d];
        if (!(line & enemy)) continue;
        const int blocker = first_blocker(line & occupied, d);
        if (enemy & square_bit(blocker)) push_capture(s, blocker);
    }
}

constexpr int queen_directions[8] = {0, 1, 2, 3, 4, 5, 6, 7};

constexpr Bitboard FILE_A = 0x0101010101010101ull;
constexpr Bitboard FILE_H = FILE_A << 7;
constexpr Bitboard ROW_1 = 0xFFull << 8;   // White's last row before promotion
constexpr Bitboard ROW_6 = 0xFFull << 48;  // Black's

// The pawns of the side to move that have a capture or a promotion by
// advance; generate_captures has nothing for the others. A White pawn on s
// takes on s - 9 unless it stands on file a and on s - 7 unless on file h; a
// Black pawn on s + 7 and s + 9 likewise.
Bitboard pawns_with_captures() {
    const int us = side_to_move;
    const Bitboard enemy = color_bitboard[us ^ 1];
    const Bitboard empty = ~(color_bitboard[WHITE] | color_bitboard[BLACK]);
    const Bitboard active = us == WHITE
                                ? ((enemy << 9) & ~FILE_A) | ((enemy << 7) & ~FILE_H) | (ROW_1 & (empty << 8))
                                : ((enemy >> 7) & ~FILE_A) | ((enemy >> 9) & ~FILE_H) | (ROW_6 & (empty >> 8));
    return piece_bitboard[us][PAWN] & active;
}

template <bool quiet>
void piece_moves(int s) {
    switch (square_piece[s]) {
        case PAWN: pawn_moves<quiet>(s); break;
        case KNIGHT: step_moves<quiet>(s, knight_attacks[s]); break;
        case BISHOP:
            if constexpr (quiet) slider_moves(s); else slider_captures(s, bishop_directions);
            break;
        case ROOK:
            if constexpr (quiet) slider_moves(s); else slider_captures(s, rook_directions);
            break;
        case QUEEN:
            if constexpr (quiet) slider_moves(s); else slider_captures(s, queen_directions);
            break;
        default: step_moves<quiet>(s, king_attacks[s]); break;
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
    for (Bitboard own = color_bitboard[side_to_move]; own;) piece_moves<true>(pop_lowest_square(own));
    // Castling by the rights alone; make_move tests the squares.
    if (side_to_move == WHITE) {
        if (castle_rights & CASTLE_WHITE_KINGSIDE) push_move(E1, G1, MOVE_CASTLE);
        if (castle_rights & CASTLE_WHITE_QUEENSIDE) push_move(E1, C1, MOVE_CASTLE);
    } else {
        if (castle_rights & CASTLE_BLACK_KINGSIDE) push_move(E8, G8, MOVE_CASTLE);
        if (castle_rights & CASTLE_BLACK_QUEENSIDE) push_move(E8, C8, MOVE_CASTLE);
    }
    en_passant_moves();
    return end_generation();
}

int generate_captures() {
    if (!begin_generation()) return 0;
    const Bitboard movers = (color_bitboard[side_to_move] & ~piece_bitboard[side_to_move][PAWN]) | pawns_with_captures();
    for (Bitboard own = movers; own;) piece_moves<false>(pop_lowest_square(own));
    en_passant_moves();
    return end_generation();
}
