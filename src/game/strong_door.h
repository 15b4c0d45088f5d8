// The strong search behind the game layer: its engine (table, threads), a
// struct board kept in step with the game for repetitions, and the search
// of the game position with the front end's limits and hooks.
#pragma once
#include "game/search_types.h"

// The Elo to play at, 0 for full strength: `elo` when `limit_strength`,
// else the Elo of a skill level below the top.
int strength_elo(bool limit_strength, int elo, int skill_level);

// Hash in MB, the table made and emptied at once: false, with the old
// table kept (and emptied), when the memory cannot be had.
bool strong_set_hash_mb(int mb);
// The engine and its table made, if they are not yet, so that no search
// waits for them ("isready", "ping").
void strong_prepare();
// A new game: the table and the histories emptied (nothing to do before
// the engine is made).
void strong_new_game();
// The largest Hash worth offering on this machine: half its memory.
int strong_max_hash_mb();
void strong_clear_hash();
void strong_set_threads(int threads);

// The chances of a win, a draw and a loss, per mille, that a reported score
// stands for in the game position (UCI_ShowWDL); a mate is a certainty.
struct WinDrawLoss {
    int win;
    int draw;
    int loss;
};
WinDrawLoss strong_wdl(const IterationReport& iteration);

// The strong search's evaluation: the tuned terms, or the learned network.
void strong_use_network(bool network);
bool strong_uses_network();
// The network file the strong search evaluates with, BUILTIN_NETWORK for
// the one built in. Returns nullptr, or why the file is refused (damaged,
// truncated, of another architecture), the network in use kept.
constexpr const char* BUILTIN_NETWORK = "<built-in>";
const char* strong_load_network(const char* path);

// The strong search's tunable numbers, which a tuning build offers as
// options; none in any other build.
struct TunableParam {
    const char* name;
    int value;
    int min;
    int max;
};
int strong_tunable_count();
TunableParam strong_tunable(int index);
// False for an unknown name or a value out of range.
bool strong_set_tunable(const char* name, int value);

// The game's position changed: set up anew (the history for repetitions
// starts here), a move played, a move taken back.
void strong_follow_new_position();
void strong_follow_move(Move move);
void strong_follow_take_back(int plies);

// How often the game position has stood before since the last capture or
// pawn move, by the rules of chess (placement, side to move, castling rights,
// and an en passant capture only where one is legal); 0 when the strong
// board could not follow the game.
int strong_earlier_occurrences();

// Searches the game position with the strong search. Needs the ply-0 list.
SearchOutcome strong_search(const SearchLimits& limits, const SearchHooks& hooks);
// The opponent played the move pondered on: the search keeps to its clock.
void strong_search_ponderhit();
// Elapsed, nodes and depth of the search under way.
void strong_search_progress(std::int32_t* elapsed_ms, std::uint64_t* nodes, int* depth);
