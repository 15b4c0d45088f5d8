// Counting the leaves of the strong board's legal-move tree.
#include "strong/perft.h"

#include "strong/movegen.h"

namespace strong {

std::uint64_t perft(Position& pos, int depth) {
    if (depth <= 0) return 1;
    MoveList list;
    generate_all(pos, list);
    if (depth == 1) return static_cast<std::uint64_t>(list.count);
    std::uint64_t nodes = 0;
    for (const Move m : list) {
        make(pos, m);
        nodes += perft(pos, depth - 1);
        unmake(pos);
    }
    return nodes;
}

}  // namespace strong
