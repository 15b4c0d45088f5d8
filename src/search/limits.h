// The classic search's depth and budget bounds, apart from its state.
#pragma once
#include <cstdint>

// The depth that a time control allows: deeper than any search reaches in time.
constexpr int SEARCH_DEPTH_FOR_TIME = 16;
// The budget that makes the depth alone bound a search (2^25 ms, over nine hours).
constexpr std::int32_t DEPTH_ONLY_BUDGET_MS = 33554432;
