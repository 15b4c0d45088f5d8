// The border-board geometry, the consistency check, and what the hash and
// the repetition count do and do not see.
#include <gtest/gtest.h>

#include <cstdint>

#include "board_support.h"

// Every direction of every piece, from every square, must land where file
// and rank arithmetic says, or off the board; no step may wrap to the
// other edge. A step on the 10-wide board is 10 per rank plus files.
TEST(BoardGeometry, StepsLandWhereFileAndRankArithmeticSays) {
    int on_board = 0;
    for (int i = 0; i < 120; ++i)
        if (border_board[i] != -1) {
            ++on_board;
            EXPECT_EQ(square_to_border[border_board[i]], i);
        }
    EXPECT_EQ(on_board, 64);
    for (int piece = KNIGHT; piece <= KING; ++piece) {
        for (int d = 0; d < piece_direction_count[piece]; ++d) {
            const int step = piece_directions[piece][d];
            const int rows = (step + 25) / 10 - 2;
            const int files = step - 10 * rows;
            for (int s = 0; s < 64; ++s) {
                const int row = s / 8 + rows, file = s % 8 + files;
                const int expected = (row < 0 || row > 7 || file < 0 || file > 7) ? -1 : row * 8 + file;
                EXPECT_EQ(border_board[square_to_border[s] + step], expected)
                    << "piece " << piece << " step " << step << " from " << s;
            }
        }
    }
}

// The perft slow checks lean on position_is_ok; it must see each kind of damage.
TEST(BoardPosition, ConsistencyCheckSeesEachKindOfDamage) {
    auto damaged = [](auto&& damage) {
        reset_position();
        damage();
        return !position_is_ok();
    };
    reset_position();
    EXPECT_TRUE(position_is_ok());
    EXPECT_TRUE(damaged([] { square_color[20] = WHITE; }));                              // colour without piece
    EXPECT_TRUE(damaged([] { square_piece[20] = KNIGHT; }));                             // piece without colour
    EXPECT_TRUE(damaged([] { square_piece[59] = KING; compute_hash(); }));               // two white kings
    EXPECT_TRUE(damaged([] { square_color[4] = square_piece[4] = EMPTY; compute_hash(); }));  // no black king
    EXPECT_TRUE(damaged([] { square_piece[1] = PAWN; compute_hash(); }));                // pawn on rank 8
    EXPECT_TRUE(damaged([] { side_not_to_move = WHITE; }));
    EXPECT_TRUE(damaged([] { position_hash ^= 1; }));
    EXPECT_TRUE(damaged([] { search_ply = MAX_PLY; }));
    EXPECT_TRUE(damaged([] { history_ply = HISTORY_SIZE + 1; }));
    reset_position();
    position_hash ^= 1;
    EXPECT_TRUE(position_is_ok(false));  // the hash check can be left out
    reset_position();
}

TEST(BoardPosition, HashSeesSideToMoveButNotCastlingRightsOrClocks) {
    const auto hash_of = [](const char* fen) {
        load(fen);
        return position_hash;
    };
    const std::uint32_t white = hash_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(white ^ hash_of("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), zobrist_black_to_move);
    EXPECT_EQ(white, hash_of("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1"));
    EXPECT_EQ(white, hash_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 33 70"));
}

TEST(BoardRepetition, KnightShufflesCountEarlierOccurrencesSinceThePawnMove) {
    reset_position();
    play("g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(repetition_count(), 1);
    play("g1f3");
    EXPECT_EQ(repetition_count(), 1);  // the position after g1f3 occurred once before
    play("g8f6 f3g1 f6g8");
    EXPECT_EQ(repetition_count(), 2);
    play("e2e4");
    EXPECT_EQ(repetition_count(), 0);
    play("g8f6 g1f3 f6g8 f3g1");
    EXPECT_EQ(repetition_count(), 0);  // right after e2e4 the ep square was in the hash
    play("g8f6");
    EXPECT_EQ(repetition_count(), 1);  // only since the pawn move

    // The records of a discarded game still hold the start position's hash;
    // they must not count in the new game.
    reset_position();
    EXPECT_EQ(repetition_count(), 0);
    play("g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(repetition_count(), 1);
}

TEST(BoardRepetition, LostCastlingRightsDoNotMakeADifferentPosition) {
    reset_position();
    play("e2e4 e7e5 g1f3 g8f6 e1e2 e8e7 e2e1 e7e8");
    EXPECT_EQ(castle_rights, 0);
    EXPECT_EQ(repetition_count(), 1);
}

// A clock loaded from FEN may exceed the moves in the history.
TEST(BoardRepetition, ClockFromFenLongerThanTheHistory) {
    load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 40 60");
    EXPECT_EQ(repetition_count(), 0);
    play("g1f3 g8f6 f3g1 f6g8");
    EXPECT_EQ(repetition_count(), 1);
}
