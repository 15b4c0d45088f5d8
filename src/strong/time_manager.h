// The strong search's time: a soft limit after which no new iteration
// starts, and a hard limit at which the search stops, from the clock.
#pragma once
#include <cstdint>

#include "common/limits.h"

namespace strong {

struct TimePlan {
    std::int64_t soft_ms;  // start no iteration after this
    std::int64_t hard_ms;  // stop here
};

// The plan for one move. With a clock: a share of what is left after the
// overhead (by the moves to go, or an expected game length) with most of
// the increment, started on only in the first 60% of it; the hard limit
// three shares, never more than half of what is left. A fixed move time is
// all of it but the overhead (the limits' move_overhead_ms).
TimePlan plan_time(const SearchLimits& limits);

// How much the soft limit is stretched after an iteration: more while the
// best move keeps changing (`changes`, decayed over the iterations), less
// once it has stood for several iterations.
double soft_limit_scale(double changes, int stable_iterations);

}  // namespace strong
