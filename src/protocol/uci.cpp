// The UCI front end: taken up when the first command is "uci".
#include "protocol/uci.h"

#include <strings.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/move_text.h"
#include "board/position.h"
#include "book/book.h"
#include "protocol/book_path.h"
#include "protocol/game.h"
#include "protocol/input.h"
#include "protocol/time_control.h"
#include "search/clock.h"
#include "search/driver.h"
#include "search/search.h"

namespace {

// The deepest "go depth" taken: far beyond what any search finishes.
constexpr int DEEPEST_GO_DEPTH = 100;

bool quit_requested;
bool own_book = true;
char book_path[4096];

// The "go" under way.
bool stop_requested;
bool pondering;           // "go ponder" until "ponderhit"
bool wait_for_stop;       // "go infinite": no bestmove before "stop"
bool deadline_on_hit;     // "ponderhit" turns the ponder search into a timed one...
std::int32_t hit_budget_ms;  // ...of this budget
std::uint64_t node_limit; // 0: none

// The last finished iteration's variation, kept while the next one runs.
Move finished_pv[MAX_PLY];
int finished_pv_length;

char line[LONG_LINE_SIZE];

// The text after the first word and the blanks behind it.
const char* after_first_word(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    while (*text && *text != ' ' && *text != '\t') ++text;
    while (*text == ' ' || *text == '\t') ++text;
    return text;
}

// Copies the next blank-separated token of `p` into `token` (truncated to
// `room`), and moves `p` past it. False when there is none.
bool next_token(const char*& p, char* token, std::size_t room) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return false;
    std::size_t n = 0;
    while (*p && *p != ' ' && *p != '\t') {
        if (n + 1 < room) token[n++] = *p;
        ++p;
    }
    token[n] = '\0';
    return true;
}

// A decimal number, optionally signed, saturating far from overflow.
bool parse_number(const char* text, std::int64_t* value) {
    const char* p = text;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return false;
    std::int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v < 1000000000000LL) v = v * 10 + (*p - '0');
    if (*p) return false;
    *value = negative ? -v : v;
    return true;
}

void print_identity() {
    std::printf("id name Tavrin 1.7\n");
    std::printf("id author the Tavrin developers\n");
    std::printf("option name OwnBook type check default true\n");
    std::printf("option name BookFile type string default %s\n", book_path);
    std::printf("option name Ponder type check default false\n");
    std::printf("uciok\n");
}

// "info depth D score cp S|mate M time T nodes N nps X pv ...", mates in
// moves: positive when Tavrin mates.
void report_iteration(const Iteration& iteration) {
    std::printf("info depth %d score ", iteration.depth);
    if (iteration.score > MATE_THRESHOLD)
        std::printf("mate %d", (MATE_SCORE - iteration.score + 1) / 2);
    else if (iteration.score < -MATE_THRESHOLD)
        std::printf("mate %d", -((MATE_SCORE + iteration.score) / 2));
    else
        std::printf("cp %d", iteration.score);
    const std::uint64_t ms = iteration.elapsed_ms > 0 ? static_cast<std::uint64_t>(iteration.elapsed_ms) : 0;
    const std::uint64_t nps = iteration.nodes * 1000 / (ms > 0 ? ms : 1);
    std::printf(" time %llu nodes %llu nps %llu", static_cast<unsigned long long>(ms),
                static_cast<unsigned long long>(iteration.nodes), static_cast<unsigned long long>(nps));
    if (iteration.pv_length > 0) std::printf(" pv");
    for (int j = 0; j < iteration.pv_length; ++j) std::printf(" %s", move_to_text(iteration.pv[j]));
    std::printf("\n");
    std::fflush(stdout);
    finished_pv_length = iteration.pv_length;
    for (int j = 0; j < iteration.pv_length; ++j) finished_pv[j] = iteration.pv[j];
}

void ponderhit() {
    if (!pondering) return;
    pondering = false;
    if (deadline_on_hit) set_deadline_from_now(hit_budget_ms);
}

// The commands that a search must hear at once; true when the search must
// end. Anything else waits for the search to end.
bool hear_during_search(const char* text) {
    char word[32];
    const char* p = text;
    if (!next_token(p, word, sizeof word)) return false;
    if (std::strcmp(word, "stop") == 0) {
        stop_requested = true;
        return true;
    }
    if (std::strcmp(word, "quit") == 0) {
        quit_requested = true;
        return true;
    }
    if (std::strcmp(word, "isready") == 0) {
        std::printf("readyok\n");
        std::fflush(stdout);
        return false;
    }
    if (std::strcmp(word, "ponderhit") == 0) {
        ponderhit();
        return false;
    }
    if (std::strcmp(word, "debug") == 0) return false;
    if (!defer_line(text)) std::printf("info string too much input during the search; dropped: %.40s\n", text);
    return false;
}

