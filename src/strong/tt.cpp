// The strong search's transposition table: buckets of four entries, shared
// by every thread of a search, each entry written and read without locks.
#include "strong/tt.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <malloc.h>
#elif __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace strong {

namespace {

// The data word: move 16 | score 16 | eval 16 | depth 8 | bound 2 | generation 5 | pv 1.
constexpr std::uint64_t pack(Move move, int score, int eval, int depth, Bound bound, int generation, bool pv) {
    return std::uint64_t{move} | std::uint64_t{static_cast<std::uint16_t>(score)} << 16 |
           std::uint64_t{static_cast<std::uint16_t>(eval)} << 32 | std::uint64_t{static_cast<std::uint8_t>(depth)} << 48 |
           std::uint64_t{static_cast<std::uint8_t>(bound)} << 56 | std::uint64_t(generation & 31) << 58 |
           std::uint64_t{pv} << 63;
}
constexpr Move data_move(std::uint64_t d) { return static_cast<Move>(d & 0xFFFF); }
constexpr int data_score(std::uint64_t d) { return static_cast<std::int16_t>((d >> 16) & 0xFFFF); }
constexpr int data_eval(std::uint64_t d) { return static_cast<std::int16_t>((d >> 32) & 0xFFFF); }
constexpr int data_depth(std::uint64_t d) { return static_cast<std::int8_t>((d >> 48) & 0xFF); }
constexpr Bound data_bound(std::uint64_t d) { return static_cast<Bound>((d >> 56) & 3); }
constexpr int data_generation(std::uint64_t d) { return static_cast<int>((d >> 58) & 31); }
constexpr bool data_pv(std::uint64_t d) { return (d >> 63) != 0; }

// Mates are stored as distances from the node, and read back from the root.
int score_to_tt(int score, int ply) {
    if (score >= SCORE_MATE_IN_MAX) return score + ply;
    if (score <= -SCORE_MATE_IN_MAX) return score - ply;
    return score;
}

int score_from_tt(int score, int ply) {
    if (score >= SCORE_MATE_IN_MAX) return score - ply;
    if (score <= -SCORE_MATE_IN_MAX) return score + ply;
    return score;
}

TTBucket& bucket_of(const TranspositionTable& tt, Key key) { return const_cast<TTBucket&>(*tt_bucket(tt, key)); }

// How much an entry is worth keeping: depth, less for every search it is old.
int worth(std::uint64_t data, int generation) {
    const int age = (generation - data_generation(data)) & 31;
    return data_depth(data) - 8 * age;
}

// Runs `work(first, last)` over [0, count) in `threads` slices at once.
template <typename Work>
void in_slices(std::size_t count, int threads, const Work& work) {
    const std::size_t n = static_cast<std::size_t>(std::clamp(threads, 1, 64));
    if (n == 1 || count < (std::size_t{1} << 16)) {
        work(std::size_t{0}, count);
        return;
    }
    std::vector<std::thread> slices;
    for (std::size_t i = 0; i < n; ++i)
        slices.emplace_back([&, i] { work(count * i / n, count * (i + 1) / n); });
    for (std::thread& t : slices) t.join();
}

void* allocate_aligned(std::size_t alignment, std::size_t bytes) {
#if defined(_WIN32)
    return _aligned_malloc(bytes, alignment);
#else
    return std::aligned_alloc(alignment, bytes);
#endif
}

}  // namespace

void TTMemoryFree::operator()(TTBucket* buckets) const {
#if defined(_WIN32)
    _aligned_free(buckets);
#else
    std::free(buckets);
#endif
}

bool tt_resize(TranspositionTable& tt, int mb, int threads) {
    mb = std::clamp(mb, HASH_MIN_MB, HASH_MAX_MB);
    const std::size_t bytes = static_cast<std::size_t>(mb) << 20;
    // Large pages make the first touch of each page, and the search's
    // probes, much cheaper: aligned to them, and asked for where the system
    // offers them.
    constexpr std::size_t LARGE_PAGE = std::size_t{2} << 20;
    const std::size_t alignment = bytes >= LARGE_PAGE ? LARGE_PAGE : alignof(TTBucket);
    void* memory = allocate_aligned(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (memory == nullptr) return false;
#ifdef MADV_HUGEPAGE
    if (alignment == LARGE_PAGE) madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    const std::size_t count = bytes / sizeof(TTBucket);
    TTBucket* buckets = static_cast<TTBucket*>(memory);
    // Making the buckets empties them, every page touched now rather than in a search.
    in_slices(count, threads, [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) new (&buckets[i]) TTBucket;
    });
    tt.buckets.reset(buckets);
    tt.bucket_count = count;
    tt.generation = 0;
    return true;
}

void tt_clear(TranspositionTable& tt, int threads) {
    in_slices(tt.bucket_count, threads, [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i)
            for (TTEntry& e : tt.buckets[i].entries) {
                e.check.store(0, std::memory_order_relaxed);
                e.data.store(0, std::memory_order_relaxed);
            }
    });
    tt.generation = 0;
}

void tt_new_search(TranspositionTable& tt) { tt.generation = static_cast<std::uint8_t>((tt.generation + 1) & 31); }

bool tt_probe(const TranspositionTable& tt, Key key, int ply, TTHit& hit) {
    for (const TTEntry& e : bucket_of(tt, key).entries) {
        const std::uint64_t data = e.data.load(std::memory_order_relaxed);
        if ((e.check.load(std::memory_order_relaxed) ^ data) != key || data == 0) continue;
        hit.move = data_move(data);
        hit.score = score_from_tt(data_score(data), ply);
        hit.eval = data_eval(data);
        hit.depth = data_depth(data);
        hit.bound = data_bound(data);
        hit.pv = data_pv(data);
        return true;
    }
    return false;
}

void tt_store(TranspositionTable& tt, Key key, int ply, Move move, int score, int eval, int depth, Bound bound,
              bool pv) {
    TTBucket& bucket = bucket_of(tt, key);
    TTEntry* target = nullptr;
    int least = 1 << 30;
    for (TTEntry& e : bucket.entries) {
        const std::uint64_t data = e.data.load(std::memory_order_relaxed);
        if ((e.check.load(std::memory_order_relaxed) ^ data) == key && data != 0) {
            // The same position: keep a deeper result unless this one is exact.
            if (bound != Bound::EXACT && data_depth(data) > depth + 2 && data_generation(data) == tt.generation)
                return;
            if (move == NO_MOVE) move = data_move(data);
            target = &e;
            break;
        }
        const int w = data == 0 ? -(1 << 20) : worth(data, tt.generation);
        if (w < least) {
            least = w;
            target = &e;
        }
    }
    depth = std::clamp(depth, -1, 127);
    const std::uint64_t data = pack(move, score_to_tt(score, ply), eval, depth, bound, tt.generation, pv);
    target->data.store(data, std::memory_order_relaxed);
    target->check.store(key ^ data, std::memory_order_relaxed);
}

int tt_hashfull(const TranspositionTable& tt) {
    const std::size_t buckets = std::min<std::size_t>(tt.bucket_count, 250);
    int used = 0;
    for (std::size_t i = 0; i < buckets; ++i)
        for (const TTEntry& e : tt.buckets[i].entries) {
            const std::uint64_t data = e.data.load(std::memory_order_relaxed);
            used += data != 0 && data_generation(data) == tt.generation;
        }
    return buckets ? static_cast<int>(used * 1000 / (buckets * TT_BUCKET_SIZE)) : 0;
}

}  // namespace strong
