// What the network's tests share: networks of random but fixed weights, and
// walks of positions to evaluate them on.
#pragma once
#include <memory>
#include <random>

#include "nnue/network.h"

// Weights drawn within the file's bounds, the feature weights large enough
// that accumulators fall both below 0 and above QA.
inline std::unique_ptr<nnue::Network> random_network(std::uint32_t seed) {
    auto net = std::make_unique<nnue::Network>();
    std::mt19937 random(seed);
    auto draw = [&](int lo, int hi) { return static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)) + lo; };
    for (auto& row : net->ft_weights)
        for (auto& w : row) w = static_cast<std::int16_t>(draw(-60, 60));
    for (auto& b : net->ft_bias) b = static_cast<std::int16_t>(draw(0, 200));
    for (auto& row : net->out_weights)
        for (auto& w : row) w = static_cast<std::int16_t>(draw(-nnue::OUT_LIMIT, nnue::OUT_LIMIT));
    for (auto& b : net->out_bias) b = draw(-100000, 100000);
    return net;
}
