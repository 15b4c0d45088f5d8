// The strong search's own evaluation: colour symmetry, the cache against a
// fresh one, the tuner's features adding up to what the engine plays with,
// and the drawish endings it scales down; and SAN, which the data tools read.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>

#include "board_support.h"
#include "strong/eval.h"
#include "strong/notation.h"
#include "strong_support.h"

namespace {

using strong::EvalCache;
using strong::EvalFeatures;

// The sum the tuner fits, from the features, side to move's view.
double features_score(const strong::Position& pos) {
    EvalFeatures f;
    strong::extract_features(pos, f);
    double mg = 0, eg = 0;
    for (int i = 0; i < f.count; ++i) {
        mg += strong::TUNED_WEIGHTS.w[f.term[i]].mg * f.value[i];
        eg += strong::TUNED_WEIGHTS.w[f.term[i]].eg * f.value[i];
    }
    const double white =
        (mg * f.phase + eg * (strong::PHASE_MAX - f.phase)) / strong::PHASE_MAX * f.scale / strong::SCALE_NORMAL;
    return pos.side == WHITE ? white : -white;
}

// Along random walks: the mirror scores the same, a cache that has seen
// other positions agrees with a fresh one, and the features add up to the
// engine's score (within the rounding of integer division).
TEST(StrongEval, SymmetricCachedAndWhatTheTunerFits) {
    auto shared = std::make_unique<EvalCache>();
    auto mirrored = new_position();
    std::mt19937 random(2026);
    int checked = 0;
    for (const char* fen : rich_positions)
        for (int walk = 0; walk < 3; ++walk) {
            auto pos = strong_from_fen(fen);
            checked += strong_random_walk(*pos, random, 150, [&] {
                auto fresh = std::make_unique<EvalCache>();
                const int score = strong::evaluate(*pos, *shared);
                ASSERT_EQ(strong::evaluate(*pos, *fresh), score) << strong::to_fen(*pos);
                ASSERT_TRUE(strong::set_fen(*mirrored, mirror_fen(strong::to_fen(*pos)).c_str()));
                ASSERT_EQ(strong::evaluate(*mirrored, *shared), score) << strong::to_fen(*pos);
                ASSERT_NEAR(features_score(*pos), score, 2.0) << strong::to_fen(*pos);
            });
        }
    EXPECT_GT(checked, 1000);
}

TEST(StrongEval, DrawishEndingsAreScaledDown) {
    auto cache = std::make_unique<EvalCache>();
    auto score = [&](const char* fen) { return strong::evaluate(*strong_from_fen(fen), *cache); };
    // A lone minor piece cannot mate: nothing left of its material.
    EXPECT_EQ(score("8/8/4k3/8/8/3BK3/8/8 w - - 0 1"), 0);
    EXPECT_EQ(score("8/8/4k3/8/8/3NK3/8/8 b - - 0 1"), 0);
    // A rook against a bishop, no pawns: far less than a rook's worth; with
    // a pawn more it is a winning ending again.
    const int rook_v_bishop = score("8/8/4k3/4b3/8/3RK3/8/8 w - - 0 1");
    EXPECT_LT(rook_v_bishop, 100);
    EXPECT_GT(score("8/8/4k3/4b3/8/3RK3/P7/8 w - - 0 1"), 2 * rook_v_bishop);
    // Bishops of opposite colours halve a pawn's edge; on one colour they do not.
    const int opposite = score("8/8/4k3/4b3/8/3BK3/PP6/8 w - - 0 1");
    const int same = score("8/8/4k3/5b2/8/3BK3/PP6/8 w - - 0 1");
    EXPECT_LT(opposite, same);
}

TEST(StrongNotation, SanNamesOneLegalMove) {
    auto pos = strong_from_fen("r3k2r/1P6/8/3pP3/8/2N1N3/8/R3K2R w KQkq d6 0 1");
    const auto named = [&](const char* san) { return strong::move_to_uci(strong::parse_san(*pos, san)); };
    EXPECT_EQ(named("O-O"), "e1g1");
    EXPECT_EQ(named("O-O-O+"), "e1c1");
    EXPECT_EQ(named("exd6"), "e5d6");        // en passant
    EXPECT_EQ(named("bxa8=N"), "b7a8n");
    EXPECT_EQ(named("b8=Q#"), "b7b8q");
    EXPECT_EQ(named("Ncd5"), "c3d5");        // the file tells the knights apart
    EXPECT_EQ(named("Nd5"), "0000");         // ambiguous
    EXPECT_EQ(named("Ne5!?"), "0000");       // no knight reaches it
    EXPECT_EQ(named("Rad1"), "a1d1");
    EXPECT_EQ(named("Rhd1"), "0000");        // the king is in the way
    EXPECT_EQ(named("b8"), "0000");          // a promotion needs its piece
    EXPECT_EQ(named("x"), "0000");
}

}  // namespace
