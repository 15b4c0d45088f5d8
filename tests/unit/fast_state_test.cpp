// The state kept beside the board and the fast paths that read it, each
// against its plain counterpart: the bitboards, counts, king squares and
// piece hash against a rebuild; the hash against compute_hash, also across
// the colour commands; make_move's legality against a full attack test;
// evaluate against evaluate_from_scratch and its pawn cache.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/attack.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "board_support.h"
#include "eval/evaluate.h"

namespace {

// Pins, checks, en passant beside the king, promotions and castling.
const char* const positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "8/8/8/K2pP2r/8/8/8/4k3 w - d6 0 1",     // en passant would open the rank to the king
    "6b1/8/8/3pP3/8/8/K7/4k3 w - d6 0 1",    // or, by the taken pawn alone, a diagonal
    "4k3/8/8/1b6/8/3N4/4K3/8 w - - 0 1",      // the knight is pinned on the diagonal
    "4k3/4r3/8/8/4B3/8/8/4K3 w - - 0 1",      // the bishop is pinned on the file
    "3qk3/8/8/8/8/8/3PP3/3QK2r w - - 0 1",    // in check along the first rank
    "4k3/8/8/q7/8/8/3P4/4K3 w - - 0 1",       // the d-pawn is pinned on the diagonal
    "4k3/8/8/q7/8/2N5/3P4/4K3 w - - 0 1",     // two pieces on that diagonal: neither is pinned
};

std::vector<Move> generated_moves() {
    search_ply = 0;
    generate_moves();
    std::vector<Move> moves;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) moves.push_back(move_list[i].move);
    return moves;
}

// The king of `colour` stands attacked after `move` is played on a copy of
// the board arrays, by the full attack test on state rebuilt from scratch.
// Castling is left to make_move's own tests.
bool leaves_king_attacked(Move move, int colour) {
    int color[64], piece[64];
    std::memcpy(color, square_color, sizeof color);
    std::memcpy(piece, square_piece, sizeof piece);
    const int from = move_from(move), to = move_to(move), flags = move_flags(move);
    square_color[to] = colour;
    square_piece[to] = (flags & MOVE_PROMOTION) ? move_promotion(move) : square_piece[from];
    square_color[from] = square_piece[from] = EMPTY;
    if (flags & MOVE_EN_PASSANT) {
        const int victim = colour == WHITE ? to + 8 : to - 8;
        square_color[victim] = square_piece[victim] = EMPTY;
    }
    rebuild_board_state();
    const int king = king_square(colour);
    const bool attacked = king < 0 || is_attacked(king, colour ^ 1);
    std::memcpy(square_color, color, sizeof color);
    std::memcpy(square_piece, piece, sizeof piece);
    rebuild_board_state();
    return attacked;
}

// The attack along one line by coordinates: from `target` through `through`
// to the first piece, which must be an `attacker` bishop, rook or queen that
// moves along such a line.
int reference_attack_through(int target, int through, int attacker) {
    const int dr = through / 8 - target / 8, df = through % 8 - target % 8;
    if (dr == 0 && df == 0) return 0;
    if (dr != 0 && df != 0 && std::abs(dr) != std::abs(df)) return 0;
    const int sr = (dr > 0) - (dr < 0), sf = (df > 0) - (df < 0);
    const bool diagonal = sr != 0 && sf != 0;
    for (int r = target / 8 + sr, f = target % 8 + sf; r >= 0 && r < 8 && f >= 0 && f < 8; r += sr, f += sf) {
        const int s = r * 8 + f;
        if (square_color[s] == EMPTY) continue;
        if (square_color[s] != attacker) return 0;
        const int p = square_piece[s];
        return p == QUEEN || p == (diagonal ? BISHOP : ROOK);
    }
    return 0;
}

class FastState : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }
};

}  // namespace

// Random games with the move handed over now and then: after every move made
// and taken back the kept state is what a rebuild gives, the hash after a
// move is compute_hash's, and evaluate agrees with the plain evaluation,
// scratch included.
TEST_F(FastState, KeptStateFollowsRandomGamesWithColourChanges) {
    std::mt19937 random(12);
    for (const char* fen : positions) {
        load(fen);
        for (int ply = 0; ply < 60; ++ply) {
            if (random() % 5 == 0) hand_move_to(static_cast<int>(random() % 2));
            std::vector<Move> legal;
            for (const Move m : generated_moves()) {
                if (!make_move(m)) {
                    ASSERT_TRUE(board_state_is_ok()) << fen << " refused " << m;
                    continue;
                }
                legal.push_back(m);
                ASSERT_TRUE(board_state_is_ok()) << position_to_fen();
                const std::uint32_t kept = position_hash;
                compute_hash();
                ASSERT_EQ(position_hash, kept) << position_to_fen();
                const int fast = evaluate();
                int file_rank[2][10];
                std::memcpy(file_rank, pawn_file_rank, sizeof file_rank);
                ASSERT_EQ(fast, evaluate_from_scratch()) << position_to_fen();
                ASSERT_EQ(std::memcmp(file_rank, pawn_file_rank, sizeof file_rank), 0) << position_to_fen();
                unmake_move();
                ASSERT_TRUE(board_state_is_ok()) << fen;
            }
            if (legal.empty()) break;
            ASSERT_EQ(make_move(legal[random() % legal.size()]), 1);
        }
    }
}

