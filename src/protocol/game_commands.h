// The interface's moves and take-backs.
#pragma once
#include "board/position.h"

// Game moves stop here, so a search and the result test always find room in
// the history: the search needs up to 31 records, the result test one more.
constexpr int GAME_PLY_LIMIT = HISTORY_SIZE - MAX_PLY - 1;

// Plays a move of the game and rebuilds the ply-0 list; 0 when the move is
// illegal or the game has reached GAME_PLY_LIMIT (nothing changes then).
int play_game_move(Move move);

// Sets search_ply to 0 and rebuilds the ply-0 list of the game position.
void regenerate_move_list();

void move_input();  // the line as a move; refused with "(unknown command): ..."
void cmd_undo();
void cmd_remove();
