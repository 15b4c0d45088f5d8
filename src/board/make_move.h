// Playing and taking back moves on the global position, and repetition counting.
#pragma once
#include "board/position.h"

// Plays a generated move. Returns 1 when it was legal and has been made, 0
// (everything as before) when it leaves the mover in check, castles out of,
// through or into check, would capture a king, or the history is full.
int make_move(Move move);

// Takes back the move recorded in game_history[history_ply - 1].
void unmake_move();

// Earlier occurrences of the current position since the last capture or pawn move.
int repetition_count();
