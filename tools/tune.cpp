// tune: fits the strong evaluation's weights to the results of games, by
// gradient descent on the squared error between the result and the
// evaluation as a winning chance, and writes them as a C++ source file.
//
//   tune --data FILE [--data FILE ...] --out FILE [--epochs N] [--rate R]
//        [--threads T] [--seed S] [--holdout PERCENT]
//
// The data are datagen's lines, FEN | score | result. The winning chance
// of a score e is 1 / (1 + 10^(-K e / 400)); K is fitted first, to the
// starting weights. The weights start from the ones the engine plays with.
// The same data, seed and options give the same weights, whatever the
// number of threads and the order of the lines.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "strong/eval.h"

using namespace strong;

namespace {

struct Options {
    std::vector<std::string> data;
    std::string out;
    int epochs = 400;
    double rate = 1.0;
    int threads = 2;
    std::uint64_t seed = 1;
    int holdout_percent = 5;
};

// A position as the fit needs it: its features, where its blend lies, and the result.
struct Sample {
    std::uint32_t first;  // its features: entries[first, first + count)
    std::uint16_t count;
    float mg_share;       // phase / 24 * scale / 64
    float eg_share;       // (24 - phase) / 24 * scale / 64
    float result;
};

struct Entry {
    std::int16_t term;
    std::int16_t value;
};

struct Data {
    std::vector<Sample> samples;
    std::vector<Entry> entries;
};

// Lines sorted, so that the order of the file does not change the sums.
bool load(const Options& o, Data& train, Data& test) {
    std::vector<std::string> lines;
    for (const std::string& path : o.data) {
        std::ifstream in(path);
        if (!in) {
            std::fprintf(stderr, "tune: cannot read %s\n", path.c_str());
            return false;
        }
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    std::mt19937_64 random(o.seed);
    auto pos = std::make_unique<Position>();
    EvalFeatures features;
    long skipped = 0;
    for (const std::string& line : lines) {
        const std::size_t bar1 = line.find('|'), bar2 = line.rfind('|');
        if (bar1 == std::string::npos || bar2 == bar1) {
            ++skipped;
            continue;
        }
        const std::string fen = line.substr(0, bar1);
        const double result = std::atof(line.c_str() + bar2 + 1);
        if (!set_fen(*pos, fen.c_str()) || (result != 0.0 && result != 0.5 && result != 1.0)) {
            ++skipped;
            continue;
        }
        extract_features(*pos, features);
        Data& into = static_cast<int>(random() % 100) < o.holdout_percent ? test : train;
        const float scale = features.scale / static_cast<float>(SCALE_NORMAL);
        Sample s{static_cast<std::uint32_t>(into.entries.size()), static_cast<std::uint16_t>(features.count),
                 features.phase / static_cast<float>(PHASE_MAX) * scale,
                 (PHASE_MAX - features.phase) / static_cast<float>(PHASE_MAX) * scale, static_cast<float>(result)};
        for (int i = 0; i < features.count; ++i) into.entries.push_back({features.term[i], features.value[i]});
        into.samples.push_back(s);
    }
    std::fprintf(stderr, "tune: %zu positions to fit, %zu held out, %ld lines skipped\n", train.samples.size(),
                 test.samples.size(), skipped);
    return !train.samples.empty();
}

// The weights as the fit moves them: [term][0] middlegame, [term][1] endgame.
using Weights = std::vector<double>;

double evaluate(const Data& d, const Sample& s, const Weights& w) {
    double mg = 0, eg = 0;
    for (std::uint32_t i = s.first; i < s.first + s.count; ++i) {
        const Entry& e = d.entries[i];
        mg += w[2 * e.term] * e.value;
        eg += w[2 * e.term + 1] * e.value;
    }
    return mg * s.mg_share + eg * s.eg_share;
}

double chance(double k, double score) { return 1.0 / (1.0 + std::pow(10.0, -k * score / 400.0)); }

// The data split into this many fixed chunks, summed one after another, so
// that the sums do not depend on the number of threads.
constexpr int CHUNKS = 64;

template <class Work>
void for_chunks(const Data& d, int threads, Work work) {
    std::vector<std::thread> pool;
    const std::size_t n = d.samples.size();
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&, t] {
            for (int c = t; c < CHUNKS; c += threads) work(c, n * c / CHUNKS, n * (c + 1) / CHUNKS);
        });
    for (std::thread& th : pool) th.join();
}

double mean_error(const Data& d, const Weights& w, double k, int threads) {
    if (d.samples.empty()) return 0;
    std::vector<double> partial(CHUNKS, 0.0);
    for_chunks(d, threads, [&](int c, std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i) {
            const double diff = chance(k, evaluate(d, d.samples[i], w)) - d.samples[i].result;
            sum += diff * diff;
        }
        partial[c] = sum;
    });
    double sum = 0;
    for (double p : partial) sum += p;
    return sum / static_cast<double>(d.samples.size());
}

// K by golden-section search over [0.1, 4] on the starting weights.
double fit_k(const Data& d, const Weights& w, int threads) {
    double lo = 0.1, hi = 4.0;
    const double g = (std::sqrt(5.0) - 1) / 2;
    for (int i = 0; i < 40; ++i) {
        const double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
        if (mean_error(d, w, a, threads) < mean_error(d, w, b, threads))
            hi = b;
        else
            lo = a;
    }
    return (lo + hi) / 2;
}

