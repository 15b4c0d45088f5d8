// What a front end hands the game layer to search with besides its limits,
// and what it gets back: hooks, the iterations as reported, and the outcome.
#pragma once
#include <cstdint>

#include "board/types.h"
#include "common/limits.h"
#include "search/limits.h"

// The depth a time control allows the classic search: deeper than it reaches in time.
constexpr int DEPTH_FOR_TIME = SEARCH_DEPTH_FOR_TIME;
// A budget that leaves the depth alone to bound a classic search (over nine hours).
constexpr std::int32_t DEPTH_ONLY_MS = DEPTH_ONLY_BUDGET_MS;

// The longest variation an outcome keeps.
constexpr int MAX_OUTCOME_PV = 128;

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

