// The game that every front end drives: moves from text, take-backs, set-up,
// how the game stands, and the one call that searches it. It prints nothing.
#pragma once
#include <cstdint>

#include "board/position.h"
#include "search/driver.h"

// Game moves stop here, so a search and the result test always find room in
// the history: the search needs up to 31 records, the result test one more.
constexpr int GAME_PLY_LIMIT = HISTORY_SIZE - MAX_PLY - 1;

// Why a move was not played.
enum class MoveRefusal {
    NONE,       // played
    NOT_A_MOVE, // the text names no move of the side to move
    ILLEGAL,    // a move of the list that leaves or passes through check
    GAME_FULL,  // the game has reached GAME_PLY_LIMIT
};

// How the game stands after a move, in the order the tests are made.
enum class GameEnd {
    NONE,
    WHITE_MATES,
    BLACK_MATES,
    STALEMATE,
    REPETITION,   // repeated: see RepetitionRule
    FIFTY_MOVES,  // a hundred plies without a capture or pawn move
};

// When a repetition ends the game.
enum class RepetitionRule {
    // The hash has stood three times before since the last capture or pawn
    // move (the fourth occurrence, and only that one).
    FOURTH_BY_HASH,
    // The third occurrence or any later one, by the rules of chess: the
    // same placement, side to move, castling rights and en passant capture.
    THIRD_BY_RULES,
};

// The start position, with a fresh move list.
void game_new();

// Sets the position from FEN; the game starts anew from it, so nothing can
// be taken back past it. Returns nullptr, or what is wrong (nothing changes).
const char* game_set_fen(const char* fen);

// Hands the move to `colour` without touching the board or the hash.
void game_set_side_to_move(int colour);

// Plays the move that `text` names (coordinate notation from its first
// character); on refusal nothing changes.
MoveRefusal game_play_text(const char* text);

// Plays a move of the current move list; false (nothing changes) when it
// is illegal or the game is full.
bool game_play_move(Move move);

// Takes back `plies` moves, or none when fewer have been played.
bool game_take_back(int plies);

// The result to announce now, if any: mate, stalemate, repetition, fifty moves.
GameEnd game_end(RepetitionRule rule);

// The first legal move of the game position, 0 when there is none: the
// answer of a search stopped before it found one.
Move game_first_legal_move();

// The number of legal moves of the game position.
int game_legal_move_count();

// ---------------------------------------------------------------------------
// Searching the game position: the one way in for every front end.

// The depth a time control allows: deeper than any search reaches in time.
constexpr int DEPTH_FOR_TIME = SEARCH_DEPTH_FOR_TIME;
// A budget that leaves the depth alone to bound a search (over nine hours).
constexpr std::int32_t DEPTH_ONLY_MS = DEPTH_ONLY_BUDGET_MS;

// What bounds a search. With none of them set (depth 0) nothing is searched.
struct SearchLimits {
    std::int32_t budget_ms = DEPTH_ONLY_MS;  // time for the move; below 0 counts as 0
    int depth = 0;                           // the deepest iteration
    std::uint64_t nodes = 0;                 // 0: no node limit
    bool no_deadline = false;  // only the hooks end it (analysis, pondering), until game_search_set_deadline
    bool use_book = true;      // in a game from the standard start position
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
    Move pv[MAX_PLY] = {};
    int pv_length = 0;
    int depth = 0;
    int score = 0;
};

// Searches the game position (the book first, when allowed) and leaves it
// as it was. The only place that sets and resets the search's control state.
SearchOutcome game_search(const SearchLimits& limits, const SearchHooks& hooks);

// From inside a hook: the running search may now take `budget_ms` more,
// whatever its deadline was ("ponderhit").
void game_search_set_deadline(std::int32_t budget_ms);

// How the running search stands, for status lines asked for meanwhile.
struct SearchProgress {
    std::int32_t elapsed_ms;
    std::uint64_t nodes;
    int depth;        // of the iteration under way
    int moves_left;   // legal root moves this iteration has still to search
    int moves_total;  // legal root moves
};
SearchProgress game_search_progress();
