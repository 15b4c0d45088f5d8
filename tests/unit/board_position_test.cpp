// The start position, the border-board geometry, the move packing, the
// consistency check and what the hash does and does not see.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace {

int square_of(const char* name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

// Plays "e2e4"-style text as the front end does: ply-0 list, then make_move.
int play(const char* text) {
    search_ply = 0;
    generate_moves();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        const Move m = move_list[i].move;
        if (move_from(m) == square_of(text) && move_to(m) == square_of(text + 2) && move_promotion(m) == 0)
            return make_move(m);
    }
    return -1;
}

void play_all(std::initializer_list<const char*> moves) {
    for (const char* m : moves) ASSERT_EQ(play(m), 1) << m;
}

std::pair<int, int> at(int square) { return {square_color[square], square_piece[square]}; }

std::uint32_t hash_of(const char* fen) {
    EXPECT_EQ(load_fen(fen), nullptr) << fen;
    return position_hash;
}

class BoardPosition : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }
};

}  // namespace

TEST_F(BoardPosition, ResetSetsTheStartPositionOverAGameInProgress) {
    ASSERT_EQ(load_fen("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 17 40"), nullptr);
    play_all({"e5d6", "a8b8"});
    search_ply = 7;
    ply_first_move[0] = 9;
    reset_position();

    EXPECT_EQ(at(60), std::make_pair(WHITE, KING));
    EXPECT_EQ(at(4), std::make_pair(BLACK, KING));
    EXPECT_EQ(at(59), std::make_pair(WHITE, QUEEN));
    EXPECT_EQ(at(3), std::make_pair(BLACK, QUEEN));
    for (int s = 16; s < 48; ++s) EXPECT_EQ(at(s), std::make_pair(EMPTY, EMPTY)) << s;
    EXPECT_EQ(std::to_array(square_color), std::to_array(initial_color));
    EXPECT_EQ(std::to_array(square_piece), std::to_array(initial_piece));
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(side_not_to_move, BLACK);
    EXPECT_EQ(castle_rights, 15);
    EXPECT_EQ(ep_square, -1);
    EXPECT_EQ(halfmove_clock, 0);
    EXPECT_EQ(search_ply, 0);
    EXPECT_EQ(history_ply, 0);
    EXPECT_EQ(ply_first_move[0], 0);
    EXPECT_EQ(position_hash, 0x35BA767Cu);
    EXPECT_TRUE(position_is_ok());
}

// The records of a discarded game still hold the start position's hash;
// they must not count as earlier occurrences in the new game.
TEST_F(BoardPosition, ResetDiscardsTheGameHistory) {
    reset_position();
    play_all({"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(repetition_count(), 2);
    reset_position();
    EXPECT_EQ(history_ply, 0);
    EXPECT_EQ(repetition_count(), 0);
    play_all({"g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(repetition_count(), 1);
}

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
    EXPECT_EQ(border_board[square_to_border[7] + 1], -1);     // east of h8
    EXPECT_EQ(border_board[square_to_border[56] - 12], -1);   // knight a1, two files west
    EXPECT_EQ(border_board[square_to_border[57] - 21], 40);   // b1 to a3
    EXPECT_EQ(border_board[square_to_border[57] - 19], 42);   // b1 to c3
    EXPECT_EQ(border_board[square_to_border[57] - 8], 51);    // b1 to d2
}

TEST(BoardMovePacking, FieldsSitInTheirBytes) {
    EXPECT_EQ(pack_move(52, 36, 0, 24), 52 + 36 * 256 + 24 * 16777216);
    const Move m = pack_move(9, 0, QUEEN, MOVE_PAWN | MOVE_PROMOTION | MOVE_CAPTURE);
    EXPECT_EQ(m, 0x31040009);
    EXPECT_EQ(move_from(m), 9);
    EXPECT_EQ(move_to(m), 0);
    EXPECT_EQ(move_promotion(m), QUEEN);
    EXPECT_EQ(move_flags(m), 49);
}

// The perft slow checks lean on position_is_ok; it must see each kind of damage.
TEST_F(BoardPosition, ConsistencyCheckSeesEachKindOfDamage) {
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

TEST_F(BoardPosition, HashSeesSideToMoveButNotCastlingRights) {
    const std::uint32_t white = hash_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const std::uint32_t black = hash_of("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    const std::uint32_t no_rights = hash_of("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1");
    const std::uint32_t later = hash_of("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 33 70");
    EXPECT_EQ(white ^ black, zobrist_black_to_move);
    EXPECT_EQ(white, no_rights);
    EXPECT_EQ(white, later);
}

// After a double push the en passant key is in, capture or not.
TEST_F(BoardPosition, HashSeesTheSquareADoublePushPassedOver) {
    reset_position();
    ASSERT_EQ(play("e2e4"), 1);
    EXPECT_EQ(ep_square, 44);
    const std::uint32_t pushed = position_hash;
    const std::uint32_t plain = hash_of("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    EXPECT_EQ(pushed ^ plain, zobrist_ep[44]);
}
