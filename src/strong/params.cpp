// The strong search's tunable numbers.
#include "strong/params.h"

#include <cstring>

namespace strong {

namespace {

constexpr std::array<int, PARAM_COUNT> default_values() {
    std::array<int, PARAM_COUNT> values{};
    for (int i = 0; i < PARAM_COUNT; ++i) values[static_cast<std::size_t>(i)] = PARAM_SPECS[i].value;
    return values;
}

}  // namespace

std::array<int, PARAM_COUNT> tuned_values = default_values();

bool set_param(const char* name, int value) {
    if constexpr (!TUNING) return false;
    for (int i = 0; i < PARAM_COUNT; ++i) {
        if (std::strcmp(PARAM_SPECS[i].name, name) != 0) continue;
        if (value < PARAM_SPECS[i].min || value > PARAM_SPECS[i].max) return false;
        tuned_values[static_cast<std::size_t>(i)] = value;
        return true;
    }
    return false;
}

}  // namespace strong
