// The strong search's transposition table: buckets of four entries, shared
// by every thread of a search, each entry written and read without locks.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/limits.h"
#include "strong/move.h"
#include "strong/zobrist.h"

namespace strong {

// Scores: a mate found at ply p scores SCORE_MATE - p; anything beyond
// SCORE_MATE_IN_MAX in size is a mate.
constexpr int SCORE_MATE = 32000;
constexpr int SCORE_INFINITE = 32001;
constexpr int SCORE_NONE = 32002;
constexpr int SCORE_MATE_IN_MAX = SCORE_MATE - 512;

enum class Bound : std::uint8_t { NONE = 0, UPPER = 1, LOWER = 2, EXACT = 3 };

// What a probe found, scores as the probing node sees them.
struct TTHit {
    Move move;
    int score;
    int eval;
    int depth;
    Bound bound;
    bool pv;  // stored from a node on, or once on, a principal variation
};

// One entry is two 64-bit words: the data, and the key XOR the data. A read
// that meets a half-written entry sees a key that matches nothing, so no
// lock is needed; the words are atomics so that the races are defined.
struct TTEntry {
    std::atomic<std::uint64_t> check{0};
    std::atomic<std::uint64_t> data{0};
};

constexpr int TT_BUCKET_SIZE = 4;

struct alignas(64) TTBucket {
    TTEntry entries[TT_BUCKET_SIZE];
};
static_assert(sizeof(TTBucket) == 64);

// The table's memory, allocated raw (aligned for large pages) and freed so.
struct TTMemoryFree {
    void operator()(TTBucket* buckets) const;
};

struct TranspositionTable {
    std::unique_ptr<TTBucket[], TTMemoryFree> buckets;
    std::size_t bucket_count = 0;
    std::uint8_t generation = 0;  // five bits, advanced once a search
};

// Allocates `mb` megabytes (clamped to HASH_MIN_MB..HASH_MAX_MB), emptied by
// `threads` threads at once. False, with the old table kept, when the memory
// cannot be had.
bool tt_resize(TranspositionTable& tt, int mb, int threads = 1);
// Empties the table, `threads` threads at once for a large one.
void tt_clear(TranspositionTable& tt, int threads = 1);
// A new search: older entries give way first.
void tt_new_search(TranspositionTable& tt);

// The entry of `key`, if any; mate scores come back relative to `ply`.
bool tt_probe(const TranspositionTable& tt, Key key, int ply, TTHit& hit);

// Stores a search result at `ply`: an entry of the same key is replaced
// unless it is deeper and its bound no better (its move is kept when the
// new result has none); otherwise the shallowest, oldest entry gives way.
// `pv`: the node is, or once was, on a principal variation.
void tt_store(TranspositionTable& tt, Key key, int ply, Move move, int score, int eval, int depth, Bound bound,
              bool pv = false);

// Entries of this search per thousand, over the first thousand buckets.
int tt_hashfull(const TranspositionTable& tt);

// A bucket's address, to warm the cache before the probe.
inline const TTBucket* tt_bucket(const TranspositionTable& tt, Key key) {
    return &tt.buckets[static_cast<std::size_t>((static_cast<unsigned __int128>(key) * tt.bucket_count) >> 64)];
}

}  // namespace strong
