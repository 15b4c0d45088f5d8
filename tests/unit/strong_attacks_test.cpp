// The strong board's attack tables: every magic lookup against rays traced
// square by square, and the between and line tables against coordinates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "strong/attacks.h"

namespace {

class StrongAttacks : public ::testing::Test {
protected:
    void SetUp() override { strong::init_strong(); }
};

// Every occupancy of every mask, so a magic that sends two different attack
// sets to one index, a wrong shift or a mask missing a square is caught.
TEST_F(StrongAttacks, EveryMaskSubsetMatchesTracedRays) {
    for (int s = 0; s < 64; ++s) {
        for (const bool diagonal : {true, false}) {
            const strong::Magic& m = diagonal ? strong::bishop_magics[s] : strong::rook_magics[s];
            // The mask lies within the empty board's attacks and sets the index width.
            const Bitboard empty_board = strong::slider_attacks_by_rays(s, 0, diagonal);
            EXPECT_EQ(m.mask & ~empty_board, 0u) << s;
            EXPECT_EQ(__builtin_popcountll(m.mask), 64 - static_cast<int>(m.shift)) << s;
            Bitboard subset = 0;
            int count = 0;
            do {
                const Bitboard got = diagonal ? strong::bishop_attacks(s, subset) : strong::rook_attacks(s, subset);
                ASSERT_EQ(got, strong::slider_attacks_by_rays(s, subset, diagonal)) << "square " << s << " diagonal "
                                                                                    << diagonal << " occupancy " << subset;
                subset = (subset - m.mask) & m.mask;
                ++count;
            } while (subset);
            EXPECT_EQ(count, 1 << __builtin_popcountll(m.mask));
            // Squares outside the mask never change the answer.
            const Bitboard outside = ~m.mask;
            const Bitboard got = diagonal ? strong::bishop_attacks(s, outside) : strong::rook_attacks(s, outside);
            EXPECT_EQ(got, strong::slider_attacks_by_rays(s, outside, diagonal)) << s;
        }
    }
}

TEST_F(StrongAttacks, RandomOccupanciesAndTheQueen) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int s = static_cast<int>(random() % 64);
        const Bitboard occupied = random() & random();
        EXPECT_EQ(strong::queen_attacks(s, occupied), strong::slider_attacks_by_rays(s, occupied, true) |
                                                         strong::slider_attacks_by_rays(s, occupied, false));
    }
}

// The line tables by coordinates: squares strictly between two on a shared
// row, file or diagonal, and the whole line through them.
TEST_F(StrongAttacks, BetweenAndLineTables) {
    for (int s = 0; s < 64; ++s)
        for (int t = 0; t < 64; ++t) {
            const int dr = t / 8 - s / 8, df = t % 8 - s % 8;
            const bool aligned = s != t && (dr == 0 || df == 0 || std::abs(dr) == std::abs(df));
            Bitboard between = 0, line = 0;
            if (aligned) {
                const int sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
                for (int r = s / 8 + sr, f = s % 8 + sf; r * 8 + f != t; r += sr, f += sf) between |= square_bit(r * 8 + f);
                for (int k = -7; k <= 7; ++k) {
                    const int r = s / 8 + k * sr, f = s % 8 + k * sf;
                    if (r >= 0 && r < 8 && f >= 0 && f < 8) line |= square_bit(r * 8 + f);
                }
            }
            ASSERT_EQ(strong::between[s][t], between) << s << " " << t;
            ASSERT_EQ(strong::line[s][t], line) << s << " " << t;
        }
}

}  // namespace
