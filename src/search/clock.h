// The search's millisecond wall clock.
#pragma once
#include <cstdint>

// Wall clock in milliseconds, wrapped to 32 bits: only differences of
// readings taken close together mean anything.
std::int32_t clock_ms();

// Milliseconds from `start` to `now`, correct across the 32-bit wrap.
inline std::uint32_t elapsed_ms(std::int32_t start, std::int32_t now) {
    return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(start);
}
