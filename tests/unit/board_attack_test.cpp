// Attack detection against a plain file-and-rank version, and the missing king.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "board/attack.h"
#include "board_support.h"

namespace {

// The slow, obvious version: coordinates instead of the border board.
int reference_attacked(int target, int by) {
    const int tr = target / 8, tf = target % 8;
    for (int s = 0; s < 64; ++s) {
        if (square_color[s] != by) continue;
        const int dr = tr - s / 8, df = tf - s % 8;
        const int adr = std::abs(dr), adf = std::abs(df);
        const int piece = square_piece[s];
        if (adr == 0 && adf == 0) continue;
        if (piece == PAWN && dr == (by == WHITE ? -1 : 1) && adf == 1) return 1;
        if (piece == KNIGHT && adr * adf == 2) return 1;
        if (piece == KING && adr <= 1 && adf <= 1) return 1;
        const bool straight = adr == 0 || adf == 0, diagonal = adr == adf;
        if (!((straight && (piece == ROOK || piece == QUEEN)) || (diagonal && (piece == BISHOP || piece == QUEEN))))
            continue;
        const int sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
        bool clear = true;
        for (int r = s / 8 + sr, f = s % 8 + sf; r != tr || f != tf; r += sr, f += sf)
            if (square_color[r * 8 + f] != EMPTY) clear = false;
        if (clear) return 1;
    }
    return 0;
}

}  // namespace

// Random games from fixed positions, some with pieces hugging every edge
// where a wrong step wraps round, reach placements nobody writes by hand.
TEST(BoardAttack, AgreesWithThePlainVersionAlongRandomGames) {
    std::vector<const char*> starts(std::begin(rich_positions), std::end(rich_positions));
    starts.push_back("NbB2rRN/P6p/7k/p6P/P6p/K7/p6P/N1n1Qq1n b - - 0 1");
    starts.push_back("Q6q/1B4b1/5K2/2R5/2r5/4k3/1b4B1/q6Q w - - 0 1");
    std::mt19937 random(2024);
    for (const char* fen : starts) {
        load(fen);
        random_walk(random, 40, [&] {
            for (int by = WHITE; by <= BLACK; ++by)
                for (int target = 0; target < 64; ++target)
                    ASSERT_EQ(is_attacked(target, by), reference_attacked(target, by))
                        << "square " << target << " by " << by << " in " << position_to_fen();
        });
    }
}

TEST(BoardAttack, MissingKingCountsAsInCheck) {
    load("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    square_color[square("e8")] = square_piece[square("e8")] = EMPTY;
    rebuild_board_state();
    EXPECT_EQ(side_in_check(BLACK), 1);
    EXPECT_EQ(side_in_check(WHITE), 0);
}
