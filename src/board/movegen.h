// Pseudo-legal move generation into the shared move stack, scored as appended.
#pragma once

// Both write the moves of side_to_move at ply search_ply and return 1. A
// generation at ply 31 or beyond, or one that would run past the end of
// move_list, leaves the ply empty and returns 0: the caller treats the node
// as a leaf.
int generate_moves();    // every pseudo-legal move, castling and en passant last
int generate_captures(); // captures, en passant, and promotions by advance