// Polled by the search every 1024 nodes. The end of input ends only a
// search that would otherwise never end.
bool search_must_stop() {
    if (node_limit != 0 && node_count >= node_limit) return true;
    if (input_has_ended() && (pondering || wait_for_stop)) {
        quit_requested = true;
        return true;
    }
    while (line_waiting()) {
        bool too_long = false;
        if (!read_new_line(line, sizeof line, &too_long)) {
            quit_requested = true;
            return true;
        }
        if (too_long) continue;
        if (hear_during_search(line)) return true;
    }
    return false;
}

// After a search that must not answer yet: reads until "stop", "ponderhit"
// or "quit", answering "isready" meanwhile.
void wait_until_released() {
    while ((wait_for_stop || pondering) && !stop_requested && !quit_requested) {
        bool too_long = false;
        if (!read_new_line(line, sizeof line, &too_long)) {
            quit_requested = true;
            return;
        }
        if (too_long) continue;
        hear_during_search(line);
        if (!pondering && !wait_for_stop) return;
    }
}

void cmd_go(const char* arguments) {
    std::int64_t clock[2] = {0, 0}, increment[2] = {0, 0}, movestogo = 0, depth = 0, nodes = 0, movetime = -1;
    bool has_clock[2] = {false, false};
    bool infinite = false, ponder = false;
    char token[64];
    const char* p = arguments;
    while (next_token(p, token, sizeof token)) {
        std::int64_t* target = nullptr;
        if (std::strcmp(token, "wtime") == 0) target = &clock[WHITE];
        else if (std::strcmp(token, "btime") == 0) target = &clock[BLACK];
        else if (std::strcmp(token, "winc") == 0) target = &increment[WHITE];
        else if (std::strcmp(token, "binc") == 0) target = &increment[BLACK];
        else if (std::strcmp(token, "movestogo") == 0) target = &movestogo;
        else if (std::strcmp(token, "depth") == 0) target = &depth;
        else if (std::strcmp(token, "nodes") == 0) target = &nodes;
        else if (std::strcmp(token, "movetime") == 0) target = &movetime;
        else if (std::strcmp(token, "infinite") == 0) infinite = true;
        else if (std::strcmp(token, "ponder") == 0) ponder = true;
        if (target == nullptr) continue;
        // A number that is missing or does not read leaves the setting alone.
        const char* q = p;
        char number[64];
        std::int64_t value;
        if (next_token(q, number, sizeof number) && parse_number(number, &value)) {
            *target = value;
            p = q;
            if (target == &clock[WHITE]) has_clock[WHITE] = true;
            if (target == &clock[BLACK]) has_clock[BLACK] = true;
        }
    }

    // The limits: a clock or a move time gives a deadline; a depth, a node
    // count, "infinite" or "ponder" none until "ponderhit".
    const int us = side_to_move;
    bool timed = false;
    std::int32_t budget = 0;
    if (movetime >= 0) {
        budget = budget_for_move_time(movetime);
        timed = true;
    } else if (has_clock[us]) {
        // An overdrawn clock, or a negative increment, counts as none left.
        budget = budget_from_clock(clock[us], increment[us], static_cast<int>(movestogo));
        timed = true;
    }
    if (depth > 0)
        depth_limit = static_cast<std::int32_t>(depth < DEEPEST_GO_DEPTH ? depth : DEEPEST_GO_DEPTH);
    else
        depth_limit = timed && !infinite && nodes <= 0 ? SEARCH_DEPTH_FOR_TIME : DEEPEST_GO_DEPTH;
    time_budget_ms = timed ? budget : DEPTH_ONLY_BUDGET_MS;
    node_limit = nodes > 0 ? static_cast<std::uint64_t>(nodes) : 0;

    stop_requested = false;
    pondering = ponder;
    wait_for_stop = infinite;
    deadline_on_hit = timed;
    hit_budget_ms = budget;
    finished_pv_length = 0;

    // 1. Search, listening; the book only for a real move.
    search_should_stop = search_must_stop;
    search_without_deadline = !timed || ponder || infinite;
    iteration_reporter = report_iteration;
    const Move chosen = game_choose_move(OUTPUT_THINKING, own_book && !ponder && !infinite);
    search_should_stop = nullptr;
    search_without_deadline = false;
    if (quit_requested) return;

    // 2. "infinite" and "ponder" answer only when released.
    wait_until_released();
    if (quit_requested) return;

    // 3. The move: after "stop", the last finished iteration's; otherwise the
    //    search's own answer; failing both, any legal move.
    Move best = chosen;
    if (stop_requested && finished_pv_length > 0) best = finished_pv[0];
    if (best == 0) best = game_first_legal_move();
    if (best == 0) {
        std::printf("bestmove 0000\n");
        return;
    }
    Move ponder_move = 0;
    if (finished_pv_length >= 2 && finished_pv[0] == best)
        ponder_move = finished_pv[1];
    else if (pv_length[0] >= 2 && pv_table[0][0] == best)
        ponder_move = pv_table[0][1];
    std::printf("bestmove %s", move_to_text(best));
    if (ponder_move != 0) std::printf(" ponder %s", move_to_text(ponder_move));
    std::printf("\n");
}

