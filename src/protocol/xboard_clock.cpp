// The clock commands of xboard protocol 2 and the limits they give a search:
// "level", "st" and "sd" are independent, and "time" and "otim" only set
// the clocks.
#include "protocol/xboard_clock.h"

#include <cstdint>
#include <cstdio>

#include "board/position.h"
#include "protocol/time_control.h"
#include "search/driver.h"

namespace {

enum class TimeControl { NONE, LEVEL, PER_MOVE };

// Per move when the interface has set no limit at all.
constexpr std::int64_t DEFAULT_SECONDS_PER_MOVE = 5;
// Far beyond any real clock, and far from overflowing the arithmetic.
constexpr std::int64_t NUMBER_CAP = 1000000000;

TimeControl time_control = TimeControl::NONE;
std::int64_t level_moves;         // moves per control, 0 for the whole game
std::int64_t level_base_ms;       // the clock at the start of a control
std::int64_t level_increment_ms;  // added after each move
std::int64_t seconds_per_move;
int depth_cap;                        // 0: none
std::int64_t engine_clock_ms = -1;    // -1 until "time" tells it

// An unsigned decimal number at `p`, saturating at NUMBER_CAP; false when
// there is none. `p` moves past it.
bool read_number(const char*& p, std::int64_t* value) {
    if (*p < '0' || *p > '9') return false;
    std::int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v < NUMBER_CAP) v = v * 10 + (*p - '0');
    *value = v < NUMBER_CAP ? v : NUMBER_CAP;
    return true;
}

void skip_blanks(const char*& p) {
    while (*p == ' ' || *p == '\t') ++p;
}

// The number after the command's word, which must be all that follows it.
bool read_argument(const char* line, std::int64_t* value, bool allow_sign = false) {
    const char* p = line;
    skip_blanks(p);
    while (*p && *p != ' ' && *p != '\t') ++p;
    skip_blanks(p);
    const bool negative = allow_sign && *p == '-';
    if (allow_sign && (*p == '-' || *p == '+')) ++p;
    if (!read_number(p, value)) return false;
    skip_blanks(p);
    if (*p) return false;
    if (negative) *value = -*value;
    return true;
}

void refuse(const char* line) { std::printf("Error (bad parameters): %s\n", line); }

}  // namespace

// "level MPS BASE INC": BASE in minutes or minutes:seconds (anything after
// it ignored, as the protocol asks), INC in seconds with an optional fraction.
void cmd_level(const char* line) {
    const char* p = line;
    skip_blanks(p);
    p += 5;  // "level"
    std::int64_t moves, minutes, seconds = 0, increment_s, increment_ms = 0;
    skip_blanks(p);
    if (!read_number(p, &moves)) return refuse(line);
    skip_blanks(p);
    if (!read_number(p, &minutes)) return refuse(line);
    if (*p == ':') {
        ++p;
        if (!read_number(p, &seconds)) return refuse(line);
    }
    while (*p && *p != ' ' && *p != '\t') ++p;
    skip_blanks(p);
    if (!read_number(p, &increment_s)) return refuse(line);
    if (*p == '.') {
        ++p;
        for (std::int64_t scale = 100; *p >= '0' && *p <= '9'; ++p, scale /= 10) increment_ms += (*p - '0') * scale;
    }
    skip_blanks(p);
    if (*p) return refuse(line);
    time_control = TimeControl::LEVEL;
    level_moves = moves;
    level_base_ms = (minutes * 60 + seconds) * 1000;
    level_increment_ms = increment_s * 1000 + increment_ms;
}

void cmd_st_v2(const char* line) {
    std::int64_t seconds;
    if (!read_argument(line, &seconds)) return refuse(line);
    time_control = TimeControl::PER_MOVE;
    seconds_per_move = seconds;
}

void cmd_sd_v2(const char* line) {
    std::int64_t depth;
    if (!read_argument(line, &depth) || depth < 1) return refuse(line);
    depth_cap = depth < MAX_PLY ? static_cast<int>(depth) : MAX_PLY;
}

// The clocks count in centiseconds, and may be negative after a late move.
void cmd_time_v2(const char* line) {
    std::int64_t centiseconds;
    if (!read_argument(line, &centiseconds, true)) return refuse(line);
    engine_clock_ms = centiseconds > 0 ? centiseconds * 10 : 0;
}

void cmd_otim_v2(const char* line) {
    std::int64_t centiseconds;
    if (!read_argument(line, &centiseconds, true)) return refuse(line);
}

void reset_clocks_for_new_game() {
    depth_cap = 0;
    engine_clock_ms = -1;
}

void set_search_limits() {
    depth_limit = depth_cap > 0 ? depth_cap : SEARCH_DEPTH_FOR_TIME;
    switch (time_control) {
        case TimeControl::PER_MOVE:
            time_budget_ms = budget_per_move(seconds_per_move);
            return;
        case TimeControl::LEVEL: {
            const std::int64_t remaining = engine_clock_ms >= 0 ? engine_clock_ms : level_base_ms;
            // Each side has made history_ply / 2 moves of the game (or
            // since its set-up), so this many are left in the control.
            const int moves_to_go =
                level_moves > 0 ? static_cast<int>(level_moves - (history_ply / 2) % level_moves) : 0;
            time_budget_ms = budget_from_clock(remaining, level_increment_ms, moves_to_go);
            return;
        }
        case TimeControl::NONE:
            if (engine_clock_ms >= 0) {
                time_budget_ms = budget_from_clock(engine_clock_ms, 0, CLOCK_HORIZON_MOVES);
            } else if (depth_cap > 0) {
                time_budget_ms = DEPTH_ONLY_BUDGET_MS;
            } else {
                time_budget_ms = budget_per_move(DEFAULT_SECONDS_PER_MOVE);
            }
            return;
    }
}
