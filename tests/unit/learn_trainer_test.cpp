// The trainer: its gradient against finite differences, the quantised
// network against the float one, and the same weights on one thread or two.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "learn/trainer.h"
#include "learn/training_data.h"
#include "strong/network_eval.h"
#include "strong_support.h"

namespace {

using namespace learn;

// Positions of random walks, with scores and results drawn at random.
std::vector<Sample> random_samples(int count, std::uint32_t seed, std::vector<std::string>* fens = nullptr) {
    std::mt19937 random(seed);
    std::vector<Sample> samples;
    while (static_cast<int>(samples.size()) < count)
        for (const char* fen : rich_positions) {
            auto pos = strong_from_fen(fen);
            strong_random_walk(*pos, random, 40, [&] {
                if (static_cast<int>(samples.size()) >= count) return;
                samples.push_back(make_sample(*pos, static_cast<int>(random() % 1201) - 600, static_cast<int>(random() % 3)));
                if (fens != nullptr) fens->push_back(strong::to_fen(*pos));
            });
        }
    return samples;
}

// The gradient of a tiny network matches central differences of the loss,
// weight by weight, for weights in every block.
TEST(Trainer, GradientMatchesFiniteDifferences) {
    const std::vector<Sample> samples = random_samples(12, 1);
    TrainOptions o;
    o.lambda = 0.3;
    FloatNetwork net;
    init_network(net, 8, 2);
    for (float& w : net.out_weights) w *= 8;  // gradients well above float noise
    FloatNetwork gradient;
    init_network(gradient, 8, 0);
    for (auto* block : {&gradient.ft_weights, &gradient.ft_bias, &gradient.out_weights, &gradient.out_bias})
        std::fill(block->begin(), block->end(), 0.0f);
    add_gradient(net, samples.data(), static_cast<int>(samples.size()), o, gradient);

    auto loss = [&] {
        double sum = 0;
        for (const Sample& s : samples) sum += sample_loss(net, s, o);
        return sum;
    };
    std::mt19937 random(3);
    int checked = 0;
    auto check = [&](std::vector<float>& weights, const std::vector<float>& grads, std::size_t i) {
        const float saved = weights[i];
        const float h = 1e-2f;
        weights[i] = saved + h;
        const double up = loss();
        weights[i] = saved - h;
        const double down = loss();
        weights[i] = saved;
        const double numeric = (up - down) / (2 * h);
        EXPECT_NEAR(grads[i], numeric, 2e-3 + 0.05 * std::abs(numeric)) << "weight " << i;
        checked += std::abs(numeric) > 1e-3;
    };
    // Feature weights of pieces in the samples (others have no gradient).
    for (int k = 0; k < 30; ++k) {
        const Sample& s = samples[random() % samples.size()];
        const int f = random() % 2 ? s.features[random() % s.count] : black_feature(s.features[random() % s.count]);
        check(net.ft_weights, gradient.ft_weights, static_cast<std::size_t>(f) * 8 + random() % 8);
    }
    for (std::size_t i = 0; i < 8; ++i) check(net.ft_bias, gradient.ft_bias, i);
    for (int k = 0; k < 30; ++k) check(net.out_weights, gradient.out_weights, random() % net.out_weights.size());
    for (std::size_t i = 0; i < net.out_bias.size(); ++i) check(net.out_bias, gradient.out_bias, i);
    EXPECT_GT(checked, 20);
}

// Quantised, the network scores within 25 centipawns (and 3%) of the float
// one. Rounding the output weights to 1/64 moves all scores alike by some
// ten centipawns on this network; a wrong scale, bucket or perspective in
// either would cost hundreds.
TEST(Trainer, QuantisedNetworkFollowsTheFloatOne) {
    std::vector<std::string> fens;
    const std::vector<Sample> samples = random_samples(150, 4, &fens);
    FloatNetwork net;
    init_network(net, nnue::HIDDEN, 5);
    for (float& w : net.out_weights) w *= 6;
    net.out_bias[3] = 0.2f;
    clip_weights(net);
    auto quantised = std::make_unique<nnue::Network>();
    quantise(net, *quantised);
    double worst = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        auto pos = strong_from_fen(fens[i]);
        const double expected = predict_centipawns(net, samples[i]);
        const int got = strong::evaluate_network(*quantised, *pos);
        EXPECT_NEAR(got, expected, 25 + 0.03 * std::abs(expected)) << fens[i];
        worst = std::max(worst, std::abs(got - expected));
    }
    RecordProperty("worst_centipawns", std::to_string(worst));
}

// Two epochs on one thread and on two give the same weights, bit for bit.
TEST(Trainer, SameWeightsWhateverTheThreadCount) {
    const std::vector<Sample> samples = random_samples(400, 6);
    TrainOptions o;
    o.epochs = 2;
    o.batch_size = 100;
    o.learning_rate = 0.01;
    Trainer one, two;
    o.threads = 1;
    init_trainer(one, o, 16);
    o.threads = 2;
    init_trainer(two, o, 16);
    for (int epoch = 0; epoch < 2; ++epoch) EXPECT_EQ(train_epoch(one, samples), train_epoch(two, samples));
    EXPECT_EQ(one.net.ft_weights, two.net.ft_weights);
    EXPECT_EQ(one.net.ft_bias, two.net.ft_bias);
    EXPECT_EQ(one.net.out_weights, two.net.out_weights);
    EXPECT_EQ(one.net.out_bias, two.net.out_bias);
    EXPECT_EQ(mean_loss(one, samples), mean_loss(two, samples));
    // And it learned something.
    Trainer fresh;
    init_trainer(fresh, o, 16);
    EXPECT_LT(mean_loss(one, samples), mean_loss(fresh, samples));
}

}  // namespace
