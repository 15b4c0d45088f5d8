// Start-up and the xboard command loop, in protocol version 1 or 2.
#include "protocol/command_loop.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/position.h"
#include "board/zobrist.h"
#include "protocol/book_path.h"
#include "protocol/engine_turn.h"
#include "protocol/game.h"
#include "protocol/game_commands.h"
#include "protocol/input.h"
#include "protocol/uci.h"
#include "protocol/xboard_clock.h"
#include "protocol/xboard_listen.h"
#include "search/driver.h"

int protocol_version = 1;
int engine_side = EMPTY;
int post_mode = OUTPUT_SILENT;
bool quit_requested;

namespace {

// Multiplication that saturates at the 32-bit bounds instead of wrapping.
int saturating_multiply(int value, int factor) {
    const long long product = static_cast<long long>(value) * factor;
    if (product > INT_MAX) return INT_MAX;
    if (product < INT_MIN) return INT_MIN;
    return static_cast<int>(product);
}

// ---------------------------------------------------------------------------
// Commands of both versions.

// In analysis mode "new" only sets up the start position to analyse.
void cmd_new(const char*) {
    game_new();
    engine_side = analysing ? EMPTY : BLACK;
    if (protocol_version >= 2) reset_clocks_for_new_game();
    position_changed();
}

void cmd_quit(const char*) { quit_requested = true; }

void cmd_force(const char*) { engine_side = EMPTY; }

// The colour commands hand over the move and nothing else.
void cmd_white(const char*) {
    game_set_side_to_move(WHITE);
    engine_side = BLACK;
}

void cmd_black(const char*) {
    game_set_side_to_move(BLACK);
    engine_side = WHITE;
}

void cmd_post(const char*) { post_mode = OUTPUT_THINKING; }

void cmd_nopost(const char*) { post_mode = OUTPUT_SILENT; }

// Taken silently: what the interface says that needs no answer.
void cmd_ignore(const char*) {}

// ---------------------------------------------------------------------------
// Protocol 1: the time commands each set both limits.

// A number that does not read leaves the old value, which is scaled all the same.
void cmd_st(const char* line) {
    read_command_number(line, "st", &time_budget_ms);
    time_budget_ms = saturating_multiply(time_budget_ms, 1000);
    depth_limit = SEARCH_DEPTH_FOR_TIME;
}

void cmd_sd(const char* line) {
    read_command_number(line, "sd", &depth_limit);
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;
}

// A thirtieth of the clock, which counts in centiseconds.
void cmd_time(const char* line) {
    read_command_number(line, "time", &time_budget_ms);
    time_budget_ms = saturating_multiply(time_budget_ms, 10) / 30;
    depth_limit = SEARCH_DEPTH_FOR_TIME;
}

void cmd_otim(const char*) {}

// ---------------------------------------------------------------------------
// Protocol 2.

void print_features() {
    std::printf("feature myname=\"Tavrin 1.7\" variants=\"normal\" setboard=1 ping=1 playother=1 usermove=0\n");
    std::printf("feature time=1 draw=0 sigint=0 sigterm=0 reuse=1 colors=0 analyze=1 done=1\n");
}

// "protover N": from version 2 on, the features at once and protocol 2 for
// good. An older version changes nothing and is no command of version 1.
void cmd_protover(const char* line, const char* word) {
    int version = 0;
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (!read_command_number(p, "protover", &version) || version < 2) {
        if (protocol_version == 1) std::printf("(unknown command): %s\n", word);
        return;
    }
    protocol_version = 2;
    print_features();
}

void cmd_ping(const char* line) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    p += 4;  // "ping"
    while (*p == ' ' || *p == '\t') ++p;
    const char* number = p;
    if (*p == '-' || *p == '+') ++p;
    const char* digits = p;
    while (*p >= '0' && *p <= '9') ++p;
    const char* after = p;
    while (*p == ' ' || *p == '\t') ++p;
    if (after == digits || *p) {
        std::printf("Error (bad parameters): %s\n", line);
        return;
    }
    std::printf("pong %.*s\n", static_cast<int>(after - number), number);
}

// "result": the game is over; wait in force mode for the next one.
void cmd_result(const char*) { engine_side = EMPTY; }

void cmd_playother(const char*) {
    engine_side = side_not_to_move;
    analysing = false;
}

// "bk": the book's moves are not listed; the answer ends with an empty line.
void cmd_book_moves(const char*) { std::printf(" no list of book moves\n\n"); }

struct Command {
    const char* name;
    void (*run)(const char* line);
};

// Protocol 1, tested in this order; the first whole-word match runs.
constexpr Command protocol1_commands[] = {
    {"new",    cmd_new},
    {"quit",   cmd_quit},
    {"force",  cmd_force},
    {"white",  cmd_white},
    {"black",  cmd_black},
    {"st",     cmd_st},
    {"sd",     cmd_sd},
    {"time",   cmd_time},
    {"otim",   cmd_otim},
    {"go",     cmd_go},
    {"hint",   cmd_hint},
    {"undo",   cmd_undo},
    {"remove", cmd_remove},
    {"post",   cmd_post},
    {"nopost", cmd_nopost},
    {"xboard", cmd_ignore},
};

