// The one game position: board, side to move, move stack, game history, geometry.
#include "board/position.h"

#include <iterator>

// Entry 10r + c is the square 8(r - 2) + (c - 1) inside rows 2..9 and
// columns 1..8, and -1 on the border.
constexpr int border_board[120] = {
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

constexpr int square_to_border[64] = {
    21, 22, 23, 24, 25, 26, 27, 28,
    31, 32, 33, 34, 35, 36, 37, 38,
    41, 42, 43, 44, 45, 46, 47, 48,
    51, 52, 53, 54, 55, 56, 57, 58,
    61, 62, 63, 64, 65, 66, 67, 68,
    71, 72, 73, 74, 75, 76, 77, 78,
    81, 82, 83, 84, 85, 86, 87, 88,
    91, 92, 93, 94, 95, 96, 97, 98,
};

constexpr int piece_slides[6] = {0, 0, 1, 1, 1, 0};
constexpr int piece_direction_count[6] = {0, 8, 4, 4, 8, 8};

// The order of the directions fixes the order of generated moves.
constexpr int piece_directions[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},
    {-21, -19, -12, -8, 8, 12, 19, 21},
    {-11, -9, 9, 11, 0, 0, 0, 0},
    {-10, -1, 1, 10, 0, 0, 0, 0},
    {-11, -10, -9, -1, 1, 9, 10, 11},
    {-11, -10, -9, -1, 1, 9, 10, 11},
};

// The bitboard tables describe the same geometry as the border board: the
// directions are the same lines in the same order, every ray traced here is
// the table's ray, every knight and king step a table bit. Knight and king
// steps run in ascending square order, so visiting their table bits from
// the lowest keeps the generation order.
constexpr bool bitboards_match_the_border_board() {
    constexpr int queen_steps[8] = {-11, -10, -9, -1, 1, 9, 10, 11};
    for (int d = 0; d < 8; ++d)
        if (piece_directions[QUEEN][d] != queen_steps[d] || piece_directions[KING][d] != queen_steps[d]) return false;
    for (int i = 0; i < 4; ++i)
        if (piece_directions[BISHOP][i] != queen_steps[bishop_directions[i]] ||
            piece_directions[ROOK][i] != queen_steps[rook_directions[i]])
            return false;
    for (int s = 0; s < 64; ++s) {
        Bitboard knight = 0, king = 0;
        int last_knight = -1, last_king = -1;
        for (int d = 0; d < 8; ++d) {
            const int k = border_board[square_to_border[s] + piece_directions[KNIGHT][d]];
            if (k != -1) {
                if (k < last_knight) return false;
                last_knight = k;
                knight |= square_bit(k);
            }
            const int g = border_board[square_to_border[s] + piece_directions[KING][d]];
            if (g != -1) {
                if (g < last_king) return false;
                last_king = g;
                king |= square_bit(g);
            }
            Bitboard line = 0;
            for (int t = border_board[square_to_border[s] + queen_steps[d]]; t != -1;
                 t = border_board[square_to_border[t] + queen_steps[d]])
                line |= square_bit(t);
            if (line != ray[s][d]) return false;
        }
        if (knight != knight_attacks[s] || king != king_attacks[s]) return false;
    }
    return true;
}
static_assert(bitboards_match_the_border_board());

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

Bitboard color_bitboard[2];
Bitboard piece_bitboard[2][6];
int piece_count[2][6];
std::uint32_t piece_hash;
int check_status[2];
