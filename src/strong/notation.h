// Moves of the strong board as coordinate text and in algebraic notation.
#pragma once
#include <cstdint>
#include <string>

#include "strong/move.h"
#include "strong/position.h"

namespace strong {

// e2e4, e1g1 for castling, e7e8q for a promotion; "0000" for NO_MOVE.
std::string move_to_uci(Move m);

// The legal move that `text` names in this position (a promotion needs its
// letter, n, b, r or q in either case), or NO_MOVE.
Move parse_uci_move(const Position& pos, const char* text);

// The legal move that standard algebraic notation names in this position
// (Nf3, exd5, e8=Q, O-O, Rad1, with or without +, # and annotations), or
// NO_MOVE when it names none or more than one.
Move parse_san(const Position& pos, const char* text);

}  // namespace strong