constexpr Command protocol2_commands[] = {
    {"new",       cmd_new},
    {"quit",      cmd_quit},
    {"force",     cmd_force},
    {"go",        cmd_go},
    {"playother", cmd_playother},
    {"white",     cmd_white},
    {"black",     cmd_black},
    {"level",     cmd_level},
    {"st",        cmd_st_v2},
    {"sd",        cmd_sd_v2},
    {"time",      cmd_time_v2},
    {"otim",      cmd_otim_v2},
    {"hint",      cmd_hint},
    {"undo",      cmd_undo},
    {"remove",    cmd_remove},
    {"post",      cmd_post},
    {"nopost",    cmd_nopost},
    {"setboard",  cmd_setboard},
    {"ping",      cmd_ping},
    {"result",    cmd_result},
    {"xboard",    cmd_ignore},
    {"accepted",  cmd_ignore},
    {"rejected",  cmd_ignore},
    {"random",    cmd_ignore},
    {"hard",      cmd_ignore},
    {"easy",      cmd_ignore},
    {"computer",  cmd_ignore},
    {"name",      cmd_ignore},
    {"rating",    cmd_ignore},
    {"ics",       cmd_ignore},
    {"analyze",   cmd_analyze},
    {"exit",      cmd_exit},
    {".",         cmd_status},
    {"?",         cmd_ignore},  // move now: heard only while the engine thinks
    {"bk",        cmd_book_moves},
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

template <std::size_t N>
bool run_from_table(const Command (&table)[N], const char* line, const char* word) {
    for (const Command& command : table) {
        if (std::strcmp(word, command.name) == 0) {
            command.run(line);
            return true;
        }
    }
    return false;
}

}  // namespace

bool take_first_word(const char* line, char* word, std::size_t room) {
    const char* p = line;
    while (is_blank(*p)) ++p;
    std::size_t n = 0;
    while (*p && !is_blank(*p) && n + 1 < room) word[n++] = *p++;
    word[n] = '\0';
    return n > 0;
}

int read_command_number(const char* line, const char* name, int* value) {
    const std::size_t name_length = std::strlen(name);
    if (std::strncmp(line, name, name_length) != 0) return 0;
    const char* p = line + name_length;
    while (is_blank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return 0;
    long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (*p - '0');
    if (negative)
        *value = magnitude > INT_MAX ? INT_MIN : static_cast<int>(-magnitude);
    else
        *value = magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
    return 1;
}

void start_engine() {
    std::printf("Tavrin 1.7\n");
    std::printf("10.02.2005\n");
    std::printf("Chess programm by the Tavrin developers\n");
    std::printf("http://www.example.org/tavrin/\n");
    std::printf("mail to:tavrin@example.org\n");
    init_zobrist();
    reset_position();
    std::printf(open_shipped_book() ? "Book version 1.0.\n" : "Book is not open.\n");
    command_loop();
    std::fflush(stdout);
}

void command_loop() {
    // The interface may send an interrupt before each of its moves.
    std::signal(SIGINT, SIG_IGN);
    std::printf("\n");
    game_new();
    engine_side = EMPTY;
    post_mode = OUTPUT_SILENT;
    quit_requested = false;

    bool first_line = true;
    while (!quit_requested) {
        std::fflush(stdout);
        // Lines kept back during a search were sent before anything still
        // unread, and are carried out before the engine thinks again.
        if (engine_side == side_to_move && !deferred_line_waiting()) {
            engine_turn();
            continue;
        }
        if (analysis_turn()) continue;
        // Protocol 1 reads at most 255 characters at a time, and the rest of
        // a longer line as lines of its own; protocol 2 reads whole lines.
        static char line[LONG_LINE_SIZE];
        if (protocol_version == 1) {
            if (!read_line_piece(line, 256)) return;
        } else {
            bool too_long = false;
            if (!read_whole_line(line, sizeof line, &too_long)) return;
            if (too_long) {
                std::printf("Error (line too long): %.20s...\n", line);
                continue;
            }
        }
        // A first command "uci" hands the rest of the run to the UCI front end.
        if (first_line) {
            first_line = false;
            char word[8];
            if (take_first_word(line, word, sizeof word) && std::strcmp(word, "uci") == 0) {
                uci_loop();
                return;
            }
        }
        carry_out_line(line);
    }
}

bool carry_out_line(const char* line) {
    // A line of only blanks or a carriage return has no word to act on.
    static char word[LONG_LINE_SIZE];
    if (!take_first_word(line, word, sizeof word)) return !quit_requested;
    if (std::strcmp(word, "protover") == 0) {
        cmd_protover(line, word);
        return !quit_requested;
    }
    if (protocol_version == 1) {
        if (!run_from_table(protocol1_commands, line, word)) move_input(line, word);
        return !quit_requested;
    }
    // Protocol 2 reads its lines without their ends; a line handed in with
    // one is read the same way.
    static char whole[LONG_LINE_SIZE];
    std::size_t n = std::strlen(line);
    if (n >= sizeof whole) n = sizeof whole - 1;
    std::memcpy(whole, line, n);
    while (n > 0 && (whole[n - 1] == '\n' || whole[n - 1] == '\r')) --n;
    whole[n] = '\0';
    if (!run_from_table(protocol2_commands, whole, word)) move_input(whole, word);
    return !quit_requested;
}
