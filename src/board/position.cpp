// The one game position: board, side to move, move stack, game history, geometry.
#include "board/position.h"

#include <iterator>

#include "board/zobrist.h"

// Entry 10r + c is the square 8(r - 2) + (c - 1) inside rows 2..9 and
// columns 1..8, and -1 on the border.
const int border_board[120] = {
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1,  0,  1,  2,  3,  4,  5,  6,  7, -1,
    -1,  8,  9, 10, 11, 12, 13, 14, 15, -1,
    -1, 16, 17, 18, 19, 20, 21, 22, 23, -1,
    -1, 24, 25, 26, 27, 28, 29, 30, 31, -1,
    -1, 32, 33, 34, 35, 36, 37, 38, 39, -1,
    -1, 40, 41, 42, 43, 44, 45, 46, 47, -1,
    -1, 48, 49, 50, 51, 52, 53, 54, 55, -1,
    -1, 56, 57, 58, 59, 60, 61, 62, 63, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};
static_assert(std::size(border_board) == 120);

const int square_to_border[64] = {
    21, 22, 23, 24, 25, 26, 27, 28,
    31, 32, 33, 34, 35, 36, 37, 38,
    41, 42, 43, 44, 45, 46, 47, 48,
    51, 52, 53, 54, 55, 56, 57, 58,
    61, 62, 63, 64, 65, 66, 67, 68,
    71, 72, 73, 74, 75, 76, 77, 78,
    81, 82, 83, 84, 85, 86, 87, 88,
    91, 92, 93, 94, 95, 96, 97, 98,
};

const int piece_slides[6] = {0, 0, 1, 1, 1, 0};
const int piece_direction_count[6] = {0, 8, 4, 4, 8, 8};

// The order of the directions fixes the order of generated moves.
const int piece_directions[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {-21, -19, -12, -8, 8, 12, 19, 21},
    {-11, -9, 9, 11, 0, 0, 0, 0},
    {-10, -1, 1, 10, 0, 0, 0, 0},
    {-11, -10, -9, -1, 1, 9, 10, 11},
    {-11, -10, -9, -1, 1, 9, 10, 11},
};

// castle_rights is ANDed with the entries of a move's from and to squares.
const int castle_keep_mask[64] = {
     7, 15, 15, 15,  3, 15, 15, 11,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    15, 15, 15, 15, 15, 15, 15, 15,
    13, 15, 15, 15, 12, 15, 15, 14,
};

const int initial_color[64] = {
    1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
};

const int initial_piece[64] = {
    3, 1, 2, 4, 5, 2, 1, 3,
    0, 0, 0, 0, 0, 0, 0, 0,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    6, 6, 6, 6, 6, 6, 6, 6,
    0, 0, 0, 0, 0, 0, 0, 0,
    3, 1, 2, 4, 5, 2, 1, 3,
};

int square_color[64];
int square_piece[64];
int side_to_move;
int side_not_to_move;
int castle_rights;
int ep_square;
int halfmove_clock;
std::uint32_t position_hash;
int search_ply;
int history_ply;

ScoredMove move_list[MOVE_LIST_SIZE];
int ply_first_move[MAX_PLY];
UndoRecord game_history[HISTORY_SIZE];
int history_score[64][64];

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
    if (check_hash) {
        const std::uint32_t saved = position_hash;
        compute_hash();
        const bool same = saved == position_hash;
        position_hash = saved;
        if (!same) return false;
    }
    return true;
}
