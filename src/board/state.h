// Setting up the position and checking it: the start position, the state
// kept beside the board rebuilt from the board arrays, and the checks that
// recompute from scratch what must agree.
#pragma once
#include "board/position.h"

// Sets the standard start position (needs init_zobrist first).
void reset_position();

// Recomputes the state kept beside the board (bitboards, counts, piece
// hash, check status) from the board arrays.
void rebuild_board_state();

// Compares the derived state with a rebuild from the board arrays; a known
// check_status must also agree with a fresh attack test.
bool board_state_is_ok();

// The board alone: both arrays agree and hold valid codes, at most one king
// per colour, no pawn on a back rank, side_not_to_move is the other side.
bool board_is_ok();

// Recomputes from scratch what must agree: the board, exactly one king each,
// the counters in range, the derived state, the hash (when `check_hash`).
bool position_is_ok(bool check_hash = true);
