// FEN text, read and written once for both boards: the placement, side,
// castling rights, en passant square and counters, checked for what any
// chess position needs; each board adds the checks of its own.
#pragma once
#include <string>

#include "common/chess.h"

// A position as FEN describes it, before a board takes it. Square 0 is a8.
struct FenPosition {
    int colour[64];      // WHITE, BLACK or EMPTY
    int piece[64];       // PAWN..KING, or EMPTY
    int side;            // WHITE or BLACK to move
    int castling;        // CASTLE_* bits whose king and rook stand at home
    int ep_square;       // the square a double push has just passed over, or -1
    long halfmove_clock;
    long fullmove;       // 1 when the FEN has only four fields
};

// Reads four or six fields. Returns nullptr, or a message saying what is
// wrong: malformed text, not exactly one king a side, a pawn on a back rank,
// an en passant square that no double push can have passed. Castling rights
// whose king or rook is not at home are dropped.
const char* read_fen(const char* text, FenPosition& fen);

// The six fields of `fen`.
std::string write_fen(const FenPosition& fen);
