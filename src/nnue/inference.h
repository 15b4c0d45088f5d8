// The network's inference: the two accumulators, updated piece by piece or
// refreshed, and the output, by portable code or AVX2 where the CPU has it.
#pragma once
#include <cstdint>

#include "nnue/network.h"

namespace nnue {

// One accumulator per perspective, [0] White's and [1] Black's.
struct Accumulator {
    alignas(32) std::int16_t values[2][HIDDEN];
};

// The features a move changes: pieces taken off and put on (piece code and
// square). A castling moves two pieces, a capturing promotion takes two off.
struct FeatureDelta {
    int removed_count = 0;
    int added_count = 0;
    int removed[2][2];  // {piece code, square}
    int added[2][2];
};

// From scratch: the bias plus every piece of `board` (64 piece codes by
// square; a code whose piece, code & 7, is above 5 is an empty square).
void refresh(const Network& net, const std::int8_t board[64], Accumulator& acc);

// `to` = `from` with the delta's features taken off and put on, for both
// perspectives; `to` may be `from`.
void apply_delta(const Network& net, const Accumulator& from, const FeatureDelta& delta, Accumulator& to);

// The score in centipawns for `side_to_move` with `pieces` pieces on the
// board, kings included. With c = clamp(acc, 0, QA) and w the bucket's
// output weights, the side to move's accumulator against its first half:
//   sum = sum over both halves of c * (c * w)          (int32, wrapping)
//   score = (sum / QA + out_bias) * SCALE / (QA * QB)  (int64, truncating)
// c * w fits in int16 (OUT_LIMIT), and the sum wraps modulo 2^32 (emulated
// with uint32 in the portable path), so the order of the additions never
// changes the result and both paths agree bit for bit.
int evaluate(const Network& net, const Accumulator& acc, int side_to_move, int pieces);

// The two paths, for tests; evaluate takes AVX2 when the CPU has it.
int evaluate_portable(const Network& net, const Accumulator& acc, int side_to_move, int pieces);
int evaluate_avx2(const Network& net, const Accumulator& acc, int side_to_move, int pieces);
void apply_delta_portable(const Network& net, const Accumulator& from, const FeatureDelta& delta, Accumulator& to);
void apply_delta_avx2(const Network& net, const Accumulator& from, const FeatureDelta& delta, Accumulator& to);
// Whether this build and this CPU have the AVX2 path.
bool has_avx2();

}  // namespace nnue
