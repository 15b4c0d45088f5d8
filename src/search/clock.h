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

// Returns while time remains; at the deadline leaves the whole search
// through abort_point.
void poll_clock();
