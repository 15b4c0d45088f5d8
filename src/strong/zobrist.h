// The strong board's 64-bit Zobrist keys, made at compile time from a fixed seed.
#pragma once
#include <cstdint>

#include "common/chess.h"
#include "common/random.h"

namespace strong {

using Key = std::uint64_t;

struct ZobristKeys {
    Key piece[2][6][64];
    Key castling[16];  // by the whole castling-rights value: the XOR of its bits' keys
    Key ep_file[8];    // by the file of the en passant square
    Key black_to_move;
};

namespace zobrist_detail {

constexpr ZobristKeys build_keys() {
    ZobristKeys k{};
    std::uint64_t state = 0x5EED0F5A7A1C0DEull;
    for (auto& colour : k.piece)
        for (auto& piece : colour)
            for (Key& key : piece) key = splitmix64(state);
    Key right[4] = {};
    for (Key& key : right) key = splitmix64(state);
    for (int rights = 0; rights < 16; ++rights)
        for (int bit = 0; bit < 4; ++bit)
            if (rights & (1 << bit)) k.castling[rights] ^= right[bit];
    for (Key& key : k.ep_file) key = splitmix64(state);
    k.black_to_move = splitmix64(state);
    return k;
}

}  // namespace zobrist_detail

inline constexpr ZobristKeys zobrist = zobrist_detail::build_keys();

}  // namespace strong
