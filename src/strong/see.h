// Static exchange evaluation on the strong board: the material balance of
// the captures and recaptures on one square.
#pragma once
#include "strong/move.h"
#include "strong/position.h"

namespace strong {

// Exchange values by piece code; the king's makes any capture of it decisive.
constexpr int SEE_VALUE[6] = {100, 300, 300, 500, 900, 20000};

// What the side to move gains when `m` starts an exchange on its target
// square and both sides then capture there with their least valuable piece
// as long as it pays, each free to stop. Sliders behind a capturing piece
// join in (x-rays); a pawn that captures onto its last rank becomes a queen;
// a king captures only where nothing would take it back. Pins are ignored.
// Castling is worth 0.
int see(const Position& pos, Move m);

// see(pos, m) >= threshold, with early answers when the first capture decides.
bool see_ge(const Position& pos, Move m, int threshold);

}  // namespace strong
