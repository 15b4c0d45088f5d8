// How long the engine may think about one move, from what the interface
// says of its clock. Shared by the front ends; it knows no protocol text.
#pragma once
#include <cstdint>

#include "game/search_types.h"

// Kept back from every clock for what the engine does not measure: the
// pipes, the interface, the operating system.
constexpr std::int64_t MOVE_OVERHEAD_MS = 60;
// The moves a clock without a move count is shared over.
constexpr int CLOCK_HORIZON_MOVES = 30;

// The time for one move from `remaining_ms` on the clock, `increment_ms`
// added after each move and `moves_to_go` until more time comes (0 when the
// clock must last the game):
//   usable = remaining - MOVE_OVERHEAD_MS,
//   budget = usable / moves + increment / 2, at most usable / 2.
// The share shrinks with the clock, so the clock never runs out; half the
// increment keeps a reserve when the clock lives on the increment alone;
// and no move takes more than half of what is left, not even the last
// before a time control.
std::int32_t budget_from_clock(std::int64_t remaining_ms, std::int64_t increment_ms, int moves_to_go);

// The time for one move when each move has `seconds` of its own: all of it
// but a margin of 300 ms (a quarter of it for very short times).
std::int32_t budget_per_move(std::int64_t seconds);

// The time for one move that must take at most `ms`: all of it but the
// overhead (half of it for very short times).
std::int32_t budget_for_move_time(std::int64_t ms);

// What the classic search's driver reads, from the limits.
struct ClassicControl {
    std::int32_t budget_ms;
    int depth;
    bool no_deadline;
};

// The classic search's budget and depth, by the rules its front ends have
// always kept: protocol 1's own budget and depth as they are; otherwise the
// time per move from the move time, the seconds per move or the clock, and
// the interface's depth, or the depth a time control allows when only time
// bounds the search, or the classic board's deepest ply in an analysis; no
// deeper than a mate asked for needs.
ClassicControl classic_control(const SearchLimits& limits);
