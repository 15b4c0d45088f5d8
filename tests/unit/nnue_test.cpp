// The network: its file refused when damaged, with the old network kept;
// incremental accumulators equal to a refresh; the AVX2 and portable paths
// equal; the evaluation the same for a position and its colour mirror.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "nnue/default_network.h"
#include "nnue/inference.h"
#include "nnue_support.h"
#include "strong/network_eval.h"
#include "strong/search.h"
#include "strong_support.h"

namespace {

std::vector<std::string> start_positions() {
    std::vector<std::string> fens{START_FEN};
    fens.insert(fens.end(), std::begin(rich_positions), std::end(rich_positions));
    return fens;
}

void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(NetworkFile, TheBuiltInNetworkDecodes) { EXPECT_STREQ(nnue::default_network_error(), ""); }

// A file decodes to the network it was made from; each kind of damage is
// refused with its own message and leaves the network as it was.
TEST(NetworkFile, RoundTripAndDamagedFilesRefused) {
    auto original = random_network(1);
    const std::vector<std::uint8_t> bytes = nnue::encode_network(*original);
    ASSERT_EQ(bytes.size(), nnue::FILE_BYTES);
    auto decoded = std::make_unique<nnue::Network>();
    ASSERT_EQ(nnue::decode_network(bytes.data(), bytes.size(), *decoded), "");
    EXPECT_EQ(0, std::memcmp(decoded.get(), original.get(), sizeof(nnue::Network)));

    auto other = random_network(2);
    auto net = std::make_unique<nnue::Network>();
    auto refused = [&](std::vector<std::uint8_t> damaged, const char* expected) {
        std::memcpy(net.get(), other.get(), sizeof(nnue::Network));
        const std::string error = nnue::decode_network(damaged.data(), damaged.size(), *net);
        EXPECT_NE(error.find(expected), std::string::npos) << "expected \"" << expected << "\", got \"" << error << "\"";
        EXPECT_EQ(0, std::memcmp(net.get(), other.get(), sizeof(nnue::Network))) << expected;
    };
    std::vector<std::uint8_t> damaged(bytes.begin(), bytes.end() - 1);
    refused(damaged, "truncated");
    damaged = bytes;
    damaged.push_back(0);
    refused(damaged, "too long");
    damaged = bytes;
    damaged[nnue::FILE_HEADER_BYTES + 1000] ^= 0x10;
    refused(damaged, "hash");
    damaged = bytes;
    damaged[8] = 2;
    refused(damaged, "format version");
    damaged = bytes;
    damaged[17] = 0;  // hidden size 256 -> 0
    refused(damaged, "hidden size");
    damaged = bytes;
    damaged[0] = 'X';
    refused(damaged, "not a Tavrin network");
    refused({}, "not a Tavrin network");
}

// Through the engine: a good file is taken, a damaged one refused with a
// message while the engine keeps evaluating with the good one.
TEST(NetworkFile, EngineKeepsItsNetworkWhenALoadFails) {
    const std::string dir = ::testing::TempDir();
    const std::string good = dir + "tavrin_good.nnue", bad = dir + "tavrin_bad.nnue";
    auto net = random_network(3);
    std::vector<std::uint8_t> bytes = nnue::encode_network(*net);
    write_bytes(good, bytes);
    bytes.resize(bytes.size() / 2);
    write_bytes(bad, bytes);

    auto engine = std::make_unique<strong::Engine>();
    auto pos = strong_from_fen(rich_positions[0]);
    ASSERT_EQ(strong::load_network(*engine, good.c_str()), nullptr);
    const int expected = strong::evaluate_network(*net, *pos);
    EXPECT_EQ(strong::evaluate_network(*engine->network, *pos), expected);
    const char* error = strong::load_network(*engine, bad.c_str());
    ASSERT_NE(error, nullptr);
    EXPECT_NE(std::string(error).find("truncated"), std::string::npos) << error;
    EXPECT_NE(strong::load_network(*engine, (dir + "no_such_file.nnue").c_str()), nullptr);
    EXPECT_EQ(strong::evaluate_network(*engine->network, *pos), expected);

    // And it searches with it.
    strong::set_eval_kind(*engine, strong::EvalKind::NETWORK);
    SearchLimits limits;
    limits.depth = 2;
    EXPECT_NE(strong::think(*engine, *pos, limits, {}).best, strong::NO_MOVE);
    std::remove(good.c_str());
    std::remove(bad.c_str());
}

// Along long random games, with moves taken back and null moves, evaluated
// at random plies only (so updates pile up between evaluations): the
// accumulators kept incrementally equal a refresh of the position.
TEST(NetworkAccumulators, IncrementalEqualsRefresh) {
    auto net = random_network(4);
    auto stack = std::make_unique<strong::NetworkStack>();
    std::mt19937 random(5);
    int compared = 0;
    for (const std::string& fen : start_positions()) {
        auto pos = strong_from_fen(fen);
        strong::network_reset(*stack, *net, *pos);
        int ply = 0;
        for (int step = 0; step < 250; ++step) {
            strong::MoveList legal;
            strong::generate_all(*pos, legal);
            const int roll = static_cast<int>(random() % 10);
            if ((roll < 3 || legal.count == 0 || ply == strong::MAX_SEARCH_PLY - 1) && ply > 0) {
                // Back one ply; the history says whether it was a null move.
                if (pos->history[pos->history_count - 1].move == strong::NO_MOVE) strong::unmake_null(*pos);
                else strong::unmake(*pos);
                --ply;
            } else if (legal.count == 0) {
                break;
            } else if (roll == 3 && !strong::in_check(*pos)) {
                strong::network_push(*stack, ply, *pos, strong::NO_MOVE);
                strong::make_null(*pos);
                ++ply;
            } else {
                const strong::Move m = legal.moves[random() % legal.count];
                strong::network_push(*stack, ply, *pos, m);
                strong::make(*pos, m);
                ++ply;
            }
            if (random() % 3 != 0) continue;
            const int score = strong::network_evaluate(*stack, *net, *pos, ply);
            nnue::Accumulator fresh;
            strong::refresh_accumulator(*net, *pos, fresh);
            ASSERT_EQ(0, std::memcmp(&fresh, &stack->acc[ply], sizeof fresh)) << strong::to_fen(*pos);
            ASSERT_EQ(score, strong::evaluate_network(*net, *pos));
            ++compared;
        }
    }
    EXPECT_GT(compared, 500);
}

// The two paths agree exactly, updates and outputs, over many positions, and
// on a network whose output sum wraps around int32.
TEST(NetworkInference, PortableAndAvx2AgreeExactly) {
    if (!nnue::has_avx2()) GTEST_SKIP() << "this CPU has no AVX2: only the portable path runs here";
    auto net = random_network(6);
    std::mt19937 random(7);
    int compared = 0;
    for (const std::string& fen : start_positions()) {
        auto pos = strong_from_fen(fen);
        nnue::Accumulator portable, avx2;
        strong::refresh_accumulator(*net, *pos, portable);
        avx2 = portable;
        strong_random_walk(*pos, random, 80, [&] {
            for (int side = 0; side < 2; ++side)
                for (int pieces = 2; pieces <= 32; pieces += 5)
                    ASSERT_EQ(nnue::evaluate_portable(*net, portable, side, pieces),
                              nnue::evaluate_avx2(*net, avx2, side, pieces));
            ++compared;
            strong::MoveList legal;
            strong::generate_all(*pos, legal);
            if (legal.count == 0) return;
            // The walk makes a move of its own; test the update on another.
            const nnue::FeatureDelta d = strong::move_delta(*pos, legal.moves[compared % legal.count]);
            nnue::Accumulator a = portable, b = avx2;
            nnue::apply_delta_portable(*net, portable, d, a);
            nnue::apply_delta_avx2(*net, avx2, d, b);
            ASSERT_EQ(0, std::memcmp(&a, &b, sizeof a));
            strong::refresh_accumulator(*net, *pos, portable);
            avx2 = portable;
        });
    }
    EXPECT_GT(compared, 300);

    auto saturated = random_network(8);
    for (auto& b : saturated->ft_bias) b = nnue::FT_LIMIT;
    for (auto& row : saturated->out_weights)
        for (auto& w : row) w = nnue::OUT_LIMIT;
    auto pos = strong_from_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    nnue::Accumulator acc;
    strong::refresh_accumulator(*saturated, *pos, acc);
    EXPECT_EQ(nnue::evaluate_portable(*saturated, acc, 0, 2), nnue::evaluate_avx2(*saturated, acc, 0, 2));
}

// Colours swapped and the board turned: the same score for the side to move.
TEST(NetworkInference, ColourMirrorScoresTheSame) {
    auto net = random_network(9);
    std::mt19937 random(10);
    int compared = 0;
    for (const std::string& fen : start_positions()) {
        auto pos = strong_from_fen(fen);
        strong_random_walk(*pos, random, 40, [&] {
            auto mirrored = strong_from_fen(mirror_fen(strong::to_fen(*pos)));
            ASSERT_EQ(strong::evaluate_network(*net, *pos), strong::evaluate_network(*net, *mirrored))
                << strong::to_fen(*pos);
            ++compared;
        });
    }
    EXPECT_GT(compared, 200);
}

}  // namespace
