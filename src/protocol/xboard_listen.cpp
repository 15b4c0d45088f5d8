// Listening while thinking, in xboard protocol 2: "?" (move now), commands
// that end the engine's search, and analysis mode with its status line.
#include "protocol/xboard_listen.h"

#include <cstdio>
#include <cstring>

#include "board/make_move.h"
#include "board/position.h"
#include "protocol/command_loop.h"
#include "protocol/engine_turn.h"
#include "protocol/game.h"
#include "protocol/input.h"
#include "search/clock.h"
#include "search/driver.h"
#include "search/search.h"

bool analysing;
bool search_interrupted;
bool move_now;

namespace {

// An analysis of the current position is still owed.
bool analysis_due;
// Legal moves at the root of the analysis, for the status line.
int root_move_total;

char line[LONG_LINE_SIZE];

// Commands after which the search's move would be wrong or unwanted: the
// search ends without a move, and they are carried out next.
bool ends_the_search(const char* word) {
    static const char* const enders[] = {"force", "new",   "result", "undo", "remove",   "setboard",
                                         "white", "black", "exit",   "go",   "playother", "analyze"};
    for (const char* ender : enders)
        if (std::strcmp(word, ender) == 0) return true;
    return false;
}

// Reads a waiting line (one too long to read is left empty); false, with
// quit requested, at the end of input.
bool read_waiting_line() {
    bool too_long = false;
    if (!read_new_line(line, sizeof line, &too_long)) {
        quit_requested = true;
        return false;
    }
    if (too_long) line[0] = '\0';
    return true;
}

void print_status() {
    const std::int32_t centiseconds = static_cast<std::int32_t>(elapsed_ms(search_start_ms, clock_ms())) / 10;
    const int left = root_move_total - root_moves_searched;
    std::printf("stat01: %d %llu %d %d %d\n", centiseconds, static_cast<unsigned long long>(node_count),
                iteration_depth, left > 0 ? left : 0, root_move_total);
    std::fflush(stdout);
}

// Polled by the analysis search: "." is answered in place, anything else
// ends the search and is carried out next, and so does the end of input.
bool analysis_must_stop() {
    if (input_has_ended()) return true;
    while (line_waiting()) {
        if (!read_waiting_line()) return true;
        char word[16];
        take_first_word(line, word, sizeof word);
        if (std::strcmp(word, ".") == 0) {
            print_status();
            continue;
        }
        if (word[0] == '\0') continue;
        defer_line(line);
        return true;
    }
    return false;
}

int legal_root_moves() {
    int count = 0;
    for (int i = 0; i < ply_first_move[1]; ++i) {
        if (make_move(move_list[i].move)) {
            unmake_move();
            ++count;
        }
    }
    return count;
}

}  // namespace

bool engine_search_must_stop() {
    while (line_waiting()) {
        if (!read_waiting_line()) return true;
        char word[16];
        take_first_word(line, word, sizeof word);
        if (word[0] == '\0') continue;
        if (std::strcmp(word, "?") == 0) {
            move_now = true;
            return true;
        }
        if (std::strcmp(word, "quit") == 0) {
            quit_requested = true;
            return true;
        }
        defer_line(line);
        if (ends_the_search(word)) {
            search_interrupted = true;
            return true;
        }
    }
    return false;
}

void position_changed() { analysis_due = true; }

bool analysis_turn() {
    if (!analysing || !analysis_due || line_waiting() || deferred_line_waiting()) return false;
    root_move_total = legal_root_moves();
    if (root_move_total == 0) {  // mate or stalemate: nothing to think about
        analysis_due = false;
        return false;
    }
    depth_limit = MAX_PLY - 1;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;
    search_without_deadline = true;
    search_should_stop = analysis_must_stop;
    iteration_reporter = print_thinking_line;
    search_interrupted = false;
    game_choose_move(OUTPUT_THINKING, false);
    search_should_stop = nullptr;
    search_without_deadline = false;
    // A search that ended by itself (a mate, or the deepest iteration) is
    // not run again until the position changes.
    if (!line_waiting() && !deferred_line_waiting()) analysis_due = false;
    return true;
}

void cmd_analyze(const char*) {
    analysing = true;
    analysis_due = true;
    engine_side = EMPTY;
}

void cmd_exit(const char*) {
    analysing = false;
    analysis_due = false;
}

void cmd_status(const char*) {
    if (analysing) print_status();
}
