// How long the engine may think about one move, from what the interface
// says of its clock. Shared by the front ends; it knows no protocol text.
#include "game/time_control.h"

#include <algorithm>

#include "board/types.h"

namespace {

// The deepest iteration a classic search is given without a depth of the
// interface's and without time: it ends only when told to.
constexpr int DEEPEST_CLASSIC_DEPTH = 100;

// Under "st" the interface counts a move late by its own clock, pipes and
// scheduling included; on a busy machine those took up to 100 ms.
constexpr std::int64_t PER_MOVE_MARGIN_MS = 300;
constexpr std::int64_t LONGEST_BUDGET_MS = 1LL << 30;  // twelve days: a budget still fits its int32

std::int32_t clamp_budget(std::int64_t ms) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, LONGEST_BUDGET_MS)); }

}  // namespace

std::int32_t budget_from_clock(std::int64_t remaining_ms, std::int64_t increment_ms, int moves_to_go) {
    const std::int64_t usable = std::max<std::int64_t>(remaining_ms - MOVE_OVERHEAD_MS, 0);
    const std::int64_t moves = moves_to_go > 0 ? moves_to_go : CLOCK_HORIZON_MOVES;
    const std::int64_t share = usable / moves + std::max<std::int64_t>(increment_ms, 0) / 2;
    return clamp_budget(std::min(share, usable / 2));
}

std::int32_t budget_per_move(std::int64_t seconds) {
    const std::int64_t ms = std::clamp<std::int64_t>(seconds, 0, LONGEST_BUDGET_MS / 1000) * 1000;
    return clamp_budget(std::max(ms - PER_MOVE_MARGIN_MS, ms * 3 / 4));
}

std::int32_t budget_for_move_time(std::int64_t ms) {
    const std::int64_t time = std::clamp<std::int64_t>(ms, 0, LONGEST_BUDGET_MS);
    return clamp_budget(std::max(time - MOVE_OVERHEAD_MS, time / 2));
}

ClassicControl classic_control(const SearchLimits& limits) {
    if (limits.fixed_budget) return {limits.fixed_budget_ms, limits.depth, false};
    ClassicControl control{DEPTH_ONLY_MS, 0, !limits_have_deadline(limits)};
    if (limits.move_time_ms >= 0)
        control.budget_ms = budget_for_move_time(limits.move_time_ms);
    else if (limits.seconds_per_move >= 0)
        control.budget_ms = budget_per_move(limits.seconds_per_move);
    else if (limits.clock_ms >= 0)
        control.budget_ms = budget_from_clock(limits.clock_ms, limits.increment_ms, limits.moves_to_go);
    if (limits.depth > 0)
        control.depth = std::min(limits.depth, DEEPEST_CLASSIC_DEPTH);
    else if (limits.infinite)
        control.depth = MAX_PLY - 1;
    else
        control.depth = limits_are_timed(limits) && limits.nodes == 0 ? DEPTH_FOR_TIME : DEEPEST_CLASSIC_DEPTH;
    // A mate in N moves lies 2N - 1 plies deep, and its last position needs
    // a ply of its own to be seen without moves: the classic search, which
    // prunes nothing, has looked at every line of N moves at depth 2N.
    if (limits.mate > 0) control.depth = std::min(control.depth, 2 * limits.mate);
    return control;
}
