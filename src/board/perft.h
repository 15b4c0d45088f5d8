// Counting the leaves of the legal-move tree, the check of generation and make/unmake.
#pragma once
#include <cstdint>

// Leaf count at `depth` (0 counts the position itself). With slow checks on,
// every take-back is compared with the whole state from before the move.
std::uint64_t perft(int depth);
