// Setting up the position and checking it: the start position, the state
// kept beside the board rebuilt from the board arrays, and the checks that
// recompute from scratch what must agree.
#include "board/state.h"

#include <initializer_list>

#include "board/attack.h"
#include "board/zobrist.h"

namespace {

struct BoardState {
    Bitboard colors[2];
    Bitboard pieces[2][6];
    int counts[2][6];
    int kings[2];  // the first king of each colour, -1 for none
    std::uint32_t hash;
};

// What the derived state must be for the present board arrays.
BoardState state_of_board() {
    BoardState b{};
    b.kings[WHITE] = b.kings[BLACK] = -1;
    for (int s = 0; s < 64; ++s) {
        const int c = square_color[s];
        const int p = square_piece[s];
        if (c != WHITE && c != BLACK) continue;
        if (p < PAWN || p > KING) continue;
        b.colors[c] |= square_bit(s);
        b.pieces[c][p] |= square_bit(s);
        ++b.counts[c][p];
        if (p == KING && b.kings[c] == -1) b.kings[c] = s;
        b.hash ^= zobrist_piece[c][p][s];
    }
    return b;
}

}  // namespace

void rebuild_board_state() {
    const BoardState b = state_of_board();
    for (int c = WHITE; c <= BLACK; ++c) {
        color_bitboard[c] = b.colors[c];
        for (int p = PAWN; p <= KING; ++p) {
            piece_bitboard[c][p] = b.pieces[c][p];
            piece_count[c][p] = b.counts[c][p];
        }
        check_status[c] = -1;
    }
    piece_hash = b.hash;
}

bool board_state_is_ok() {
    const BoardState b = state_of_board();
    for (int c = WHITE; c <= BLACK; ++c) {
        if (color_bitboard[c] != b.colors[c]) return false;
        for (int p = PAWN; p <= KING; ++p)
            if (piece_bitboard[c][p] != b.pieces[c][p] || piece_count[c][p] != b.counts[c][p]) return false;
        if (check_status[c] < -1 || check_status[c] > 1) return false;
    }
    if (piece_hash != b.hash) return false;
    // A known check status must be the answer the attack test gives now.
    for (int c = WHITE; c <= BLACK; ++c) {
        if (check_status[c] == -1) continue;
        const int attacked = b.kings[c] == -1 ? 1 : is_attacked(b.kings[c], c ^ 1);
        if (check_status[c] != attacked) return false;
    }
    return true;
}

void reset_position() {
    for (int s = 0; s < 64; ++s) {
        square_color[s] = initial_color[s];
        square_piece[s] = initial_piece[s];
    }
    side_to_move = WHITE;
    side_not_to_move = BLACK;
    castle_rights = 15;
    ep_square = -1;
    halfmove_clock = 0;
    search_ply = 0;
    history_ply = 0;
    rebuild_board_state();
    compute_hash();
    ply_first_move[0] = 0;
}

bool board_is_ok() {
    int kings[2] = {0, 0};
    for (int s = 0; s < 64; ++s) {
        const int c = square_color[s];
        const int p = square_piece[s];
        if ((c == EMPTY) != (p == EMPTY)) return false;
        if (c == EMPTY) continue;
        if (c != WHITE && c != BLACK) return false;
        if (p < PAWN || p > KING) return false;
        if (p == KING) ++kings[c];
        if (p == PAWN && (s < 8 || s >= 56)) return false;
    }
    if (kings[WHITE] > 1 || kings[BLACK] > 1) return false;
    if (side_to_move != WHITE && side_to_move != BLACK) return false;
    return side_not_to_move == (side_to_move ^ 1);
}

bool position_is_ok(bool check_hash) {
    if (!board_is_ok()) return false;
    for (int colour : {WHITE, BLACK}) {
        int kings = 0;
        for (int s = 0; s < 64; ++s) kings += square_color[s] == colour && square_piece[s] == KING;
        if (kings != 1) return false;
    }
    if (castle_rights < 0 || castle_rights > 15) return false;
    if (ep_square < -1 || ep_square > 63) return false;
    if (halfmove_clock < 0) return false;
    if (search_ply < 0 || search_ply >= MAX_PLY) return false;
    if (history_ply < 0 || history_ply > HISTORY_SIZE) return false;
    if (!board_state_is_ok()) return false;
    if (check_hash) {
        const std::uint32_t saved = position_hash;
        compute_hash();
        const bool same = saved == position_hash;
        position_hash = saved;
        if (!same) return false;
    }
    return true;
}
