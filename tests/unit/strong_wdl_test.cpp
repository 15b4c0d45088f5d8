// What a score means: chances that sum to a thousand, grow with the score,
// mirror for the other side, and a model that fits the results it was fed.
#include <gtest/gtest.h>

#include "strong/wdl.h"

namespace {

using namespace strong;

TEST(Wdl, ChancesSumToAThousandGrowWithTheScoreAndMirror) {
    for (int material : {17, 30, 58, 78}) {
        int last_win = -1;
        for (int score = -1500; score <= 1500; score += 25) {
            const Wdl w = wdl_from_score(score, material);
            EXPECT_EQ(w.win + w.draw + w.loss, 1000) << score;
            EXPECT_GE(w.draw, 0);
            EXPECT_GE(w.win, last_win) << score;
            last_win = w.win;
            const Wdl mirror = wdl_from_score(-score, material);
            EXPECT_EQ(w.win, mirror.loss) << score;
            EXPECT_EQ(w.draw, mirror.draw) << score;
        }
        // Level, a draw is the likeliest result; a rook up, a win.
        const Wdl level = wdl_from_score(0, material);
        EXPECT_EQ(level.win, level.loss);
        EXPECT_GE(level.draw, level.win) << material;
        const Wdl rook_up = wdl_from_score(500, material);
        EXPECT_GT(rook_up.win, 5 * rook_up.loss) << material;
    }
    // Out of range material and huge scores stay in bounds.
    EXPECT_EQ(wdl_from_score(32000, 200).win, 1000);
    EXPECT_EQ(wdl_from_score(-32000, -5).loss, 1000);
}

TEST(Wdl, MaterialCountsPiecesByTheirPawns) {
    Position pos;
    ASSERT_TRUE(set_fen(pos, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"));
    EXPECT_EQ(wdl_material(pos), 78);
    ASSERT_TRUE(set_fen(pos, "4k3/8/8/8/8/8/4P3/R3K3 w - - 0 1"));
    EXPECT_EQ(wdl_material(pos), 6);
}

}  // namespace
