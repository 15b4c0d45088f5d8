// Moves as coordinate text: e2e4, e1g1 for castling, e7e8q for a promotion.
#pragma once
#include "board/position.h"

// Index of the ply-0 entry that the text names, or -1. Only the first four
// characters and, for a promotion, the fifth count (n, b, r in either case
// pick an under-promotion; anything else a queen).
int parse_move_text(const char* text);

// The move's text in a static buffer that the next call overwrites.
const char* move_to_text(Move move);
