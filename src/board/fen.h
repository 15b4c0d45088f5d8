// Setting the position from FEN text, for the game layer, tests and tools, and writing it back.
#pragma once
#include <string>

#include "common/fen.h"

// Sets the global position from `fen` (four or six fields). Returns nullptr
// on success, otherwise a message saying what is wrong; the position is then
// exactly as it was. Castling rights whose king or rook is not at home are
// dropped.
const char* load_fen(const char* fen);

std::string position_to_fen();

// The global position as FEN describes it (move number 1: the board does
// not count moves).
FenPosition current_fen_position();
