// The time commands of both protocol versions and the limits they give the
// engine's search.
#include "xboard/clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "io/tokens.h"

namespace {

// Per move when the interface has set no limit at all.
constexpr std::int64_t DEFAULT_SECONDS_PER_MOVE = 5;
// The clock commands' numbers stop here: far beyond any real clock, and far
// from overflowing the arithmetic that turns minutes into milliseconds.
constexpr std::int64_t CLOCK_NUMBER_CAP = 1000000000;

// Protocol 1 reads "%d" after the command's letters, as from the line's
// first character: any blanks, an optionally signed integer, saturating at
// the 32-bit bounds. False (the old value stays) when the line does not match.
bool read_command_number(const char* line, const char* name, std::int32_t* value) {
    const std::size_t name_length = std::strlen(name);
    if (std::strncmp(line, name, name_length) != 0) return false;
    const char* p = skip_blanks(line + name_length);
    std::int64_t number;
    if (!read_integer(p, &number)) return false;
    *value = saturate_to_int32(number);
    return true;
}

// An unsigned number at `p`, capped for the clock arithmetic.
bool read_clock_number(const char*& p, std::int64_t* value) {
    if (*p < '0' || *p > '9') return false;
    read_integer(p, value);
    *value = std::min(*value, CLOCK_NUMBER_CAP);
    return true;
}

// The number after the command's word, which must be all that follows it.
bool read_argument(const char* line, std::int64_t* value, bool allow_sign = false) {
    const char* p = after_first_word(line);
    if (!allow_sign && (*p == '-' || *p == '+')) return false;
    if (!read_integer(p, value) || *skip_blanks(p)) return false;
    *value = std::clamp(*value, -CLOCK_NUMBER_CAP, CLOCK_NUMBER_CAP);
    return true;
}

void refuse(const char* line) { std::printf("Error (bad parameters): %s\n", line); }

}  // namespace

// ---------------------------------------------------------------------------
// Protocol 1. A number that does not read leaves the old value, which is
// scaled all the same.

void cmd_st_v1(XboardSession& session, const char* line) {
    read_command_number(line, "st", &session.time_budget_ms);
    session.time_budget_ms = saturate_to_int32(std::int64_t{session.time_budget_ms} * 1000);
    session.depth_limit = DEPTH_FOR_TIME;
}

void cmd_sd_v1(XboardSession& session, const char* line) {
    read_command_number(line, "sd", &session.depth_limit);
    session.time_budget_ms = DEPTH_ONLY_MS;
}

// A thirtieth of the clock, which counts in centiseconds.
void cmd_time_v1(XboardSession& session, const char* line) {
    read_command_number(line, "time", &session.time_budget_ms);
    session.time_budget_ms = saturate_to_int32(std::int64_t{session.time_budget_ms} * 10) / 30;
    session.depth_limit = DEPTH_FOR_TIME;
}

SearchLimits search_limits_v1(const XboardSession& session) {
    SearchLimits limits;
    limits.kind = SearchKind::CLASSIC;
    limits.fixed_budget = true;
    limits.fixed_budget_ms = session.time_budget_ms;
    limits.depth = session.depth_limit;
    return limits;
}

// ---------------------------------------------------------------------------
// Protocol 2.

// "level MPS BASE INC": BASE in minutes or minutes:seconds (anything after
// it ignored, as the protocol asks), INC in seconds with an optional fraction.
void cmd_level(XboardSession& session, const char* line) {
    const char* p = after_first_word(line);
    std::int64_t moves, minutes, seconds = 0, increment_s, increment_ms = 0;
    if (!read_clock_number(p, &moves)) return refuse(line);
    p = skip_blanks(p);
    if (!read_clock_number(p, &minutes)) return refuse(line);
    if (*p == ':') {
        ++p;
        if (!read_clock_number(p, &seconds)) return refuse(line);
    }
    while (*p && !is_blank(*p)) ++p;
    p = skip_blanks(p);
    if (!read_clock_number(p, &increment_s)) return refuse(line);
    if (*p == '.') {
        ++p;
        for (std::int64_t scale = 100; *p >= '0' && *p <= '9'; ++p, scale /= 10) increment_ms += (*p - '0') * scale;
    }
    if (*skip_blanks(p)) return refuse(line);
    XboardClock& clock = session.clock;
    clock.control = TimeControl::LEVEL;
    clock.level_moves = moves;
    clock.level_base_ms = (minutes * 60 + seconds) * 1000;
    clock.level_increment_ms = increment_s * 1000 + increment_ms;
}

void cmd_st_v2(XboardSession& session, const char* line) {
    std::int64_t seconds;
    if (!read_argument(line, &seconds)) return refuse(line);
    session.clock.control = TimeControl::PER_MOVE;
    session.clock.seconds_per_move = seconds;
}

void cmd_sd_v2(XboardSession& session, const char* line) {
    std::int64_t depth;
    if (!read_argument(line, &depth) || depth < 1) return refuse(line);
    session.clock.depth_cap = depth < MAX_PLY ? static_cast<int>(depth) : MAX_PLY;
}

// The clocks count in centiseconds, and may be negative after a late move.
void cmd_time_v2(XboardSession& session, const char* line) {
    std::int64_t centiseconds;
    if (!read_argument(line, &centiseconds, true)) return refuse(line);
    session.clock.engine_clock_ms = centiseconds > 0 ? centiseconds * 10 : 0;
}

void cmd_otim_v2(XboardSession&, const char* line) {
    std::int64_t centiseconds;
    if (!read_argument(line, &centiseconds, true)) return refuse(line);
}

void reset_clock_for_new_game(XboardSession& session) {
    session.clock.depth_cap = 0;
    session.clock.engine_clock_ms = -1;
}

SearchLimits search_limits_v2(const XboardSession& session) {
    const XboardClock& clock = session.clock;
    SearchLimits limits;
    limits.kind = session.kind;
    limits.move_overhead_ms = session.move_overhead_ms;
    limits.multipv = session.multipv;
    limits.strength_elo = strength_elo(session.limit_strength, session.elo, session.skill_level);
    limits.depth = clock.depth_cap;
    switch (clock.control) {
        case TimeControl::PER_MOVE:
            limits.seconds_per_move = clock.seconds_per_move;
            break;
        case TimeControl::LEVEL:
            limits.clock_ms = clock.engine_clock_ms >= 0 ? clock.engine_clock_ms : clock.level_base_ms;
            limits.increment_ms = clock.level_increment_ms;
            // Each side has made game_ply() / 2 moves of the game (or since
            // its set-up), so this many are left in the control.
            limits.moves_to_go = clock.level_moves > 0
                                     ? static_cast<int>(clock.level_moves - (game_ply() / 2) % clock.level_moves)
                                     : 0;
            break;
        case TimeControl::NONE:
            if (clock.engine_clock_ms >= 0)
                limits.clock_ms = clock.engine_clock_ms;
            else if (clock.depth_cap == 0)
                limits.seconds_per_move = DEFAULT_SECONDS_PER_MOVE;
            break;
    }
    return limits;
}