// "position startpos|fen FEN [moves ...]": a refused FEN keeps the position
// as it was; the moves are played up to the first that is not legal.
void cmd_position(const char* arguments) {
    char token[128];
    const char* p = arguments;
    if (!next_token(p, token, sizeof token)) {
        std::printf("info string position needs startpos or fen\n");
        return;
    }
    const char* moves = std::strstr(p, " moves");
    if (moves == nullptr) moves = p + std::strlen(p);
    if (std::strcmp(token, "startpos") == 0) {
        game_new();
    } else if (std::strcmp(token, "fen") == 0) {
        char fen[512];
        const std::size_t length = static_cast<std::size_t>(moves - p);
        if (length >= sizeof fen) {
            std::printf("info string FEN refused (too long); the position stays as it was\n");
            return;
        }
        std::memcpy(fen, p, length);
        fen[length] = '\0';
        if (const char* why = game_set_fen(fen)) {
            std::printf("info string FEN refused (%s); the position stays as it was\n", why);
            return;
        }
    } else {
        std::printf("info string position needs startpos or fen, not %.40s\n", token);
        return;
    }
    if (!*moves) return;
    p = moves + 6;
    while (next_token(p, token, sizeof token)) {
        const std::size_t length = std::strlen(token);
        const bool shaped = length == 4 || (length == 5 && std::strchr("nbrqNBRQ", token[4]) != nullptr);
        if (!shaped || game_play_text(token) != MoveRefusal::NONE) {
            std::printf("info string illegal move %.20s; it and the moves after it are ignored\n", token);
            return;
        }
    }
}

void set_book(bool wanted) {
    own_book = wanted;
    if (!own_book) {
        book_close();
        return;
    }
    if (!book_open(book_path)) std::printf("info string no book at %s\n", book_path);
}

// "setoption name NAME [value VALUE]", names in any case.
void cmd_setoption(const char* arguments) {
    const char* name = std::strstr(arguments, "name ");
    if (name == nullptr) {
        std::printf("info string setoption needs a name\n");
        return;
    }
    name += 5;
    while (*name == ' ') ++name;
    const char* value_key = std::strstr(name, " value");
    const std::size_t name_length = static_cast<std::size_t>(value_key ? value_key - name : std::strlen(name));
    const char* value = value_key ? value_key + 6 : "";
    while (*value == ' ') ++value;
    auto is = [&](const char* option) {
        return std::strlen(option) == name_length && strncasecmp(name, option, name_length) == 0;
    };
    if (is("OwnBook")) {
        set_book(strcasecmp(value, "false") != 0);
    } else if (is("BookFile")) {
        std::snprintf(book_path, sizeof book_path, "%s", value);
        if (own_book) set_book(true);
    } else if (is("Ponder")) {
        // Pondering is the interface's to ask for; nothing to set.
    } else {
        std::printf("info string unknown option %.*s\n", static_cast<int>(name_length < 64 ? name_length : 64), name);
    }
}

}  // namespace

void uci_loop() {
    std::snprintf(book_path, sizeof book_path, "%s", shipped_book_path());
    print_identity();
    game_new();
    while (!quit_requested) {
        std::fflush(stdout);
        bool too_long = false;
        if (!read_whole_line(line, sizeof line, &too_long)) return;
        if (too_long) {
            std::printf("info string line too long, ignored\n");
            continue;
        }
        char word[64];
        const char* p = line;
        if (!next_token(p, word, sizeof word)) continue;
        const char* arguments = after_first_word(line);
        if (std::strcmp(word, "uci") == 0) {
            print_identity();
        } else if (std::strcmp(word, "isready") == 0) {
            std::printf("readyok\n");
        } else if (std::strcmp(word, "ucinewgame") == 0) {
            game_new();
        } else if (std::strcmp(word, "position") == 0) {
            cmd_position(arguments);
        } else if (std::strcmp(word, "go") == 0) {
            cmd_go(arguments);
        } else if (std::strcmp(word, "setoption") == 0) {
            cmd_setoption(arguments);
        } else if (std::strcmp(word, "quit") == 0) {
            return;
        } else if (std::strcmp(word, "stop") == 0 || std::strcmp(word, "ponderhit") == 0 ||
                   std::strcmp(word, "debug") == 0 || std::strcmp(word, "register") == 0) {
            // Nothing to stop or hit without a search; no debug output; no registration.
        } else {
            std::printf("info string unknown command %.40s\n", word);
        }
    }
}
