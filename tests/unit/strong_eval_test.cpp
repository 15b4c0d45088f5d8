// The classic evaluation ported to the strong board: the same score as the
// classic evaluate() in every position of many random walks, the same
// shelter values as the classic function, and colour symmetry.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board_support.h"
#include "epd.h"
#include "eval/evaluate.h"
#include "eval/king_safety.h"
#include "strong/classic_eval.h"
#include "strong_support.h"

namespace {

// Both boards in the same position give the same score, along random walks
// from the rich and the standard positions and their mirrors; the walks pass
// through openings, middlegames with castled kings and endgames below
// ENDGAME_PIECE_MATERIAL. The classic board is set by its own FEN reader.
TEST(StrongClassicEval, SameScoreAsTheClassicEvaluation) {
    auto cache = std::make_unique<strong::ClassicPawnCache>();
    std::vector<std::string> starts(std::begin(rich_positions), std::end(rich_positions));
    for (const PerftCase& c : read_epd()) starts.push_back(c.fen);
    std::mt19937 random(4242);
    int checked = 0, endgames = 0;
    for (const std::string& fen : starts)
        for (const std::string& start : {fen, mirror_fen(fen)})
            for (int walk = 0; walk < 2; ++walk) {
                auto pos = strong_from_fen(start);
                checked += strong_random_walk(*pos, random, 150, [&] {
                    load(strong::to_fen(*pos).c_str());
                    const int classic = evaluate();
                    ASSERT_EQ(strong::evaluate_classic(*pos, *cache), classic) << position_to_fen();
                    endgames += piece_material[WHITE] <= ENDGAME_PIECE_MATERIAL;
                });
            }
    EXPECT_GT(checked, 5000);
    EXPECT_GT(endgames, 500);
}

// The shelter values written again for the strong board, against the
// classic functions over every pair of rows, for both colours.
TEST(StrongClassicEval, ShelterValuesMatchTheClassicFunctions) {
    for (int own = 0; own < 8; ++own)
        for (int enemy = 0; enemy < 8; ++enemy) {
            pawn_file_rank[WHITE][4] = own;
            pawn_file_rank[BLACK][4] = enemy;
            EXPECT_EQ(strong::white_shelter_value(own, enemy), white_shelter_file(4)) << own << " " << enemy;
            pawn_file_rank[BLACK][4] = 7 - own;
            pawn_file_rank[WHITE][4] = 7 - enemy;
            EXPECT_EQ(strong::white_shelter_value(own, enemy), black_shelter_file(4)) << own << " " << enemy;
        }
}

// A position and its colour mirror score the same, each with its own cache
// and with one shared cache.
TEST(StrongClassicEval, MirroredPositionsScoreTheSame) {
    auto shared = std::make_unique<strong::ClassicPawnCache>();
    auto fresh = std::make_unique<strong::ClassicPawnCache>();
    auto mirrored = new_position();
    std::mt19937 random(77);
    int checked = 0;
    for (const char* fen : rich_positions)
        for (int walk = 0; walk < 3; ++walk) {
            auto pos = strong_from_fen(fen);
            checked += strong_random_walk(*pos, random, 150, [&] {
                ASSERT_TRUE(strong::set_fen(*mirrored, mirror_fen(strong::to_fen(*pos)).c_str()));
                const int score = strong::evaluate_classic(*pos, *shared);
                ASSERT_EQ(strong::evaluate_classic(*mirrored, *shared), score) << strong::to_fen(*pos);
                ASSERT_EQ(strong::evaluate_classic(*mirrored, *fresh), score) << strong::to_fen(*pos);
            });
        }
    EXPECT_GT(checked, 2000);
}

}  // namespace
