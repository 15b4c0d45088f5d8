// splitmix64: a fixed sequence of well-mixed 64-bit numbers from any seed,
// the same on every compiler and machine; usable at compile time.
#pragma once
#include <cstdint>

// The next number of the sequence whose state is `state`, advancing it.
constexpr std::uint64_t splitmix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
