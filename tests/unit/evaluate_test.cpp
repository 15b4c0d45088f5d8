// Material, pawn structure, rook files and colour symmetry of evaluate().
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "board_support.h"
#include "epd.h"
#include "eval/evaluate.h"

namespace {

// Loads `fen` and evaluates it, which also leaves the scratch built.
int eval_fen(const char* fen) {
    load(fen);
    return evaluate();
}

// What the piece on `name` adds to its own side: the score it takes away when lifted off.
int piece_worth(const char* name) {
    const int s = square(name), color = square_color[s], piece = square_piece[s];
    const int with = evaluate();
    square_color[s] = square_piece[s] = EMPTY;
    rebuild_board_state();
    const int without = evaluate();
    square_color[s] = color;
    square_piece[s] = piece;
    rebuild_board_state();
    return color == side_to_move ? with - without : without - with;
}

// Reflects the board through its middle, swaps the colours and hands the move
// over; its own inverse.
void mirror_position() {
    for (int s = 0; s < 32; ++s) {
        std::swap(square_color[s], square_color[s ^ 56]);
        std::swap(square_piece[s], square_piece[s ^ 56]);
    }
    for (int s = 0; s < 64; ++s)
        if (square_color[s] != EMPTY) square_color[s] ^= 1;
    std::swap(side_to_move, side_not_to_move);
    rebuild_board_state();
}

}  // namespace

TEST(Evaluate, StartPositionIsLevelForEitherSide) {
    EXPECT_EQ(eval_fen(START_FEN), 0);
    EXPECT_EQ(piece_material[WHITE], 3120);
    EXPECT_EQ(piece_material[BLACK], 3120);
    EXPECT_EQ(pawn_material[WHITE], 800);
    EXPECT_EQ(pawn_material[BLACK], 800);
    EXPECT_EQ(eval_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
}

// Each pawn's term is its table value plus its penalties and bonus.
TEST(Evaluate, DoubledIsolatedBackwardAndPassedPawns) {
    eval_fen("4k3/3ppp2/8/4p3/4P3/8/3PPP2/4K3 w - - 0 1");  // only the rearmost of two escapes
    EXPECT_EQ(eval_white_pawn(square("e4")), 8 - DOUBLED_PAWN_PENALTY);
    EXPECT_EQ(eval_white_pawn(square("e2")), -30);
    EXPECT_EQ(eval_black_pawn(square("e5")), 8 - DOUBLED_PAWN_PENALTY);
    EXPECT_EQ(eval_black_pawn(square("e7")), -30);

    eval_fen("4k3/p6p/8/8/8/8/P6P/4K3 w - - 0 1");  // edge files: isolated, not backward
    for (const char* name : {"a2", "h2"}) EXPECT_EQ(eval_white_pawn(square(name)), -ISOLATED_PAWN_PENALTY) << name;
    for (const char* name : {"a7", "h7"}) EXPECT_EQ(eval_black_pawn(square(name)), -ISOLATED_PAWN_PENALTY) << name;

    eval_fen("4k3/pp6/8/8/8/1P6/P7/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(square("a2")), -BACKWARD_PAWN_PENALTY);
    EXPECT_EQ(eval_white_pawn(square("b3")), 2);
    eval_fen("4k3/pp6/8/8/8/8/PP6/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(square("a2")), 0);
    eval_fen("4k3/p7/1p6/8/8/8/PP6/4K3 w - - 0 1");
    EXPECT_EQ(eval_black_pawn(square("a7")), -BACKWARD_PAWN_PENALTY);

    // A pawn level on the next file does not stop a passed pawn, nor one behind it.
    eval_fen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(square("e5")), 12 - ISOLATED_PAWN_PENALTY + 4 * PASSED_PAWN_STEP);
    EXPECT_EQ(eval_black_pawn(square("d5")), 8 - ISOLATED_PAWN_PENALTY + 3 * PASSED_PAWN_STEP);
    eval_fen("4k3/8/5p2/3pP3/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(square("e5")), 12 - ISOLATED_PAWN_PENALTY);
    EXPECT_EQ(eval_fen("4k3/8/8/4P3/3p4/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(eval_white_pawn(square("e5")), 12 - ISOLATED_PAWN_PENALTY + 4 * PASSED_PAWN_STEP);
    eval_fen("4k3/7P/8/8/8/8/p7/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(square("h7")), 5 - ISOLATED_PAWN_PENALTY + 6 * PASSED_PAWN_STEP);
    EXPECT_EQ(eval_black_pawn(square("a2")), 5 - ISOLATED_PAWN_PENALTY + 6 * PASSED_PAWN_STEP);
}

TEST(Evaluate, RookFilesAndSeventhRank) {
    struct Case { const char* fen; const char* rook; int bonus; };
    const Case cases[] = {
        {"7k/8/8/8/8/8/8/3R3K w - - 0 1", "d1", 15},
        {"7k/8/3p4/8/8/8/8/3R3K w - - 0 1", "d1", 10},
        {"7k/8/3p4/8/8/8/3P4/3R3K w - - 0 1", "d1", 0},
        {"7k/3R4/3p4/8/8/8/8/7K w - - 0 1", "d7", 25},
        {"7k/8/8/8/8/8/3r4/7K w - - 0 1", "d2", 30},
    };
    for (const Case& c : cases) {
        eval_fen(c.fen);
        EXPECT_EQ(piece_worth(c.rook), 475 + c.bonus) << c.fen;
    }
}

// Every position must score the same as its colour mirror: catches a table
// read without mirror_square, a wrong sentinel, or a one-sided comparison.
TEST(Evaluate, MirroredPositionsScoreTheSame) {
    std::mt19937 random(20240611);
    int checked = 0;
    for (const PerftCase& c : read_epd()) {
        for (int game = 0; game < 40; ++game) {
            load(c.fen.c_str());
            checked += random_walk(random, 120, [] {
                const int score = evaluate();
                mirror_position();
                ASSERT_EQ(evaluate(), score) << position_to_fen();
                mirror_position();
            });
        }
    }
    EXPECT_GT(checked, 10000);
}
