// Start-up and the protocol command loop.
#include "protocol/command_loop.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "board/position.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "protocol/engine_turn.h"
#include "protocol/game.h"
#include "protocol/game_commands.h"
#include "search/driver.h"

int engine_side = EMPTY;
int post_mode = OUTPUT_SILENT;

namespace {

bool quit_requested;

// Multiplication that saturates at the 32-bit bounds instead of wrapping.
int saturating_multiply(int value, int factor) {
    const long long product = static_cast<long long>(value) * factor;
    if (product > INT_MAX) return INT_MAX;
    if (product < INT_MIN) return INT_MIN;
    return static_cast<int>(product);
}

void cmd_new(const char*) {
    game_new();
    engine_side = BLACK;
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

void cmd_post(const char*) { post_mode = OUTPUT_THINKING; }

void cmd_nopost(const char*) { post_mode = OUTPUT_SILENT; }

struct Command {
    const char* name;
    void (*run)(const char* line);
};

// Tested in this order; the first whole-word match runs.
constexpr Command commands[] = {
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
};

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The first word of the line (`word` has room for the line's length); false
// for a line of only white space.
bool take_first_word(const char* line, char* word, std::size_t room) {
    const char* p = line;
    while (is_blank(*p)) ++p;
    std::size_t n = 0;
    while (*p && !is_blank(*p) && n + 1 < room) word[n++] = *p++;
    word[n] = '\0';
    return n > 0;
}

}  // namespace

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
    std::printf(book_open() ? "Book version 1.0.\n" : "Book is not open.\n");
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
    iteration_reporter = print_thinking_line;
    quit_requested = false;

    while (!quit_requested) {
        std::fflush(stdout);
        if (engine_side == side_to_move) {
            engine_turn();
            continue;
        }
        // At most 255 characters at a time; the rest of a longer line is
        // read as lines of its own.
        char line[256];
        if (!std::fgets(line, sizeof line, stdin)) return;
        carry_out_line(line);
    }
}

bool carry_out_line(const char* line) {
    // A line of only blanks or a carriage return has no word to act on.
    char word[256];
    if (!take_first_word(line, word, sizeof word)) return !quit_requested;
    for (const Command& command : commands) {
        if (std::strcmp(word, command.name) == 0) {
            command.run(line);
            return !quit_requested;
        }
    }
    move_input(line, word);
    return !quit_requested;
}
