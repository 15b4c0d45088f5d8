// What bounds a search, in the interface's own words, and how the engine is
// to play it: the one struct a front end fills, and the game layer hands to
// whichever search plays.
#pragma once
#include <cstdint>

// The classic search, exactly as it always was, or the strong one.
enum class SearchKind { CLASSIC, STRONG };

// What the pipes, the interface and the operating system take of each move,
// kept back by the strong search: the Move Overhead option.
constexpr int MOVE_OVERHEAD_DEFAULT_MS = 50;
constexpr int MOVE_OVERHEAD_MAX_MS = 5000;

// The strengths a player can ask for: an Elo (UCI_Elo), or a Skill Level
// from 0 to the top, which is full strength.
constexpr int ELO_MIN = 1350;
constexpr int ELO_MAX = 2200;
constexpr int ELO_DEFAULT = 1800;
constexpr int SKILL_LEVEL_MAX = 20;

// The strong engine's table, in MB, and its threads.
constexpr int HASH_MIN_MB = 1;
constexpr int HASH_DEFAULT_MB = 16;
constexpr int HASH_MAX_MB = 65536;
constexpr int THREADS_MAX = 256;

// Several lines (MultiPV) and the root moves "go searchmoves" may name.
constexpr int MULTIPV_MAX = 256;
constexpr int SEARCHMOVES_MAX = 256;

// A move named by its squares (0 is a8) and its promotion piece, KNIGHT to
// QUEEN, or EMPTY: either search matches it against its own root moves.
struct MoveName {
    std::int8_t from;
    std::int8_t to;
    std::int8_t promotion;
};

struct SearchLimits {
    // 1. Time, as the interface gave it; -1 where it gave none.
    std::int64_t clock_ms = -1;          // the engine's own clock: wtime/btime, "time"
    std::int64_t increment_ms = 0;       // added after each move: winc/binc, "level"
    int moves_to_go = 0;                 // to the next control; 0: the clock must last the game
    std::int64_t move_time_ms = -1;      // exactly this long: "movetime"
    std::int64_t seconds_per_move = -1;  // "st" of protocol 2
    // Protocol 1's budget as its own time commands worked it out (below 0
    // counts as 0), taken as it is by the classic search with `depth`, even 0.
    bool fixed_budget = false;
    std::int32_t fixed_budget_ms = 0;

    // 2. The other bounds.
    int depth = 0;             // the deepest iteration; 0: none
    std::uint64_t nodes = 0;   // 0: none
    int mate = 0;              // stop once a mate in this many moves is found; 0: none asked
    bool infinite = false;     // only the interface ends it: "go infinite", analysis
    bool ponder = false;       // on the opponent's time, until "ponderhit"
    int searchmove_count = 0;  // 0: every root move
    MoveName searchmoves[SEARCHMOVES_MAX] = {};

    // 3. How to play it.
    SearchKind kind = SearchKind::CLASSIC;
    bool use_book = true;  // in a game from the standard start position, or a Polyglot book's position
    int multipv = 1;       // lines to report, best first
    int strength_elo = 0;  // play at about this strength; 0: full strength
    int move_overhead_ms = MOVE_OVERHEAD_DEFAULT_MS;
    int min_depth = 0;     // the node limit waits until this iteration is finished
};

// Whether the interface gave any time at all.
inline bool limits_are_timed(const SearchLimits& limits) {
    return limits.clock_ms >= 0 || limits.move_time_ms >= 0 || limits.seconds_per_move >= 0 ||
           limits.fixed_budget;
}

// Whether a deadline bounds the search: time given, and no "infinite" or
// "ponder" to wait for the interface.
inline bool limits_have_deadline(const SearchLimits& limits) {
    return limits_are_timed(limits) && !limits.infinite && !limits.ponder;
}
