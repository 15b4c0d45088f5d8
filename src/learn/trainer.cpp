// The trainer: the network in floats, its loss and gradient, AdamW, and the
// quantised network it writes. Deterministic for a seed, whatever the
// number of threads.
#include "learn/trainer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <numbers>
#include <random>
#include <thread>

#if defined(__x86_64__) && !defined(__EMSCRIPTEN__)
#define TAVRIN_TRAIN_AVX2 1
#else
#define TAVRIN_TRAIN_AVX2 0
#endif

namespace learn {

namespace {

constexpr double OUTPUT_SCALE = nnue::SCALE;
constexpr float FT_BOUND = static_cast<float>(nnue::FT_LIMIT) / nnue::QA;
constexpr float OUT_BOUND = static_cast<float>(nnue::OUT_LIMIT) / nnue::QB;
constexpr int LOSS_BLOCK = 4096;  // samples per partial sum of mean_loss

double sigmoid(double x) { return 1.0 / (1.0 + std::exp(-x)); }

std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    std::uint64_t z = a * 0x9E3779B97F4A7C15ULL + b + 0x632BE59BD9B4E019ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// The four blocks of a network as one list, for the work done weight by weight.
std::vector<float>* blocks(FloatNetwork& n, int i) {
    std::vector<float>* all[4] = {&n.ft_weights, &n.ft_bias, &n.out_weights, &n.out_bias};
    return all[i];
}
const std::vector<float>* blocks(const FloatNetwork& n, int i) { return blocks(const_cast<FloatNetwork&>(n), i); }

void shape_like(FloatNetwork& n, int hidden) {
    n.hidden = hidden;
    n.ft_weights.assign(static_cast<std::size_t>(nnue::INPUTS) * hidden, 0.0f);
    n.ft_bias.assign(static_cast<std::size_t>(hidden), 0.0f);
    n.out_weights.assign(static_cast<std::size_t>(nnue::BUCKETS) * 2 * hidden, 0.0f);
    n.out_bias.assign(nnue::BUCKETS, 0.0f);
}

// Runs work(thread) on `threads` threads, the caller's included.
void run_parallel(int threads, const std::function<void(int)>& work) {
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
    work(0);
    for (std::thread& t : pool) t.join();
}

struct Scratch {
    std::vector<float> h, a, d;  // pre-activations, activations, their gradients: [2][hidden]
    explicit Scratch(int hidden) : h(2 * hidden), a(2 * hidden), d(2 * hidden) {}
};

// Forward (and, with a gradient, backward) over `count` samples; the summed
// loss. Written once and compiled twice, for any x86-64 and for AVX2 with
// FMA. Dot products keep eight partial sums, a fixed order the compiler can
// turn into one vector without reordering floating-point additions.
__attribute__((always_inline)) inline double shard_body(const FloatNetwork& net, const Sample* samples, int count,
                                                        double lambda, double k, FloatNetwork* grad, Scratch& sc) {
    const int H = net.hidden;
    const float* ftw = net.ft_weights.data();
    const float* ftb = net.ft_bias.data();
    float* h = sc.h.data();
    float* a = sc.a.data();
    float* d = sc.d.data();
    double loss = 0;
    for (int si = 0; si < count; ++si) {
        const Sample& s = samples[si];
        int features[2][32];
        for (int j = 0; j < s.count; ++j) {
            features[0][j] = s.features[j];
            features[1][j] = black_feature(s.features[j]);
        }
        // 1. The accumulators, the side to move's first, and SCReLU.
        for (int half = 0; half < 2; ++half) {
            const int* f = features[half == 0 ? s.side : s.side ^ 1];
            float* hh = h + half * H;
            float* aa = a + half * H;
            for (int i = 0; i < H; ++i) hh[i] = ftb[i];
            for (int j = 0; j < s.count; ++j) {
                const float* w = ftw + static_cast<std::size_t>(f[j]) * H;
                for (int i = 0; i < H; ++i) hh[i] += w[i];
            }
            for (int i = 0; i < H; ++i) {
                const float x = std::min(std::max(hh[i], 0.0f), 1.0f);
                aa[i] = x * x;
            }
        }
        // 2. The bucket's output.
        const int bucket = nnue::bucket_of(s.count);
        const float* ow = net.out_weights.data() + static_cast<std::size_t>(bucket) * 2 * H;
        float part[8] = {};
        for (int i = 0; i < 2 * H; i += 8)
            for (int j = 0; j < 8; ++j) part[j] += a[i + j] * ow[i + j];
        float out = net.out_bias[static_cast<std::size_t>(bucket)];
        for (int j = 0; j < 8; ++j) out += part[j];
        const double prediction = sigmoid(out * OUTPUT_SCALE / k);
        const double target = lambda * s.result / 2.0 + (1 - lambda) * sigmoid(s.score / k);
        const double error = prediction - target;
        loss += error * error;
        if (grad == nullptr) continue;

        // 3. Back: through the sigmoid, the output, SCReLU, the accumulators.
        const float dout = static_cast<float>(2 * error * prediction * (1 - prediction) * OUTPUT_SCALE / k);
        grad->out_bias[static_cast<std::size_t>(bucket)] += dout;
        float* gow = grad->out_weights.data() + static_cast<std::size_t>(bucket) * 2 * H;
        for (int i = 0; i < 2 * H; ++i) gow[i] += dout * a[i];
        for (int i = 0; i < 2 * H; ++i) d[i] = h[i] > 0.0f && h[i] < 1.0f ? dout * ow[i] * 2.0f * h[i] : 0.0f;
        float* gfb = grad->ft_bias.data();
        for (int half = 0; half < 2; ++half) {
            const int* f = features[half == 0 ? s.side : s.side ^ 1];
            const float* dd = d + half * H;
            for (int i = 0; i < H; ++i) gfb[i] += dd[i];
            for (int j = 0; j < s.count; ++j) {
                float* gw = grad->ft_weights.data() + static_cast<std::size_t>(f[j]) * H;
                for (int i = 0; i < H; ++i) gw[i] += dd[i];
            }
        }
    }
    return loss;
}

double shard_portable(const FloatNetwork& net, const Sample* samples, int count, double lambda, double k,
                      FloatNetwork* grad, Scratch& sc) {
    return shard_body(net, samples, count, lambda, k, grad, sc);
}

#if TAVRIN_TRAIN_AVX2
__attribute__((target("avx2,fma"))) double shard_avx2(const FloatNetwork& net, const Sample* samples, int count,
                                                      double lambda, double k, FloatNetwork* grad, Scratch& sc) {
    return shard_body(net, samples, count, lambda, k, grad, sc);
}

bool cpu_has_avx2_fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

// The same machine always takes the same path, so results do not change
// with the thread count; another machine may differ in the last bits.
double shard(const FloatNetwork& net, const Sample* samples, int count, double lambda, double k, FloatNetwork* grad,
             Scratch& sc) {
#if TAVRIN_TRAIN_AVX2
    static const bool avx2 = cpu_has_avx2_fma();
    if (avx2) return shard_avx2(net, samples, count, lambda, k, grad, sc);
#endif
    return shard_portable(net, samples, count, lambda, k, grad, sc);
}

// [begin, end) of part `i` of `parts` over `n` items.
std::size_t part_begin(std::size_t n, int i, int parts) { return n * static_cast<std::size_t>(i) / static_cast<std::size_t>(parts); }

}  // namespace

void init_network(FloatNetwork& net, int hidden, std::uint64_t seed) {
    shape_like(net, hidden);
    std::mt19937_64 random(seed);
    auto uniform = [&](double bound) {
        return static_cast<float>((static_cast<double>(random() >> 11) * 0x1.0p-53 * 2 - 1) * bound);
    };
    for (float& w : net.ft_weights) w = uniform(0.1);
    for (float& w : net.ft_bias) w = uniform(0.1) + 0.1f;
    for (float& w : net.out_weights) w = uniform(1.0 / std::sqrt(2.0 * hidden));
}

double predict_centipawns(const FloatNetwork& net, const Sample& s) {
    // The output is what the loss puts through the sigmoid, times k / SCALE.
    Scratch sc(net.hidden);
    const double lambda = 0, k = OUTPUT_SCALE;
    shard(net, &s, 1, lambda, k, nullptr, sc);
    const int bucket = nnue::bucket_of(s.count);
    double out = net.out_bias[static_cast<std::size_t>(bucket)];
    for (int i = 0; i < 2 * net.hidden; ++i)
        out += static_cast<double>(sc.a[static_cast<std::size_t>(i)]) *
               net.out_weights[static_cast<std::size_t>(bucket * 2 * net.hidden + i)];
    return out * OUTPUT_SCALE;
}

double target_of(const Sample& s, const TrainOptions& o) {
    return o.lambda * s.result / 2.0 + (1 - o.lambda) * sigmoid(s.score / o.k);
}

double sample_loss(const FloatNetwork& net, const Sample& s, const TrainOptions& o) {
    Scratch sc(net.hidden);
    return shard(net, &s, 1, o.lambda, o.k, nullptr, sc);
}

double add_gradient(const FloatNetwork& net, const Sample* samples, int count, const TrainOptions& o,
                    FloatNetwork& gradient) {
    Scratch sc(net.hidden);
    return shard(net, samples, count, o.lambda, o.k, &gradient, sc);
}

void clip_weights(FloatNetwork& net) {
    for (float& w : net.ft_weights) w = std::clamp(w, -FT_BOUND, FT_BOUND);
    for (float& w : net.ft_bias) w = std::clamp(w, -FT_BOUND, FT_BOUND);
    for (float& w : net.out_weights) w = std::clamp(w, -OUT_BOUND, OUT_BOUND);
}

void quantise(const FloatNetwork& net, nnue::Network& out) {
    auto round_to = [](float w, double scale, int limit) {
        const long q = std::lround(w * scale);
        return static_cast<std::int16_t>(std::clamp<long>(q, -limit, limit));
    };
    const int H = nnue::HIDDEN;
    for (int f = 0; f < nnue::INPUTS; ++f)
        for (int i = 0; i < H; ++i)
            out.ft_weights[f][i] = round_to(net.ft_weights[static_cast<std::size_t>(f * H + i)], nnue::QA, nnue::FT_LIMIT);
    for (int i = 0; i < H; ++i) out.ft_bias[i] = round_to(net.ft_bias[static_cast<std::size_t>(i)], nnue::QA, nnue::FT_LIMIT);
    for (int b = 0; b < nnue::BUCKETS; ++b) {
        for (int i = 0; i < 2 * H; ++i)
            out.out_weights[b][i] =
                round_to(net.out_weights[static_cast<std::size_t>(b * 2 * H + i)], nnue::QB, nnue::OUT_LIMIT);
        out.out_bias[b] = static_cast<std::int32_t>(std::lround(net.out_bias[static_cast<std::size_t>(b)] * nnue::QA * nnue::QB));
    }
}

void init_trainer(Trainer& t, const TrainOptions& o, int hidden) {
    t.options = o;
    init_network(t.net, hidden, o.seed);
    shape_like(t.moment1, hidden);
    shape_like(t.moment2, hidden);
    t.step = 0;
    t.epochs_done = 0;
}

double train_epoch(Trainer& t, const std::vector<Sample>& samples) {
    const TrainOptions& o = t.options;
    const std::size_t n = samples.size();
    if (n == 0) return 0;
    const int threads = std::max(1, o.threads);

    // 1. This epoch's order.
    std::vector<std::uint32_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
    std::mt19937_64 random(mix(o.seed, static_cast<std::uint64_t>(t.epochs_done) + 1));
    for (std::size_t i = n - 1; i > 0; --i) std::swap(order[i], order[random() % (i + 1)]);

    const std::size_t batch_size = static_cast<std::size_t>(std::max(1, o.batch_size));
    const std::size_t batches = (n + batch_size - 1) / batch_size;
    const std::uint64_t total_steps = batches * static_cast<std::uint64_t>(std::max(o.epochs, 1));
    std::vector<FloatNetwork> grads(SHARDS);
    for (FloatNetwork& g : grads) shape_like(g, t.net.hidden);
    std::vector<Sample> batch;
    std::vector<Scratch> scratch;
    for (int i = 0; i < threads; ++i) scratch.emplace_back(t.net.hidden);
    double loss_sum = 0;

    for (std::size_t first = 0; first < n; first += batch_size) {
        const std::size_t count = std::min(batch_size, n - first);
        batch.resize(count);
        for (std::size_t i = 0; i < count; ++i) batch[i] = samples[order[first + i]];

        // 2. Each shard's loss and gradient, shards shared out among the threads.
        double shard_loss[SHARDS] = {};
        std::atomic<int> next{0};
        run_parallel(threads, [&](int thread) {
            for (int s = next++; s < SHARDS; s = next++) {
                FloatNetwork& g = grads[static_cast<std::size_t>(s)];
                for (int b = 0; b < 4; ++b) std::fill(blocks(g, b)->begin(), blocks(g, b)->end(), 0.0f);
                const std::size_t lo = part_begin(count, s, SHARDS), hi = part_begin(count, s + 1, SHARDS);
                shard_loss[s] = shard(t.net, batch.data() + lo, static_cast<int>(hi - lo), o.lambda, o.k, &g,
                                      scratch[static_cast<std::size_t>(thread)]);
            }
        });
        for (double l : shard_loss) loss_sum += l;

        // 3. AdamW on the mean gradient, summed in shard order, each weight
        //    on its own (so the threads' split of the weights changes nothing),
        //    at the rate of the cosine schedule; then the weights' bounds.
        ++t.step;
        const double progress = std::min(1.0, static_cast<double>(t.step - 1) / static_cast<double>(total_steps));
        const double rate = o.learning_rate * (o.final_rate_share + (1 - o.final_rate_share) * 0.5 * (1 + std::cos(std::numbers::pi * progress)));
        const double beta1 = 0.9, beta2 = 0.999, epsilon = 1e-8;
        const double correction1 = 1 - std::pow(beta1, static_cast<double>(t.step));
        const double correction2 = 1 - std::pow(beta2, static_cast<double>(t.step));
        const float inverse_count = 1.0f / static_cast<float>(count);
        run_parallel(threads, [&](int thread) {
            for (int b = 0; b < 4; ++b) {
                std::vector<float>& w = *blocks(t.net, b);
                std::vector<float>& m = *blocks(t.moment1, b);
                std::vector<float>& v = *blocks(t.moment2, b);
                const bool decay = b == 0 || b == 2;
                const std::size_t lo = part_begin(w.size(), thread, threads), hi = part_begin(w.size(), thread + 1, threads);
                for (std::size_t i = lo; i < hi; ++i) {
                    float g = 0;
                    for (int s = 0; s < SHARDS; ++s) g += (*blocks(grads[static_cast<std::size_t>(s)], b))[i];
                    g *= inverse_count;
                    m[i] = static_cast<float>(beta1 * m[i] + (1 - beta1) * g);
                    v[i] = static_cast<float>(beta2 * v[i] + (1 - beta2) * g * g);
                    const double update = (m[i] / correction1) / (std::sqrt(v[i] / correction2) + epsilon);
                    w[i] = static_cast<float>(w[i] - rate * (update + (decay ? o.weight_decay * w[i] : 0.0)));
                }
            }
        });
        clip_weights(t.net);
    }
    ++t.epochs_done;
    return loss_sum / static_cast<double>(n);
}

double mean_loss(const Trainer& t, const std::vector<Sample>& samples) {
    const std::size_t n = samples.size();
    if (n == 0) return 0;
    const std::size_t blocks_count = (n + LOSS_BLOCK - 1) / LOSS_BLOCK;
    std::vector<double> partial(blocks_count, 0.0);
    std::atomic<std::size_t> next{0};
    const int threads = std::max(1, t.options.threads);
    run_parallel(threads, [&](int) {
        Scratch sc(t.net.hidden);
        for (std::size_t b = next++; b < blocks_count; b = next++) {
            const std::size_t lo = b * LOSS_BLOCK, hi = std::min(n, lo + LOSS_BLOCK);
            partial[b] = shard(t.net, samples.data() + lo, static_cast<int>(hi - lo), t.options.lambda, t.options.k,
                               nullptr, sc);
        }
    });
    double sum = 0;
    for (double p : partial) sum += p;
    return sum / static_cast<double>(n);
}

// Checkpoint: "TVCKPT01", i32 hidden, i32 epochs done, u64 step, then the
// network's, the first moments' and the second moments' floats, block by
// block, in this machine's byte order.
std::string save_checkpoint(const Trainer& t, const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return std::string("cannot write ") + path;
    bool ok = std::fwrite("TVCKPT01", 1, 8, out) == 8;
    const std::int32_t head[2] = {t.net.hidden, t.epochs_done};
    ok = ok && std::fwrite(head, sizeof head, 1, out) == 1 && std::fwrite(&t.step, sizeof t.step, 1, out) == 1;
    for (const FloatNetwork* n : {&t.net, &t.moment1, &t.moment2})
        for (int b = 0; b < 4; ++b) {
            const std::vector<float>& w = *blocks(*n, b);
            ok = ok && std::fwrite(w.data(), sizeof(float), w.size(), out) == w.size();
        }
    if (std::fclose(out) != 0 || !ok) return std::string("cannot write ") + path;
    return "";
}

std::string load_checkpoint(Trainer& t, const char* path) {
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return std::string("cannot read ") + path;
    char magic[8];
    std::int32_t head[2];
    std::uint64_t step = 0;
    bool ok = std::fread(magic, 1, 8, in) == 8 && std::memcmp(magic, "TVCKPT01", 8) == 0 &&
              std::fread(head, sizeof head, 1, in) == 1 && std::fread(&step, sizeof step, 1, in) == 1 &&
              head[0] > 0 && head[0] <= 4096 && head[0] % 8 == 0;
    Trainer loaded;
    loaded.options = t.options;
    if (ok) {
        for (FloatNetwork* n : {&loaded.net, &loaded.moment1, &loaded.moment2}) {
            shape_like(*n, head[0]);
            for (int b = 0; b < 4; ++b) {
                std::vector<float>& w = *blocks(*n, b);
                ok = ok && std::fread(w.data(), sizeof(float), w.size(), in) == w.size();
            }
        }
        ok = ok && std::fgetc(in) == EOF;
    }
    std::fclose(in);
    if (!ok) return std::string(path) + ": not a complete checkpoint";
    loaded.step = step;
    loaded.epochs_done = head[1];
    t = std::move(loaded);
    return "";
}

}  // namespace learn
