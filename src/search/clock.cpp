// The search's millisecond wall clock, its deadline and the way out of a search.
#include "search/clock.h"

#include <chrono>

std::int32_t search_start_ms;
std::int32_t search_deadline_ms;
std::jmp_buf abort_point;
bool search_without_deadline;
bool (*search_should_stop)(void* context);
void* search_stop_context;
StopCause search_stop_cause;

std::int32_t clock_ms() {
    const auto since_epoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch).count();
    // Reduce modulo 2^32 in unsigned arithmetic; the cast back is well defined in C++20.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms)));
}

void start_search_clock(std::int32_t budget_ms) {
    search_start_ms = clock_ms();
    search_stop_cause = StopCause::NONE;
    const std::uint32_t budget = budget_ms > 0 ? static_cast<std::uint32_t>(budget_ms) : 0u;
    search_deadline_ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(search_start_ms) + budget);
}

// Time since the start is compared with the deadline's distance from the
// start, so a search that straddles the wrap of the 32-bit clock still ends
// on time. The search frames hold only plain values, so a long jump out of
// them is safe, and unlike an exception it allocates nothing.
void poll_clock() {
    const bool in_time = search_without_deadline ||
                         elapsed_ms(search_start_ms, clock_ms()) < elapsed_ms(search_start_ms, search_deadline_ms);
    if (!in_time) {
        search_stop_cause = StopCause::DEADLINE;
    } else {
        if (search_should_stop == nullptr || !search_should_stop(search_stop_context)) return;
        search_stop_cause = StopCause::HOOK;
    }
    std::longjmp(abort_point, 1);
}

void set_deadline_from_now(std::int32_t budget_ms) {
    const std::uint32_t budget = budget_ms > 0 ? static_cast<std::uint32_t>(budget_ms) : 0u;
    search_deadline_ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(clock_ms()) + budget);
    search_without_deadline = false;
}
