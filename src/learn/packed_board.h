// A position packed into 30 bytes, as the game records store a game's start.
#pragma once
#include <cstdint>
#include <string>

#include "strong/position.h"

namespace learn {

// Byte layout, little-endian:
//   0-7    occupancy, bit s for square s (a8 = 0, h1 = 63)
//   8-23   the piece codes (colour * 8 + piece) of the occupied squares in
//          order of increasing square, two per byte, low nibble first
//   24     side to move (0 White, 1 Black)
//   25     castling rights, the strong board's CASTLE_* bits
//   26     en passant square as the strong board keeps it, 64 for none
//   27     halfmove clock (capped at 255)
//   28-29  fullmove number
constexpr int PACKED_BOARD_BYTES = 30;

struct PackedBoard {
    std::uint8_t bytes[PACKED_BOARD_BYTES];
};

PackedBoard pack_board(const strong::Position& pos);

// Sets `pos` from a packed board. A board that no position packs to (more
// than 32 pieces, a bad piece code, no legal position, castling rights or an
// en passant square that the board would not keep) returns false with the
// reason in `error`; `pos` then holds no game.
bool unpack_board(const PackedBoard& packed, strong::Position& pos, std::string& error);

}  // namespace learn
