// The game that every front end drives: moves from text, take-backs, set-up,
// how the game stands, and the engine's move. It prints nothing.
#pragma once
#include "board/position.h"

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

// Asks the book (unless told not to), then searches under the current
// limits, reporting each finished iteration in OUTPUT_THINKING mode;
// returns the move chosen, 0 for none. Nothing is played.
Move game_choose_move(int output_mode, bool use_book = true);

// The first legal move of the game position, 0 when there is none: the
// answer of a search stopped before it found one.
Move game_first_legal_move();
