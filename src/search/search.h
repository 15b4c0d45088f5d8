// Fail-hard alpha-beta with check extension, quiescence, PV table and history ordering.
#pragma once
#include <cstdint>

#include "board/position.h"

constexpr int MATE_SCORE = 10000;
constexpr int MATE_THRESHOLD = 9000;
constexpr int PV_MOVE_BONUS = 10000000;

// pv_table[p][p..pv_length[p]-1] is the best line found from ply p.
extern Move pv_table[MAX_PLY][MAX_PLY];
extern int pv_length[MAX_PLY];
extern int follow_pv;  // 1 while the current iteration still walks the previous PV
// Counts nodes in 64 bits so that long searches never print a negative count.
extern std::uint64_t node_count;
// Legal root moves searched so far in the current iteration, for status reports.
extern int root_moves_searched;

// The root moves the search may play ("go searchmoves"), when
// allowed_root_move_count > 0; written by the game layer around a search.
constexpr int ALLOWED_ROOT_MOVES_MAX = 256;
extern int allowed_root_move_count;
extern Move allowed_root_moves[ALLOWED_ROOT_MOVES_MAX];

// Fail-hard negamax to `depth` plies (0 or more) from side_to_move's view,
// extended by one at a node in check. Returns beta on a cut-off, alpha when
// every move fails low, and draw, mate or static scores as they are. A call
// that returns leaves the position as it found it; at the deadline the
// search is left through the clock's abort point instead.
int alpha_beta(int alpha, int beta, int depth);

// Captures and promotions only, from the stand-pat score: fail-hard like
// alpha_beta, with no repetition, check or mate test.
int quiescence(int alpha, int beta);
void pick_next_move(int index);  // brings the best-scored untried entry to `index`
void boost_pv_move();            // lifts the previous PV's move at this ply to the front
