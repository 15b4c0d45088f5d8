// Where the two boards meet: the game's position copied onto the strong
// board, and moves carried from one encoding to the other. Nothing else
// converts between them.
#pragma once
#include "board/types.h"
#include "strong/move.h"
#include "strong/position.h"

// Copies the classic game position (board, side to move, castling rights,
// en passant square, halfmove clock, the parity of the ply) onto `pos` with
// an empty history; false, `pos` unchanged, when the strong board cannot hold it.
bool copy_game_position(strong::Position& pos);

// The strong encoding of a classic move.
strong::Move to_strong_move(Move move);

// The move of the game position's ply-0 list that the strong move names, 0
// for none.
Move to_game_move(strong::Move move);

// A move deeper in a variation, as far as its text goes: squares and promotion.
Move to_text_move(strong::Move move);
