// Static exchange evaluation on hand-made positions: defended and undefended
// targets, x-rays behind rooks and pawns, en passant, promotions by the
// first capture and by a recapture, the king that may not take back, and
// see_ge's quick answers against the full exchange.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "strong/see.h"
#include "strong_support.h"

namespace {

struct Case {
    const char* name;
    const char* fen;
    const char* move;
    int value;
};

const Case cases[] = {
    {"undefended_pawn", "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1", "e4d5", 100},
    {"pawn_takes_defended_knight", "4k3/8/2p5/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 200},
    {"rook_takes_defended_pawn", "4k3/8/2p5/3p4/8/8/8/3RK3 w - - 0 1", "d1d5", -400},
    {"knight_for_knight", "4k3/8/2p5/3n4/8/4N3/8/4K3 w - - 0 1", "e3d5", 0},
    {"rook_behind_rook", "3r3k/8/8/3p4/8/8/3R4/3R3K w - - 0 1", "d2d5", 100},
    {"rook_behind_rook_removed", "3r3k/8/8/3p4/8/8/3R4/7K w - - 0 1", "d2d5", -400},
    {"defenders_rook_behind_rook", "3r3k/3r4/8/3p4/8/8/3R4/3R3K w - - 0 1", "d2d5", -400},
    {"bishop_behind_pawn", "7k/5n2/8/4p3/3P4/2B5/8/7K w - - 0 1", "d4e5", 100},
    {"bishop_behind_pawn_removed", "7k/5n2/8/4p3/3P4/8/8/7K w - - 0 1", "d4e5", 0},
    {"queen_to_attacked_square", "4k3/8/2p5/8/8/8/8/3QK3 w - - 0 1", "d1d5", -900},
    {"en_passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 100},
    {"en_passant_retaken", "4k3/2p5/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 0},
    {"promotion_by_capture", "3r3k/2P5/8/8/8/8/8/7K w - - 0 1", "c7d8q", 1300},
    {"promotion_retaken", "3r3k/2P5/8/8/8/8/8/7K w - - 0 1", "c7c8q", -100},
    {"under_promotion_retaken", "3r3k/2P5/8/8/8/8/8/7K w - - 0 1", "c7c8n", -100},
    {"recapture_promotes", "rN5k/P7/8/8/8/8/8/7K b - - 0 1", "a8b8", -1000},
    {"king_may_not_take_back", "3k4/3p4/8/8/8/8/3R4/3RK3 w - - 0 1", "d2d7", 100},
    {"king_takes_back", "3k4/3p4/8/8/8/8/3R4/4K3 w - - 0 1", "d2d7", -400},
    {"castling", "4k3/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", 0},
};

}  // namespace

TEST(StrongSee, HandMadeExchanges) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto pos = strong_from_fen(c.fen);
        const strong::Move m = strong::parse_uci_move(*pos, c.move);
        ASSERT_NE(m, strong::NO_MOVE) << c.move;
        EXPECT_EQ(strong::see(*pos, m), c.value);
        EXPECT_TRUE(strong::see_ge(*pos, m, c.value));
        EXPECT_FALSE(strong::see_ge(*pos, m, c.value + 1));
    }
}

// see_ge answers some thresholds from the first capture alone; it must
// always agree with the full exchange.
TEST(StrongSee, ThresholdsAgreeWithTheFullExchange) {
    std::mt19937 random(31);
    const int thresholds[] = {-1200, -900, -500, -400, -301, -300, -200, -101, -100, -1, 0,
                              1,     99,   100,  101,  200,  299,  300,  500,  900,  1300};
    int captures = 0;
    for (const char* fen : rich_positions)
        for (int walk = 0; walk < 4; ++walk) {
            auto pos = strong_from_fen(fen);
            strong_random_walk(*pos, random, 60, [&] {
                for (const strong::Move m : strong_legal_moves(*pos)) {
                    const int value = strong::see(*pos, m);
                    captures += pos->board[strong::move_to(m)] != strong::NO_PIECE;
                    for (const int t : thresholds)
                        ASSERT_EQ(strong::see_ge(*pos, m, t), value >= t)
                            << strong::to_fen(*pos) << " " << strong::move_to_uci(m) << " threshold " << t;
                }
            });
        }
    EXPECT_GT(captures, 2000);
}
