// The UCI front end: taken up when the first command is "uci".
#pragma once
#include <cstdint>

#include "game/game.h"
#include "game/strong_door.h"
#include "io/input.h"

// The "go" under way.
struct UciGo {
    bool stop_requested = false;
    bool pondering = false;          // "go ponder" until "ponderhit"
    bool wait_for_stop = false;      // "go infinite": no bestmove before "stop"
};

struct UciSession {
    bool quit = false;
    bool own_book = true;
    char book_path[4096] = "";
    SearchKind kind = SearchKind::STRONG;
    int move_overhead_ms = MOVE_OVERHEAD_DEFAULT_MS;
    int multipv = 1;
    bool limit_strength = false;  // UCI_LimitStrength: play at UCI_Elo
    bool show_wdl = false;        // UCI_ShowWDL: info lines carry the chances
    int elo = ELO_DEFAULT;        // UCI_Elo
    int skill_level = SKILL_LEVEL_MAX;  // Skill Level: below the top, a strength of its own
    UciGo go;
    SearchLimits limits;         // of the last "go"
    char line[LONG_LINE_SIZE];   // the line read
    char heard[LONG_LINE_SIZE];  // a line read during a search
};

// The limits that the words after "go" give a search for `side` to move:
// its own clock and increment, the moves to go, the move time, depth,
// nodes, a mate to find, "infinite", "ponder" and the moves to search. A
// number that is missing or does not read leaves its field alone; an
// overdrawn clock or a negative increment counts as none left. With
// `report`, a move or a mate refused is said in an info string.
SearchLimits read_go(const char* arguments, int side, bool report = false);

// Readies a session: the book it names, and a new game.
void uci_start(UciSession& session);

// Carries out one line (without its line end) on a started session; false
// once the session has ended ("quit", heard here or during a search). Any
// front end of the process feeds it: standard input below, or messages.
bool uci_carry_out_line(UciSession& session, const char* line);

// Starts the session, answers the "uci" that chose this front end, then
// carries out the lines of standard input until "quit" or their end.
void run_uci(UciSession& session);
