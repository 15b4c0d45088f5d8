// The network's inference: the two accumulators, updated piece by piece or
// refreshed, and the output, by portable code or AVX2 where the CPU has it.
#include "nnue/inference.h"

#include <cstring>

#if defined(__x86_64__) && !defined(__EMSCRIPTEN__)
#define TAVRIN_NNUE_AVX2 1
#include <immintrin.h>
#else
#define TAVRIN_NNUE_AVX2 0
#endif

namespace nnue {

namespace {

std::int64_t scale_output(std::int32_t sum, std::int32_t bias) {
    return (static_cast<std::int64_t>(sum / QA) + bias) * SCALE / (QA * QB);
}

const bool USE_AVX2 = has_avx2();

}  // namespace

bool has_avx2() {
#if TAVRIN_NNUE_AVX2
    // Also asked while globals are being set up, maybe before libgcc has
    // read the CPU's features.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

void refresh(const Network& net, const std::int8_t board[64], Accumulator& acc) {
    for (int p = 0; p < 2; ++p) {
        std::int16_t* v = acc.values[p];
        std::memcpy(v, net.ft_bias, sizeof net.ft_bias);
        for (int s = 0; s < 64; ++s) {
            if ((board[s] & 7) > 5) continue;
            const std::int16_t* w = net.ft_weights[feature_index(p, board[s], s)];
            for (int i = 0; i < HIDDEN; ++i) v[i] = static_cast<std::int16_t>(v[i] + w[i]);
        }
    }
}

// int16 additions wrap (C++20 conversions are modular); the bounds on the
// weights keep a real position from ever reaching that.
void apply_delta_portable(const Network& net, const Accumulator& from, const FeatureDelta& d, Accumulator& to) {
    for (int p = 0; p < 2; ++p) {
        const std::int16_t* src = from.values[p];
        std::int16_t* dst = to.values[p];
        if (dst != src) std::memcpy(dst, src, sizeof from.values[p]);
        for (int k = 0; k < d.removed_count; ++k) {
            const std::int16_t* w = net.ft_weights[feature_index(p, d.removed[k][0], d.removed[k][1])];
            for (int i = 0; i < HIDDEN; ++i) dst[i] = static_cast<std::int16_t>(dst[i] - w[i]);
        }
        for (int k = 0; k < d.added_count; ++k) {
            const std::int16_t* w = net.ft_weights[feature_index(p, d.added[k][0], d.added[k][1])];
            for (int i = 0; i < HIDDEN; ++i) dst[i] = static_cast<std::int16_t>(dst[i] + w[i]);
        }
    }
}

int evaluate_portable(const Network& net, const Accumulator& acc, int side_to_move, int pieces) {
    const int bucket = bucket_of(pieces);
    const std::int16_t* weights = net.out_weights[bucket];
    std::uint32_t sum = 0;
    for (int half = 0; half < 2; ++half) {
        const std::int16_t* v = acc.values[half == 0 ? side_to_move : side_to_move ^ 1];
        const std::int16_t* w = weights + half * HIDDEN;
        for (int i = 0; i < HIDDEN; ++i) {
            const std::int32_t c = v[i] < 0 ? 0 : v[i] > QA ? QA : v[i];
            sum += static_cast<std::uint32_t>(c * (c * w[i]));
        }
    }
    return static_cast<int>(scale_output(static_cast<std::int32_t>(sum), net.out_bias[bucket]));
}

#if TAVRIN_NNUE_AVX2

__attribute__((target("avx2"))) void apply_delta_avx2(const Network& net, const Accumulator& from,
                                                      const FeatureDelta& d, Accumulator& to) {
    for (int p = 0; p < 2; ++p) {
        const std::int16_t* removed[2];
        const std::int16_t* added[2];
        for (int k = 0; k < d.removed_count; ++k) removed[k] = net.ft_weights[feature_index(p, d.removed[k][0], d.removed[k][1])];
        for (int k = 0; k < d.added_count; ++k) added[k] = net.ft_weights[feature_index(p, d.added[k][0], d.added[k][1])];
        for (int i = 0; i < HIDDEN; i += 16) {
            __m256i v = _mm256_load_si256(reinterpret_cast<const __m256i*>(from.values[p] + i));
            for (int k = 0; k < d.removed_count; ++k)
                v = _mm256_sub_epi16(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(removed[k] + i)));
            for (int k = 0; k < d.added_count; ++k)
                v = _mm256_add_epi16(v, _mm256_load_si256(reinterpret_cast<const __m256i*>(added[k] + i)));
            _mm256_store_si256(reinterpret_cast<__m256i*>(to.values[p] + i), v);
        }
    }
}

__attribute__((target("avx2"))) int evaluate_avx2(const Network& net, const Accumulator& acc, int side_to_move,
                                                  int pieces) {
    const int bucket = bucket_of(pieces);
    const std::int16_t* weights = net.out_weights[bucket];
    const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi16(QA);
    __m256i sum = _mm256_setzero_si256();
    for (int half = 0; half < 2; ++half) {
        const std::int16_t* v = acc.values[half == 0 ? side_to_move : side_to_move ^ 1];
        const std::int16_t* w = weights + half * HIDDEN;
        for (int i = 0; i < HIDDEN; i += 16) {
            __m256i c = _mm256_load_si256(reinterpret_cast<const __m256i*>(v + i));
            c = _mm256_min_epi16(_mm256_max_epi16(c, zero), top);
            const __m256i cw = _mm256_mullo_epi16(c, _mm256_load_si256(reinterpret_cast<const __m256i*>(w + i)));
            sum = _mm256_add_epi32(sum, _mm256_madd_epi16(c, cw));
        }
    }
    __m128i s = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0x4E));
    s = _mm_add_epi32(s, _mm_shuffle_epi32(s, 0xB1));
    return static_cast<int>(scale_output(_mm_cvtsi128_si32(s), net.out_bias[bucket]));
}

#else

void apply_delta_avx2(const Network& net, const Accumulator& from, const FeatureDelta& d, Accumulator& to) {
    apply_delta_portable(net, from, d, to);
}

int evaluate_avx2(const Network& net, const Accumulator& acc, int side_to_move, int pieces) {
    return evaluate_portable(net, acc, side_to_move, pieces);
}

#endif

void apply_delta(const Network& net, const Accumulator& from, const FeatureDelta& delta, Accumulator& to) {
    if (USE_AVX2) apply_delta_avx2(net, from, delta, to);
    else apply_delta_portable(net, from, delta, to);
}

int evaluate(const Network& net, const Accumulator& acc, int side_to_move, int pieces) {
    return USE_AVX2 ? evaluate_avx2(net, acc, side_to_move, pieces) : evaluate_portable(net, acc, side_to_move, pieces);
}

}  // namespace nnue
