// The game that every front end drives: moves from text, take-backs, set-up,
// how the game stands, and the one call that searches it. It prints nothing.
#pragma once
#include <cstdint>

#include "board/types.h"
#include "game/search_types.h"

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

// Once, before anything else: the hash keys and the start position.
void game_start();

// The start position, with a fresh move list.
void game_new();

// How the game stands, for what a front end prints: the side to move
// (WHITE or BLACK) and the plies played since the game's set-up.
int game_side_to_move();
int game_ply();

// A move's coordinate text (e2e4, e7e8q), in a buffer the next call overwrites.
const char* game_move_text(Move move);

// The move of the game position that `text` names, with its legality
// checked: 0 when it names none, or only an illegal one.
Move game_find_move(const char* text);

// A legal move of the game position by its squares and promotion, 0 for
// none; and a move's name, as either search matches it.
Move game_move_named(const MoveName& name);
MoveName game_move_name(Move move);

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

// Searches the game position (the book first, when allowed) and leaves it
// as it was. The only place that sets and resets the search's control state.
SearchOutcome game_search(const SearchLimits& limits, const SearchHooks& hooks);

// From inside a hook: the opponent played the move pondered on, so the
// running search now keeps to the clock of its limits ("ponderhit").
void game_search_ponderhit();

// How the running search stands, for status lines asked for meanwhile.
struct SearchProgress {
    std::int32_t elapsed_ms;
    std::uint64_t nodes;
    int depth;        // of the iteration under way
    int moves_left;   // legal root moves this iteration has still to search
    int moves_total;  // legal root moves
};
SearchProgress game_search_progress();
