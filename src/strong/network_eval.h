// The learned evaluation on the strong board: a position's features, and the
// accumulators the search keeps along its line, one per ply.
#pragma once
#include "nnue/inference.h"
#include "strong/move.h"
#include "strong/position.h"

namespace strong {

// The features a legal move changes, read from the position before it is made.
nnue::FeatureDelta move_delta(const Position& pos, Move m);

// From scratch.
void refresh_accumulator(const nnue::Network& net, const Position& pos, nnue::Accumulator& acc);
// The score for the side to move, from scratch, kept short of the mate scores.
int evaluate_network(const nnue::Network& net, const Position& pos);

// Ply p's accumulator is ply p-1's with the move between them; it is brought
// up to date only when ply p is evaluated, so the many moves searched and
// cut off before any evaluation cost nothing.
constexpr int NETWORK_STACK_SIZE = MAX_SEARCH_PLY + SEARCH_PLY_MARGIN + 1;
struct NetworkStack {
    nnue::Accumulator acc[NETWORK_STACK_SIZE];
    nnue::FeatureDelta delta[NETWORK_STACK_SIZE];  // from ply p-1 to ply p
    bool computed[NETWORK_STACK_SIZE];
};

// Ply 0 becomes `root`, refreshed.
void network_reset(NetworkStack& stack, const nnue::Network& net, const Position& root);
// Before `m` is made at `ply` (null moves: NO_MOVE).
void network_push(NetworkStack& stack, int ply, const Position& pos, Move m);
// The score of `pos`, the position at `ply`, for its side to move. Under the
// slow checks the incremental accumulators are compared with a refresh.
int network_evaluate(NetworkStack& stack, const nnue::Network& net, const Position& pos, int ply);

}  // namespace strong
