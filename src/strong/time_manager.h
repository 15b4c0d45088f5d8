// The strong search's time: a soft limit after which no new iteration
// starts, and a hard limit at which the search stops, from the clock.
#pragma once
#include <cstdint>

namespace strong {

// What the interface says of the clock; remaining_ms < 0 when it says nothing.
struct ClockState {
    std::int64_t remaining_ms = -1;
    std::int64_t increment_ms = 0;
    int moves_to_go = 0;         // 0: the clock must last the game
    std::int64_t move_time_ms = -1;  // a fixed time for this move, when >= 0
};

struct TimePlan {
    std::int64_t soft_ms;  // start no iteration after this
    std::int64_t hard_ms;  // stop here
};

// Default and bounds of the Move Overhead option: what the pipes, the
// interface and the operating system take of each move.
constexpr int DEFAULT_MOVE_OVERHEAD_MS = 50;
constexpr int MAX_MOVE_OVERHEAD_MS = 5000;

// The plan for one move. With a clock: a share of what is left after the
// overhead (by the moves to go, or an expected game length) with most of
// the increment, started on only in the first 60% of it; the hard limit
// three shares, never more than half of what is left. A fixed move time is
// all of it but the overhead.
TimePlan plan_time(const ClockState& clock, int overhead_ms);

// How much the soft limit is stretched after an iteration: more while the
// best move keeps changing (`changes`, decayed over the iterations), less
// once it has stood for several iterations.
double soft_limit_scale(double changes, int stable_iterations);

}  // namespace strong
