// Material, placement, pawn structure, rook files and colour symmetry of evaluate().
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "eval/evaluate.h"

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

int sq(const char* name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

class EvalTest : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }

    // Loads `fen` and evaluates it, which also leaves the scratch built.
    static int eval_fen(const char* fen) {
        const char* error = load_fen(fen);
        EXPECT_EQ(error, nullptr) << fen << ": " << error;
        return evaluate();
    }

    // What the piece on `name` adds to its own side: the score it takes away when lifted off.
    static int piece_worth(const char* name) {
        const int s = sq(name), color = square_color[s], piece = square_piece[s];
        const int with = evaluate();
        square_color[s] = square_piece[s] = EMPTY;
        rebuild_board_state();
        const int without = evaluate();
        square_color[s] = color;
        square_piece[s] = piece;
        rebuild_board_state();
        return color == side_to_move ? with - without : without - with;
    }
};

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

TEST_F(EvalTest, StartPositionIsLevelForEitherSide) {
    EXPECT_EQ(eval_fen(START_FEN), 0);
    EXPECT_EQ(piece_material[WHITE], 3120);
    EXPECT_EQ(piece_material[BLACK], 3120);
    EXPECT_EQ(pawn_material[WHITE], 800);
    EXPECT_EQ(pawn_material[BLACK], 800);
    EXPECT_EQ(eval_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1"), 0);
}

TEST_F(EvalTest, AfterE4WhiteIsThirtyEightUp) {
    // White 3790 against 3752: e2 -30 becomes e4 +8.
    EXPECT_EQ(eval_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"), -38);
    EXPECT_EQ(eval_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 1"), 38);
}

TEST_F(EvalTest, BareKingsCentraliseAndQueenIsMaterialOnly) {
    EXPECT_EQ(eval_fen("4k3/8/8/8/8/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(eval_fen("4k3/8/8/8/3K4/8/8/8 w - - 0 1"), 30);
    EXPECT_EQ(eval_fen("4k3/8/8/8/3K4/8/8/8 b - - 0 1"), -30);
    EXPECT_EQ(eval_fen("4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1"), 900);
    EXPECT_EQ(eval_fen("4k3/8/8/8/8/8/8/Q3K3 w - - 0 1"), 900);
}

TEST_F(EvalTest, DoubledPawnsOnlyTheRearmostEscapes) {
    eval_fen("4k3/3ppp2/8/4p3/4P3/8/3PPP2/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("e4")), 8 - 25);
    EXPECT_EQ(eval_white_pawn(sq("e2")), -30);
    EXPECT_EQ(eval_black_pawn(sq("e5")), 8 - 25);
    EXPECT_EQ(eval_black_pawn(sq("e7")), -30);
    eval_fen("4k3/3ppp2/8/8/4P3/4P3/3PPP2/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("e4")), 8 - 25);
    EXPECT_EQ(eval_white_pawn(sq("e3")), -10 - 25);
    EXPECT_EQ(eval_white_pawn(sq("e2")), -30);
}

TEST_F(EvalTest, IsolatedPawnsOnEdgeFilesPayOnlyTheIsolatedPenalty) {
    eval_fen("4k3/p6p/8/8/8/8/P6P/4K3 w - - 0 1");
    for (const char* name : {"a2", "h2"}) EXPECT_EQ(eval_white_pawn(sq(name)), -25) << name;
    for (const char* name : {"a7", "h7"}) EXPECT_EQ(eval_black_pawn(sq(name)), -25) << name;
}

TEST_F(EvalTest, BackwardPawns) {
    eval_fen("4k3/pp6/8/8/8/1P6/P7/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("a2")), -10);
    EXPECT_EQ(eval_white_pawn(sq("b3")), 2);
    eval_fen("4k3/pp6/8/8/8/8/PP6/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("a2")), 0);
    eval_fen("4k3/p7/1p6/8/8/8/PP6/4K3 w - - 0 1");
    EXPECT_EQ(eval_black_pawn(sq("a7")), -10);
    EXPECT_EQ(eval_black_pawn(sq("b6")), 2);
    eval_fen("4k3/2ppp3/8/8/4P3/2P5/3P4/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("d2")), -30 - 10);
}

TEST_F(EvalTest, PassedPawns) {
    // A pawn level on the next file does not stop it: e5 and d5 are both passed.
    EXPECT_EQ(eval_fen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1"), (100 + 67 + 30) - (100 + 43 + 30));
    EXPECT_EQ(eval_white_pawn(sq("e5")), 12 - 25 + 80);
    EXPECT_EQ(eval_black_pawn(sq("d5")), 8 - 25 + 60);
    eval_fen("4k3/8/5p2/3pP3/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("e5")), 12 - 25);
    // Nor does a pawn behind it.
    EXPECT_EQ(eval_fen("4k3/8/8/4P3/3p4/8/8/4K3 w - - 0 1"), 0);
    EXPECT_EQ(eval_white_pawn(sq("e5")), 12 - 25 + 80);
    eval_fen("4k3/7P/8/8/8/8/p7/4K3 w - - 0 1");
    EXPECT_EQ(eval_white_pawn(sq("h7")), 5 - 25 + 120);
    EXPECT_EQ(eval_black_pawn(sq("a2")), 5 - 25 + 120);
}

TEST_F(EvalTest, RookFilesAndSeventhRank) {
    struct Case { const char* fen; const char* rook; int bonus; };
    const Case cases[] = {
        {"7k/8/8/8/8/8/8/3R3K w - - 0 1", "d1", 15},
        {"7k/8/3p4/8/8/8/8/3R3K w - - 0 1", "d1", 10},
        {"7k/8/3p4/8/8/8/3P4/3R3K w - - 0 1", "d1", 0},
        {"7k/3R4/8/8/8/8/8/7K w - - 0 1", "d7", 30},
        {"7k/3R4/3p4/8/8/8/8/7K w - - 0 1", "d7", 25},
        {"7k/3R4/8/8/8/8/3P4/7K w - - 0 1", "d7", 15},
        {"3r3k/8/8/8/8/8/8/7K w - - 0 1", "d8", 15},
        {"3r3k/8/8/8/8/3P4/8/7K w - - 0 1", "d8", 10},
        {"3r3k/3p4/8/8/8/3P4/8/7K w - - 0 1", "d8", 0},
        {"7k/8/8/8/8/8/3r4/7K w - - 0 1", "d2", 30},
        {"7k/8/8/8/8/3P4/3r4/7K w - - 0 1", "d2", 25},
        {"7k/3p4/8/8/8/8/3r4/7K w - - 0 1", "d2", 15},
    };
    for (const Case& c : cases) {
        eval_fen(c.fen);
        EXPECT_EQ(piece_worth(c.rook), 475 + c.bonus) << c.fen;
    }
}

// Every position must score the same as its colour mirror: catches a table
// read without mirror_square, a wrong sentinel, or a one-sided comparison.
TEST_F(EvalTest, MirroredPositionsScoreTheSame) {
    std::vector<std::string> fens = {START_FEN};
    std::ifstream epd(TAVRIN_SOURCE_DIR "/tests/data/standard.epd");
    for (std::string line; std::getline(epd, line);)
        if (!line.empty()) fens.push_back(line.substr(0, line.find(';')));
    ASSERT_GT(fens.size(), 1u);

    std::mt19937 rng(20240611);
    int checked = 0;
    for (const std::string& fen : fens) {
        for (int game = 0; game < 40; ++game) {
            ASSERT_EQ(load_fen(fen.c_str()), nullptr) << fen;
            for (int ply = 0; ply < 120; ++ply) {
                const int score = evaluate();
                mirror_position();
                ASSERT_EQ(evaluate(), score) << position_to_fen();
                mirror_position();
                ++checked;

                search_ply = 0;
                generate_moves();
                std::vector<Move> moves;
                for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) moves.push_back(move_list[i].move);
                bool moved = false;
                while (!moves.empty() && !moved) {
                    const std::size_t pick = rng() % moves.size();
                    moved = make_move(moves[pick]) == 1;
                    moves[pick] = moves.back();
                    moves.pop_back();
                }
                search_ply = 0;
                if (!moved) break;
            }
        }
    }
    EXPECT_GT(checked, 10000);
}

}  // namespace
