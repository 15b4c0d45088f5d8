// The strong search: principal-variation alpha-beta over the struct board,
// with a shared transposition table, pruning and reductions, its own time
// manager, several lines and several threads. All of a search's state is in
// an Engine and its workers; nothing global.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/limits.h"
#include "strong/eval.h"
#include "strong/move_picker.h"
#include "strong/network_eval.h"
#include "strong/position.h"
#include "strong/time_manager.h"
#include "strong/tt.h"

namespace strong {

constexpr int MAX_MULTIPV = MULTIPV_MAX;

// The evaluation the search plays with: the tuned hand-made one (the
// default), or the learned network.
enum class EvalKind { TUNED, NETWORK };

// One line of a finished iteration.
struct Report {
    int depth;
    int seldepth;
    int multipv;  // 1 for the best line
    int score;    // side to move's view, pawn = 100
    bool is_mate;
    int mate_moves;  // when is_mate: positive when the side to move mates
    std::int64_t elapsed_ms;
    std::uint64_t nodes;
    int hashfull;  // per thousand
    const Move* pv;
    int pv_length;
};

// How the caller takes part; only the thread that called think() calls them.
struct Hooks {
    bool (*should_stop)(void* context) = nullptr;  // polled every few thousand nodes
    void (*report)(void* context, const Report& line) = nullptr;
    void* context = nullptr;
};

enum class StopReason { COMPLETED, LIMIT, STOPPED };

struct Result {
    StopReason reason = StopReason::COMPLETED;
    // The move to play at a limit: the last finished iteration's, or a move
    // that beat it in the iteration under way. NO_MOVE without legal moves.
    Move best = NO_MOVE;
    Move ponder = NO_MOVE;
    std::uint64_t nodes = 0;  // searched by all threads
    // The last finished iteration's best line and score.
    int depth = 0;
    int score = 0;
    int pv_length = 0;
    Move pv[MAX_SEARCH_PLY] = {};
    // Its first moves and scores, best first, one per line searched.
    int line_count = 0;
    Move line_moves[MAX_MULTIPV] = {};
    int line_scores[MAX_MULTIPV] = {};
};

struct RootMove {
    Move move;
    int score;
    int previous_score;
    std::uint64_t nodes;  // searched below it by this thread in this search
    int seldepth;
    int pv_length;
    Move pv[MAX_SEARCH_PLY];
};

// What the search keeps per ply.
struct Frame {
    Move move;        // made from this ply; NO_MOVE for a null move
    int piece;        // the piece code that moved
    int static_eval;  // SCORE_NONE in check
    Move killers[2];
    PieceToHistory* continuation;  // how quiet moves did after this ply's move
    Move excluded;                 // the move a singular search leaves out, else NO_MOVE
    int double_extensions;         // along the line to this ply
};

constexpr int FRAME_OFFSET = 4;  // frames before ply 0, so that ss - 4 is safe

struct Engine;

// Everything one thread owns.
struct Worker {
    Engine* engine;
    int index;  // 0: the main thread, which decides
    Position pos;
    Histories histories;
    EvalCache eval_cache;
    NetworkStack network_stack;  // in use with EvalKind::NETWORK
    std::atomic<std::uint64_t> nodes{0};
    int seldepth;
    int root_depth;
    int completed_depth;
    int pv_index;
    int root_move_count;
    RootMove root_moves[MAX_MOVES];
    RootMove completed;     // the best line of the last finished iteration
    int completed_lines;    // and the first move and score of each of its lines
    Move completed_line_moves[MAX_MULTIPV];
    int completed_line_scores[MAX_MULTIPV];
    Move improved_best;     // a move that beat it in the iteration under way
    Frame frames[MAX_SEARCH_PLY + FRAME_OFFSET + 4];
    Move pv[MAX_SEARCH_PLY + 1][MAX_SEARCH_PLY + 1];
    int pv_length[MAX_SEARCH_PLY + 1];
};

// The engine: its table, its threads and the search under way.
struct Engine {
    TranspositionTable tt;
    EvalKind eval_kind = EvalKind::TUNED;
    const nnue::Network* network;            // the built-in one, or loaded_network
    std::unique_ptr<nnue::Network> loaded_network;
    std::string network_error;               // what load_network last refused
    std::vector<std::unique_ptr<Worker>> workers;  // [0] is run by the caller of think()
    std::vector<std::thread> threads;              // one per helper worker

    // The search under way, shared with the helpers.
    std::atomic<bool> stop{false};
    SearchLimits limits;
    Hooks hooks;
    std::int64_t start_ms = 0;
    std::int64_t soft_ms = 0;  // only the main thread reads and writes these
    std::int64_t hard_ms = 0;
    bool timed = false;        // the clock may stop it now
    bool fixed_time = false;   // a move time: all of it is spent, no soft limit
    bool timed_on_hit = false;  // the clock may stop it after "ponderhit"
    std::uint64_t poll_mask = 1023;  // the main thread polls every poll_mask + 1 of its nodes
    bool stopped_by_hook = false;
    bool stopped_by_limit = false;
    std::uint64_t next_poll = 0;

    // Helpers wait here between searches.
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::uint64_t search_id = 0;  // raised for each search
    int helpers_running = 0;
    bool quitting = false;

    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
};

// Hash in MB (false, the old table kept, when the memory cannot be had),
// and emptied; clear_hash also forgets the threads' histories, which
// otherwise live on from search to search (from move to move of a game);
// threads from 1 to THREADS_MAX.
bool set_hash(Engine& engine, int mb);
void clear_hash(Engine& engine);
void set_threads(Engine& engine, int threads);
int thread_count(const Engine& engine);

// Which evaluation the next searches use; a change empties the table, whose
// static evaluations came from the other one.
void set_eval_kind(Engine& engine, EvalKind kind);
EvalKind eval_kind(const Engine& engine);

// Loads a network file for EvalKind::NETWORK. Returns nullptr, or why the
// file was refused (unreadable, truncated, another version or architecture,
// a hash that does not match), the network in use kept. The message lasts
// until the next call. Not during a search.
const char* load_network(Engine& engine, const char* path);
// Back to the network built into the engine.
void use_default_network(Engine& engine);

// Searches `root` (whose history holds the game's positions for
// repetitions) under the limits, and returns the move and why it stopped.
// It reads the clock, the move time, depth, nodes, the weaker settings'
// least depth, the lines and the move overhead; time bounds it unless the
// limits are infinite or it ponders.
Result think(Engine& engine, const Position& root, const SearchLimits& limits, const Hooks& hooks);

// From inside a hook: the opponent played the move pondered on, so the
// search keeps to the plan its clock gave, counted from its start.
void ponderhit(Engine& engine);

// How the search under way stands, from inside a hook.
struct Progress {
    std::int64_t elapsed_ms;
    std::uint64_t nodes;
    int depth;
};
Progress progress(const Engine& engine);

}  // namespace strong