// A colour command leaves the hash as it was; the next move composes it from
// scratch, and taking that move back restores the hash from before it.
TEST_F(FastState, HashAcrossAColourCommandIsComposedAsFromScratch) {
    reset_position();
    const std::vector<Move> first = generated_moves();
    Move e2e4 = 0;
    for (const Move m : first)
        if (move_from(m) == square("e2") && move_to(m) == square("e4")) e2e4 = m;
    ASSERT_NE(e2e4, 0);
    ASSERT_EQ(make_move(e2e4), 1);
    const std::uint32_t after_e4 = position_hash;
    hand_move_to(WHITE);
    EXPECT_EQ(position_hash, after_e4);
    for (const Move m : generated_moves()) {
        if (!make_move(m)) continue;
        const std::uint32_t kept = position_hash;
        compute_hash();
        EXPECT_EQ(kept, position_hash);
        unmake_move();
        EXPECT_EQ(position_hash, after_e4);
        EXPECT_EQ(side_to_move, WHITE);
    }
}

// make_move's answer for every generated move, castling aside, is the full
// attack test's: pinned pieces, en passant that opens a line, moves while in
// check, king moves. Played along random games for more placements.
TEST_F(FastState, LegalityAgreesWithTheFullAttackTest) {
    std::mt19937 random(7);
    int refused = 0, made_count = 0;
    for (const char* fen : positions) {
        load(fen);
        for (int ply = 0; ply < 30; ++ply) {
            std::vector<Move> legal;
            for (const Move m : generated_moves()) {
                if (move_flags(m) & MOVE_CASTLE) continue;
                const int mover = side_to_move;
                const bool expected = !leaves_king_attacked(m, mover);
                // Once with the check status unknown, once known: make_move
                // takes the short test only when it knows the side is not in check.
                for (int known = 0; known < 2; ++known) {
                    if (known) side_in_check(mover);
                    const int made = make_move(m);
                    ASSERT_EQ(made, expected ? 1 : 0) << position_to_fen() << " move " << m << " known " << known;
                    if (!made) {
                        ++refused;
                        continue;
                    }
                    ++made_count;
                    unmake_move();
                }
                if (expected) legal.push_back(m);
            }
            if (legal.empty()) break;
            ASSERT_EQ(make_move(legal[random() % legal.size()]), 1);
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(made_count, 10000);
}

TEST_F(FastState, AttackThroughALineIsTheFirstPieceOnIt) {
    for (const char* fen : positions) {
        load(fen);
        for (int attacker = WHITE; attacker <= BLACK; ++attacker)
            for (int target = 0; target < 64; ++target)
                for (int through = 0; through < 64; ++through)
                    ASSERT_EQ(is_attacked_through(target, through, attacker),
                              reference_attack_through(target, through, attacker))
                        << fen << " target " << target << " through " << through << " by " << attacker;
    }
}

// The check status is per colour, so handing the move over keeps it right.
TEST_F(FastState, CheckStatusHoldsForBothColoursAcrossColourCommands) {
    load("3qk3/8/8/8/8/8/3PP3/3QK2r w - - 0 1");
    EXPECT_EQ(side_in_check(WHITE), 1);
    EXPECT_EQ(side_in_check(BLACK), 0);
    hand_move_to(BLACK);
    EXPECT_EQ(side_in_check(WHITE), 1);
    EXPECT_EQ(side_in_check(BLACK), 0);
    for (const Move m : generated_moves()) {
        if (!make_move(m)) continue;
        EXPECT_EQ(side_in_check(BLACK), 0);
        unmake_move();
        EXPECT_EQ(side_in_check(WHITE), 1);
        EXPECT_EQ(side_in_check(BLACK), 0);
    }
}

// Direct writes to the board arrays leave the kept state behind until
// rebuild_board_state; a refused FEN brings back the old position's state.
TEST_F(FastState, RebuildAfterDirectWritesAndAfterARefusedFen) {
    load(positions[1]);
    ASSERT_TRUE(board_state_is_ok());
    square_color[square("e4")] = square_piece[square("e4")] = EMPTY;
    EXPECT_FALSE(board_state_is_ok());
    rebuild_board_state();
    EXPECT_TRUE(board_state_is_ok());

    load(positions[1]);
    const int score = evaluate();
    const std::uint32_t hash = position_hash;
    const std::uint32_t pieces = piece_hash;
    EXPECT_NE(load_fen("4k3/8/8/8/8/8/8/4R1K1 w - - 0 1"), nullptr);  // Black, not to move, in check
    EXPECT_TRUE(board_state_is_ok());
    EXPECT_EQ(piece_hash, pieces);
    EXPECT_EQ(position_hash, hash);
    EXPECT_EQ(evaluate(), score);
    EXPECT_EQ(king_square(WHITE), square("e1"));
    EXPECT_EQ(king_square(BLACK), square("e8"));
}

// Positions that share a pawn placement but not their pieces, and positions
// one pawn apart, evaluated in turn: each reads its own cache entry.
TEST_F(FastState, PawnCacheServesEachPlacementItsOwnTerms) {
    const char* const pairs[] = {
        "r3k2r/pppq1ppp/2n5/3pp3/3PP3/2N5/PPPQ1PPP/R3K2R w KQkq - 0 1",
        "4k3/pppq1ppp/8/3pp3/3PP3/8/PPP2PPP/4K3 w - - 0 1",
        "r3k2r/pppq1ppp/2n5/3pp3/3PP3/2N5/PPPQ1PPP/R3K2R b KQkq - 0 1",
        "r3k2r/pppq1ppp/2n5/3pp3/3PP3/2N5/PPPQ2PP/R3K2R w KQkq - 0 1",
        "r3k2r/pppq1ppp/2n5/4p3/3PP3/2N5/PPPQ1PPP/R3K2R w KQkq - 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/R3K3 w - - 0 1",
    };
    for (int round = 0; round < 2; ++round) {
        for (const char* fen : pairs) {
            load(fen);
            const int fast = evaluate();
            EXPECT_EQ(fast, evaluate_from_scratch()) << fen;
        }
    }
}
