// The state of one xboard front end, in protocol version 1 or 2, and the
// rules that tell the two versions apart.
#pragma once
#include <cstddef>
#include <cstdint>

#include "game/game.h"
#include "game/strong_door.h"
#include "io/input.h"

struct XboardSession;

struct XboardCommand {
    const char* name;
    void (*run)(XboardSession& session, const char* line);
};

// What one protocol version does differently; picked at start-up and at
// "protover", so that no handler asks for the version number.
struct ProtocolRules {
    const XboardCommand* commands;  // tested in order; the first whole-word match runs
    std::size_t command_count;
    bool reads_whole_lines;        // else 255 characters at a time, the rest as lines of their own
    bool listens_while_thinking;   // hears "?", "ping", "force" and the like during a search
    bool searches_ended_games;     // thinks (and finds nothing) in a game that has ended
    bool shows_mates_as_100000;    // thinking lines show a mate in N as 100000 + N
    bool announces_old_protover;   // "protover 1" is an unknown command
    bool resets_clock_on_new;      // "new" lifts "sd" and forgets the clock
    RepetitionRule repetition;
    SearchLimits (*search_limits)(const XboardSession& session);
    void (*refuse_move)(const char* word);  // a line that is neither a command nor a legal move
};

extern const ProtocolRules PROTOCOL_1;
extern const ProtocolRules PROTOCOL_2;

// The clock of protocol 2: "level", "st" and "sd" are independent, and
// "time" only sets the engine's clock.
enum class TimeControl { NONE, LEVEL, PER_MOVE };

struct XboardClock {
    TimeControl control = TimeControl::NONE;
    std::int64_t level_moves = 0;         // moves per control, 0 for the whole game
    std::int64_t level_base_ms = 0;       // the clock at the start of a control
    std::int64_t level_increment_ms = 0;  // added after each move
    std::int64_t seconds_per_move = 0;
    int depth_cap = 0;                    // 0: none
    std::int64_t engine_clock_ms = -1;    // -1 until "time" tells it
};

struct XboardSession {
    const ProtocolRules* rules = &PROTOCOL_1;
    int engine_side = EMPTY;  // WHITE, BLACK, or EMPTY in force mode
    bool post = false;        // thinking lines on the engine's turn
    bool quit = false;        // "quit", or the end of input heard during a search

    // Protocol 2's options: which search (protocol 1 always plays the
    // classic one), and what each move keeps back.
    SearchKind kind = SearchKind::STRONG;
    int move_overhead_ms = MOVE_OVERHEAD_DEFAULT_MS;
    int multipv = 1;
    bool limit_strength = false;
    int elo = ELO_DEFAULT;
    int skill_level = SKILL_LEVEL_MAX;

    // Protocol 1: what its time commands leave for the next search.
    std::int32_t time_budget_ms = 0;
    std::int32_t depth_limit = 0;
    // Protocol 2.
    XboardClock clock;

    // Analysis mode: the engine searches the game position without end,
    // showing its thinking, and again after every change of it.
    bool analysing = false;
    bool analysis_due = false;  // an analysis of the current position is still owed

    // The search under way: why a line ended it.
    bool move_now = false;            // "?": play the best move so far
    bool search_interrupted = false;  // a command that must come first: no move
    bool input_ended = false;         // the input ended during an analysis

    char line[LONG_LINE_SIZE];   // the line read
    char heard[LONG_LINE_SIZE];  // a line read during a search
    char word[LONG_LINE_SIZE];   // a line's first word
    char whole[LONG_LINE_SIZE];  // a line without its end, as protocol 2 reads it
};
