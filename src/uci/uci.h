// The UCI front end: taken up when the first command is "uci".
#pragma once
#include <cstdint>

#include "game/game.h"
#include "game/strong_door.h"
#include "io/input.h"

constexpr int MULTIPV_MAX = 256;

// What "go" says, as read; a number that is missing or does not read
// leaves its field alone.
struct UciGoCommand {
    std::int64_t clock_ms[2] = {0, 0};  // by colour: wtime, btime
    bool has_clock[2] = {false, false};
    std::int64_t increment_ms[2] = {0, 0};  // winc, binc
    std::int64_t moves_to_go = 0;
    std::int64_t depth = 0;
    std::int64_t nodes = 0;
    std::int64_t move_time_ms = -1;
    bool infinite = false;
    bool ponder = false;
};

// The "go" under way.
struct UciGo {
    bool stop_requested = false;
    bool pondering = false;          // "go ponder" until "ponderhit"
    bool wait_for_stop = false;      // "go infinite": no bestmove before "stop"
    bool deadline_on_hit = false;    // "ponderhit" turns the ponder search into a timed one...
    std::int32_t hit_budget_ms = 0;  // ...of this budget
};

struct UciSession {
    bool quit = false;
    bool own_book = true;
    char book_path[4096] = "";
    SearchKind kind = SearchKind::CLASSIC;
    int move_overhead_ms = MOVE_OVERHEAD_DEFAULT_MS;
    int multipv = 1;
    bool limit_strength = false;  // UCI_LimitStrength: play at UCI_Elo
    int elo = ELO_DEFAULT;        // UCI_Elo
    int skill_level = SKILL_LEVEL_MAX;  // Skill Level: below the top, a strength of its own
    UciGo go;
    char line[LONG_LINE_SIZE];   // the line read
    char heard[LONG_LINE_SIZE];  // a line read during a search
};

// Reads the words after "go".
UciGoCommand read_go(const char* arguments);

// The limits of a search for `side` to move: its own clock and increment,
// or the move time, and the depth and node limits. A clock or a move time
// gives a deadline; a depth, a node count, "infinite" or "ponder" none.
SearchLimits uci_search_limits(const UciGoCommand& go, int side);

// Readies a session: the book it names, and a new game.
void uci_start(UciSession& session);

// Carries out one line (without its line end) on a started session; false
// once the session has ended ("quit", heard here or during a search). Any
// front end of the process feeds it: standard input below, or messages.
bool uci_carry_out_line(UciSession& session, const char* line);

// Starts the session, answers the "uci" that chose this front end, then
// carries out the lines of standard input until "quit" or their end.
void run_uci(UciSession& session);
