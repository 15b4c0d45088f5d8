// What a front end hands the game layer to search with, and what it gets
// back: limits, hooks, the iterations as reported, and the outcome.
#pragma once
#include <cstdint>

#include "board/position.h"
#include "search/driver.h"

// The depth a time control allows: deeper than any search reaches in time.
constexpr int DEPTH_FOR_TIME = SEARCH_DEPTH_FOR_TIME;
// A budget that leaves the depth alone to bound a search (over nine hours).
constexpr std::int32_t DEPTH_ONLY_MS = DEPTH_ONLY_BUDGET_MS;

// The longest variation an outcome keeps.
constexpr int MAX_OUTCOME_PV = 128;

// What the pipes, the interface and the operating system take of each move,
// kept back by the strong search: the Move Overhead option.
constexpr int MOVE_OVERHEAD_DEFAULT_MS = 50;
constexpr int MOVE_OVERHEAD_MAX_MS = 5000;

// The classic search, the default, or the strong one.
enum class SearchKind { CLASSIC, STRONG };

// The clock as the interface tells it, for the strong search's own time
// manager; remaining_ms < 0 when it says nothing.
struct GameClock {
    std::int64_t remaining_ms = -1;
    std::int64_t increment_ms = 0;
    int moves_to_go = 0;             // 0: the clock must last the game
    std::int64_t move_time_ms = -1;  // a fixed time for this move, when >= 0
};

// What bounds a search. The classic search reads the budget and the depth,
// and with no depth (0) searches nothing; the strong one reads the clock,
// the depth cap and the move overhead.
struct SearchLimits {
    std::int32_t budget_ms = DEPTH_ONLY_MS;  // time for the move; below 0 counts as 0
    int depth = 0;                           // the deepest iteration
    std::uint64_t nodes = 0;                 // 0: no node limit
    bool no_deadline = false;  // only the hooks end it (analysis, pondering), until game_search_set_deadline
    bool use_book = true;      // in a game from the standard start position
    SearchKind kind = SearchKind::CLASSIC;
    int depth_cap = 0;  // the depth the interface asked for; 0: none
    GameClock clock;
    int move_overhead_ms = MOVE_OVERHEAD_DEFAULT_MS;
    int multipv = 1;          // lines to report, best first (the strong search)
    int strength_elo = 0;     // play at about this strength (the strong search); 0: full strength
};

// A finished iteration as a front end shows it. Mates count moves: positive
// when the side to move mates, negative (or 0, mated now) when it is mated.
struct IterationReport {
    int depth;
    int score;       // side to move's view, pawn = 100
    bool is_mate;
    int mate_moves;  // when is_mate
    std::int32_t elapsed_ms;
    std::uint64_t nodes;
    const Move* pv;
    int pv_length;
    int seldepth = 0;   // the deepest ply reached; 0 when not counted
    int multipv = 1;    // which line, best first
    int hashfull = -1;  // per thousand of the table in use; -1 without a table
};

// How a front end takes part in a search, with `context` handed back to it.
// `should_stop` is asked every 1024 nodes and may answer input in place;
// `report` receives each finished iteration (null: nothing is reported).
struct SearchHooks {
    bool (*should_stop)(void* context) = nullptr;
    void (*report)(void* context, const IterationReport& iteration) = nullptr;
    void* context = nullptr;
};

// Why a search ended.
enum class SearchEnd {
    BOOK,       // the book gave the move; nothing was searched
    COMPLETED,  // the depth limit, or a forced mate, ended the deepening
    DEADLINE,   // the time or the node budget ran out
    STOPPED,    // should_stop said so
};

struct SearchOutcome {
    SearchEnd end = SearchEnd::COMPLETED;
    // The move to play, 0 for none: the book's; the search's own answer at
    // its depth or deadline; the last finished iteration's after a stop. A
    // search that ended early still names a legal move when there is one.
    Move best = 0;
    Move ponder = 0;  // the expected reply, 0 when the variation has none
    // The last finished iteration's variation and score (pv_length 0 if none finished).
    Move pv[MAX_OUTCOME_PV] = {};
    int pv_length = 0;
    int depth = 0;
    int score = 0;
};

