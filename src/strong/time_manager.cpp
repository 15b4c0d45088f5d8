// The strong search's time: a soft limit after which no new iteration
// starts, and a hard limit at which the search stops, from the clock.
#include "strong/time_manager.h"

#include <algorithm>

namespace strong {

namespace {

// A game without a move count is planned as if this many moves were left;
// more of them without an increment, since then the clock alone must last.
constexpr int EXPECTED_MOVES_LEFT = 25;
constexpr int EXPECTED_MOVES_LEFT_SUDDEN_DEATH = 40;

}  // namespace

TimePlan plan_time(const SearchLimits& limits) {
    const std::int64_t overhead = std::clamp(limits.move_overhead_ms, 0, MOVE_OVERHEAD_MAX_MS);
    if (limits.move_time_ms >= 0) {
        const std::int64_t t = std::max<std::int64_t>(limits.move_time_ms - overhead, limits.move_time_ms / 2);
        return {t, t};
    }
    const std::int64_t left = std::max<std::int64_t>(limits.clock_ms - overhead, 1);
    const std::int64_t increment = std::max<std::int64_t>(limits.increment_ms, 0);
    const int moves = limits.moves_to_go > 0 ? std::min(limits.moves_to_go, 50)
                      : increment > 0     ? EXPECTED_MOVES_LEFT
                                          : EXPECTED_MOVES_LEFT_SUDDEN_DEATH;
    // This move's share, with most of the increment; no move may take more
    // than half of what is left (three quarters on the last move before the
    // control, after which the clock is filled again), so that a clock that
    // lives on its increment never runs out.
    const std::int64_t ceiling = limits.moves_to_go == 1 ? left * 3 / 4 : left / 2;
    const std::int64_t share = std::min(left / moves + increment * 3 / 4, ceiling);
    const std::int64_t hard = std::min(share * 3, ceiling);
    const std::int64_t soft = share * 6 / 10;
    return {std::max<std::int64_t>(soft, 1), std::max<std::int64_t>(hard, 1)};
}

double soft_limit_scale(double changes, int stable_iterations) {
    const double unstable = 1.0 + std::min(changes, 4.0) * 0.35;
    const double stable = stable_iterations >= 6 ? 0.75 : stable_iterations >= 3 ? 0.9 : 1.0;
    return unstable * stable;
}

}  // namespace strong