void gradient(const Data& d, const Weights& w, double k, int threads, std::vector<double>& grad) {
    std::vector<std::vector<double>> partial(CHUNKS, std::vector<double>(w.size(), 0.0));
    const double scale = std::log(10.0) / 400.0 * k;
    for_chunks(d, threads, [&](int c, std::size_t from, std::size_t to) {
        std::vector<double>& g = partial[c];
        for (std::size_t i = from; i < to; ++i) {
            const Sample& s = d.samples[i];
            const double p = chance(k, evaluate(d, s, w));
            const double common = 2.0 * (p - s.result) * p * (1.0 - p) * scale;
            for (std::uint32_t j = s.first; j < s.first + s.count; ++j) {
                const Entry& e = d.entries[j];
                g[2 * e.term] += common * e.value * s.mg_share;
                g[2 * e.term + 1] += common * e.value * s.eg_share;
            }
        }
    });
    std::fill(grad.begin(), grad.end(), 0.0);
    for (const auto& g : partial)
        for (std::size_t i = 0; i < grad.size(); ++i) grad[i] += g[i];
    for (double& x : grad) x /= static_cast<double>(d.samples.size());
}

// The weights as the engine's source file, one block of terms after another.
bool write_weights(const std::string& path, const Weights& w, const Options& o, double k, double error) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) return false;
    std::fprintf(f, "// The evaluation's weights, middlegame and endgame, as tools/tune fitted\n");
    std::fprintf(f, "// them (K %.4f, error %.6f, %d epochs at rate %g, seed %llu, %d%% held out).\n", k, error, o.epochs,
                 o.rate, static_cast<unsigned long long>(o.seed), o.holdout_percent);
    std::fprintf(f, "// Written by tools/tune: edit the data or the tuner, not this file.\n");
    std::fprintf(f, "#include \"strong/eval.h\"\n\nnamespace strong {\n\n// clang-format off\n");
    std::fprintf(f, "const EvalWeights TUNED_WEIGHTS = {{\n");
    const char* last = nullptr;
    for (int t = 0; t < term::COUNT; ++t) {
        int index = 0;
        const char* block = term_block_name(t, &index);
        if (block != last) {
            std::fprintf(f, "    // %s\n", block);
            last = block;
        }
        if (t >= term::PIECE_SQUARE && t < term::PIECE_SQUARE + 6 * 64 && index % 64 == 0)
            std::fprintf(f, "    // %s\n", std::array<const char*, 6>{"pawn", "knight", "bishop", "rook", "queen", "king"}[index / 64]);
        const long mg = std::lround(w[2 * t]), eg = std::lround(w[2 * t + 1]);
        std::fprintf(f, "    {%ld, %ld},\n", std::clamp(mg, -32000L, 32000L), std::clamp(eg, -32000L, 32000L));
    }
    std::fprintf(f, "}};\n// clang-format on\n\n}  // namespace strong\n");
    return std::fclose(f) == 0;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        const char* value = argv[i + 1];
        if (arg == "--data") o.data.push_back(value);
        else if (arg == "--out") o.out = value;
        else if (arg == "--epochs") o.epochs = std::atoi(value);
        else if (arg == "--rate") o.rate = std::atof(value);
        else if (arg == "--threads") o.threads = std::max(1, std::atoi(value));
        else if (arg == "--seed") o.seed = std::strtoull(value, nullptr, 10);
        else if (arg == "--holdout") o.holdout_percent = std::clamp(std::atoi(value), 0, 50);
        else return false;
    }
    return argc % 2 == 1 && !o.data.empty() && !o.out.empty() && o.epochs >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: tune --data FILE [--data FILE ...] --out FILE [--epochs N] [--rate R] "
                             "[--threads T] [--seed S] [--holdout PERCENT]\n");
        return 2;
    }
    Data train, test;
    if (!load(o, train, test)) return 1;

    Weights w(2 * term::COUNT);
    for (int t = 0; t < term::COUNT; ++t) {
        w[2 * t] = TUNED_WEIGHTS.w[t].mg;
        w[2 * t + 1] = TUNED_WEIGHTS.w[t].eg;
    }
    const double k = fit_k(train, w, o.threads);
    std::fprintf(stderr, "K %.4f, error %.6f (held out %.6f)\n", k, mean_error(train, w, k, o.threads),
                 mean_error(test, w, k, o.threads));

    // Adam: each weight with its own step, from the first and second moments of its gradient.
    std::vector<double> grad(w.size()), m(w.size(), 0.0), v(w.size(), 0.0);
    const double beta1 = 0.9, beta2 = 0.999, epsilon = 1e-8;
    for (int epoch = 1; epoch <= o.epochs; ++epoch) {
        gradient(train, w, k, o.threads, grad);
        for (std::size_t i = 0; i < w.size(); ++i) {
            m[i] = beta1 * m[i] + (1 - beta1) * grad[i];
            v[i] = beta2 * v[i] + (1 - beta2) * grad[i] * grad[i];
            const double m_hat = m[i] / (1 - std::pow(beta1, epoch));
            const double v_hat = v[i] / (1 - std::pow(beta2, epoch));
            w[i] -= o.rate * m_hat / (std::sqrt(v_hat) + epsilon);
        }
        std::printf("epoch %d error %.6f held out %.6f\n", epoch, mean_error(train, w, k, o.threads),
                    mean_error(test, w, k, o.threads));
        std::fflush(stdout);
    }
    const double error = mean_error(train, w, k, o.threads);
    if (!write_weights(o.out, w, o, k, error)) {
        std::fprintf(stderr, "tune: cannot write %s\n", o.out.c_str());
        return 1;
    }
    std::fprintf(stderr, "weights written to %s\n", o.out.c_str());
    return 0;
}
