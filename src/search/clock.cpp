// The search's millisecond wall clock.
#include "search/clock.h"

#include <chrono>

std::int32_t clock_ms() {
    const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count();
    // Reduce modulo 2^32 in unsigned arithmetic; the cast back is well defined in C++20.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)));
}
