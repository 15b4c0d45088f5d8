// Attack detection against a plain file-and-rank version, and its edge cases.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "board/attack.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace {

int square_of(const char* name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

// The slow, obvious version: coordinates instead of the border board.
int reference_attacked(int target, int by) {
    const int tr = target / 8, tf = target % 8;
    for (int s = 0; s < 64; ++s) {
        if (square_color[s] != by) continue;
        const int dr = tr - s / 8, df = tf - s % 8;
        const int adr = std::abs(dr), adf = std::abs(df);
        if (adr == 0 && adf == 0) continue;
        switch (square_piece[s]) {
            case PAWN:
                if (dr == (by == WHITE ? -1 : 1) && adf == 1) return 1;
                continue;
            case KNIGHT:
                if (adr * adf == 2) return 1;
                continue;
            case KING:
                if (adr <= 1 && adf <= 1) return 1;
                continue;
            default: break;
        }
        const bool straight = adr == 0 || adf == 0, diagonal = adr == adf;
        const int piece = square_piece[s];
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

void expect_attacks_match_reference(const char* where) {
    for (int by = WHITE; by <= BLACK; ++by)
        for (int target = 0; target < 64; ++target)
            ASSERT_EQ(is_attacked(target, by), reference_attacked(target, by))
                << "square " << target << " by " << by << " in " << where;
}

const char* const positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    // Pieces hugging every edge, where a wrong step wraps round.
    "NbB2rRN/P6p/7k/p6P/P6p/K7/p6P/N1n1Qq1n b - - 0 1",
    "Q6q/1B4b1/5K2/2R5/2r5/4k3/1b4B1/q6Q w - - 0 1",
};

class BoardAttack : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }
};

}  // namespace

TEST_F(BoardAttack, StartPosition) {
    reset_position();
    EXPECT_EQ(is_attacked(20, WHITE), 0);  // e6
    EXPECT_EQ(is_attacked(40, WHITE), 1);  // a3: pawn b2, knight b1
    EXPECT_EQ(is_attacked(44, BLACK), 0);  // e3
    EXPECT_EQ(side_in_check(WHITE), 0);
    EXPECT_EQ(side_in_check(BLACK), 0);
}

TEST_F(BoardAttack, PawnsDoNotAttackAcrossTheEdge) {
    ASSERT_EQ(load_fen("4k3/p6p/8/8/8/8/P6P/4K3 w - - 0 1"), nullptr);
    EXPECT_EQ(is_attacked(41, WHITE), 1);  // a2 attacks b3
    EXPECT_EQ(is_attacked(39, WHITE), 0);  // but not h4, 48 - 9
    EXPECT_EQ(is_attacked(46, WHITE), 1);  // h2 attacks g3
    EXPECT_EQ(is_attacked(48, WHITE), 0);  // but not a2 itself, 55 - 7
    EXPECT_EQ(is_attacked(17, BLACK), 1);  // a7 attacks b6
    EXPECT_EQ(is_attacked(15, BLACK), 0);  // but not h7, 8 + 7
    EXPECT_EQ(is_attacked(22, BLACK), 1);  // h7 attacks g6
    EXPECT_EQ(is_attacked(24, BLACK), 0);  // but not a5, 15 + 9
}

// A blocker stops the ray, whatever its colour; the target itself may hold anything.
TEST_F(BoardAttack, RookRayStopsAtABlockerButReachesAnOccupiedTarget) {
    ASSERT_EQ(load_fen("k7/8/8/8/8/8/8/R3K3 b - - 0 1"), nullptr);
    EXPECT_EQ(is_attacked(0, WHITE), 1);
    ASSERT_EQ(load_fen("k7/8/8/8/P7/8/8/R3K3 b - - 0 1"), nullptr);
    EXPECT_EQ(is_attacked(0, WHITE), 0);
    ASSERT_EQ(load_fen("k7/8/8/8/n7/8/8/R3K3 b - - 0 1"), nullptr);
    EXPECT_EQ(is_attacked(0, WHITE), 0);
    EXPECT_EQ(is_attacked(square_of("a4"), WHITE), 1);
}

TEST_F(BoardAttack, KnightOnG1) {
    ASSERT_EQ(load_fen("4k3/8/8/8/8/8/8/4K1N1 w - - 0 1"), nullptr);
    square_color[60] = square_piece[60] = EMPTY;  // only the knight attacks now
    rebuild_board_state();
    for (int s = 0; s < 64; ++s) {
        const bool expected = s == square_of("e2") || s == square_of("f3") || s == square_of("h3");
        EXPECT_EQ(is_attacked(s, WHITE), expected ? 1 : 0) << s;
    }
}

TEST_F(BoardAttack, MissingKingCountsAsInCheck) {
    reset_position();
    square_color[4] = square_piece[4] = EMPTY;
    rebuild_board_state();
    EXPECT_EQ(side_in_check(BLACK), 1);
    EXPECT_EQ(side_in_check(WHITE), 0);
    reset_position();
}

TEST_F(BoardAttack, AgreesWithTheReferenceInFixedPositions) {
    for (const char* fen : positions) {
        ASSERT_EQ(load_fen(fen), nullptr) << fen;
        expect_attacks_match_reference(fen);
    }
}

// Random games reach placements nobody would write down by hand.
TEST_F(BoardAttack, AgreesWithTheReferenceAlongRandomGames) {
    std::mt19937 random(2024);
    for (const char* fen : positions) {
        ASSERT_EQ(load_fen(fen), nullptr);
        for (int ply = 0; ply < 40; ++ply) {
            expect_attacks_match_reference(fen);
            search_ply = 0;
            generate_moves();
            Move legal[256];
            int count = 0;
            for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
                if (!make_move(move_list[i].move)) continue;
                legal[count++] = move_list[i].move;
                unmake_move();
            }
            if (count == 0) break;
            ASSERT_EQ(make_move(legal[random() % count]), 1);
        }
    }
}
