// Static evaluation: material, piece-square tables, pawn structure, rook files, king term.
#pragma once
#include "eval/terms.h"

// Score of the position from side_to_move's point of view, pawn = 100.
// Reads the board through its kept bitboards and counts, and the pawn
// cache; not reentrant.
int evaluate();

// The same score by two passes over square_color and square_piece, the
// plain version that evaluate is checked against; it leaves the same scratch.
int evaluate_from_scratch();
