// The trainer: the network in floats, its loss and gradient, AdamW, and the
// quantised network it writes. Deterministic for a seed, whatever the
// number of threads.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "learn/training_data.h"
#include "nnue/network.h"

namespace learn {

// A batch is cut into this many shards whatever the thread count; their
// gradients and losses are summed in shard order, so floating-point sums
// come out the same on one thread or many.
constexpr int SHARDS = 16;

struct TrainOptions {
    int epochs = 10;
    int batch_size = 16384;
    double learning_rate = 0.001;
    double final_rate_share = 0.05;  // the cosine schedule ends at this share of the rate
    double weight_decay = 0.01;
    // target = lambda * result + (1 - lambda) * sigmoid(score / k),
    // prediction = sigmoid(output * SCALE / k), squared error.
    double lambda = 0.5;
    double k = 400;
    int threads = 2;
    std::uint64_t seed = 1;
};

// The architecture of nnue/network.h in floats, 1.0 for QA and QB, with the
// hidden size free so that tests can take a tiny one. Feature weights are
// feature-major, output weights bucket-major as in the quantised network.
struct FloatNetwork {
    int hidden = 0;
    std::vector<float> ft_weights;  // INPUTS * hidden
    std::vector<float> ft_bias;     // hidden
    std::vector<float> out_weights; // BUCKETS * 2 * hidden
    std::vector<float> out_bias;    // BUCKETS
};

// Small random weights drawn from `seed`.
void init_network(FloatNetwork& net, int hidden, std::uint64_t seed);

// The float network's score in centipawns for the sample's side to move.
double predict_centipawns(const FloatNetwork& net, const Sample& s);

// The training target and the loss of one sample.
double target_of(const Sample& s, const TrainOptions& o);
double sample_loss(const FloatNetwork& net, const Sample& s, const TrainOptions& o);

// The summed loss of `count` samples, with the gradient of that sum added
// to `gradient` (a network of the same shape, used as a flat vector).
double add_gradient(const FloatNetwork& net, const Sample* samples, int count, const TrainOptions& o,
                    FloatNetwork& gradient);

// Keeps every weight within what the quantised network holds (FT_LIMIT / QA,
// OUT_LIMIT / QB), so that the integer inference never overflows.
void clip_weights(FloatNetwork& net);

// Rounds to the quantised network; the hidden size must be nnue::HIDDEN.
void quantise(const FloatNetwork& net, nnue::Network& out);

struct Trainer {
    TrainOptions options;
    FloatNetwork net;
    FloatNetwork moment1, moment2;  // AdamW's
    std::uint64_t step = 0;
    int epochs_done = 0;
};

void init_trainer(Trainer& t, const TrainOptions& o, int hidden);

// One pass over `samples` in an order drawn from the seed and the epoch;
// returns the mean loss of the batches as they were trained.
double train_epoch(Trainer& t, const std::vector<Sample>& samples);

// The mean loss over `samples`, nothing trained.
double mean_loss(const Trainer& t, const std::vector<Sample>& samples);

// A float checkpoint (network, AdamW state, epochs done) to go on from.
std::string save_checkpoint(const Trainer& t, const char* path);
std::string load_checkpoint(Trainer& t, const char* path);

}  // namespace learn
