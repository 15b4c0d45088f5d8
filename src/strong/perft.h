// Counting the leaves of the strong board's legal-move tree.
#pragma once
#include <cstdint>

#include "strong/position.h"

namespace strong {

// Leaf count at `depth` (0 counts the position itself). The last ply is
// counted from the generated list without being played; every move above it
// is made and unmade (checked by is_ok under slow checks).
std::uint64_t perft(Position& pos, int depth);

}  // namespace strong
