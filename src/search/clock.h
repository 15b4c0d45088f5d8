// The search's millisecond wall clock, its deadline and the way out of a search.
#pragma once
#include <csetjmp>
#include <cstdint>

// Wall clock in milliseconds, wrapped to 32 bits: only differences of
// readings taken close together mean anything.
std::int32_t clock_ms();

// Milliseconds from `start` to `now`, correct across the 32-bit wrap.
inline std::uint32_t elapsed_ms(std::int32_t start, std::int32_t now) {
    return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(start);
}

// Written by start_search_clock only.
extern std::int32_t search_start_ms;
extern std::int32_t search_deadline_ms;

// Where poll_clock resumes at the deadline: set by choose_move before each
// search, with setjmp, so that no search function needs a stop test.
extern std::jmp_buf abort_point;

// Starts the clock of a search that may run `budget_ms` (a negative budget
// counts as none).
void start_search_clock(std::int32_t budget_ms);

// Set by a front end before a search that only it may end (an analysis, a
// ponder search): the deadline is not looked at until set_deadline_from_now.
extern bool search_without_deadline;

// The search may now run `budget_ms` more, whatever the deadline was.
void set_deadline_from_now(std::int32_t budget_ms);

// Asked at every poll while set, with search_stop_context, by the game
// layer on behalf of a front end that listens during a search: true ends
// the search at once, as the deadline does.
extern bool (*search_should_stop)(void* context);
extern void* search_stop_context;

// Why poll_clock last left a search; NONE from start_search_clock until then.
enum class StopCause { NONE, DEADLINE, HOOK };
extern StopCause search_stop_cause;

// Returns while time remains and the front end lets the search go on;
// otherwise leaves the whole search through abort_point.
void poll_clock();
