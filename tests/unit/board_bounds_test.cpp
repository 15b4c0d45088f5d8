// The fixed capacities: move_list (1120 entries), ply_first_move (32 plies)
// and game_history (HISTORY_SIZE records). Reaching any of them is answered with 0
// and an intact state; the sanitizer build turns a write past one of them
// into a failure.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "board_support.h"

namespace {

// Ten queens a side around kings walled in by their own pieces: about a
// hundred moves for either side, so the list fills long before ply 31.
constexpr const char* QUEENS_WHITE = "kq6/pp6/3q1q2/2q1q1q1/2Q1Q1Q1/3Q1Q2/6PP/6QK w - - 0 1";
constexpr const char* QUEENS_BLACK = "kq6/pp6/3q1q2/2q1q1q1/2Q1Q1Q1/3Q1Q2/6PP/6QK b - - 0 1";
// A four-entry promotion group is the last thing generated here.
constexpr const char* PROMOTION_LAST = "K7/7P/8/8/8/8/8/k7 w - - 0 1";

std::vector<Move> moves_of_ply(int ply) {
    std::vector<Move> out;
    for (int i = ply_first_move[ply]; i < ply_first_move[ply + 1]; ++i) out.push_back(move_list[i].move);
    return out;
}

}  // namespace

// Generating the same position at ply after ply without making moves:
// whole plies while they fit, then 0 and an empty ply at every later ply,
// up to 31 where not even ply_first_move[32] may be written.
TEST(BoardBounds, SuccessivePliesUntilTheListIsFull) {
    for (const char* fen : {QUEENS_WHITE, QUEENS_BLACK}) {
        load(fen);
        search_ply = 0;
        ASSERT_EQ(generate_moves(), 1);
        const std::vector<Move> first = moves_of_ply(0);
        const int n = static_cast<int>(first.size());
        ASSERT_GT(n, MOVE_LIST_SIZE / 30) << "the position no longer fills the list";
        const int full_ply = MOVE_LIST_SIZE / n;
        for (int p = 1; p < MAX_PLY - 1; ++p) {
            search_ply = p;
            const int result = generate_moves();
            EXPECT_EQ(result, p < full_ply ? 1 : 0) << "ply " << p;
            if (result) EXPECT_EQ(moves_of_ply(p), first) << "ply " << p;
            else EXPECT_EQ(ply_first_move[p + 1], full_ply * n) << "ply " << p;
        }
        const std::array<int, MAX_PLY> before = std::to_array(ply_first_move);
        for (int p : {MAX_PLY - 1, MAX_PLY, 1000, -1}) {
            search_ply = p;
            EXPECT_EQ(generate_moves(), 0) << p;
            EXPECT_EQ(generate_captures(), 0) << p;
        }
        EXPECT_EQ(std::to_array(ply_first_move), before);
        search_ply = 0;
    }
}

// A ply that fits exactly fills the list to its last entry; one entry less
// room and the whole ply is dropped, promotion group included, without
// touching the plies below.
TEST(BoardBounds, ExactFitAndOneEntryTooMany) {
    for (const char* fen : {QUEENS_WHITE, QUEENS_BLACK, PROMOTION_LAST}) {
        for (int (*generate)() : {generate_moves, generate_captures}) {
            load(fen);
            search_ply = 0;
            ASSERT_EQ(generate(), 1);
            const std::vector<Move> expected = moves_of_ply(0);
            const int n = static_cast<int>(expected.size());
            ASSERT_GT(n, 0) << fen;

            search_ply = 5;
            ply_first_move[5] = MOVE_LIST_SIZE - n;
            EXPECT_EQ(generate(), 1) << fen;
            EXPECT_EQ(ply_first_move[6], MOVE_LIST_SIZE);
            EXPECT_EQ(moves_of_ply(5), expected);

            const int start = MOVE_LIST_SIZE - n + 1;
            ply_first_move[5] = start;
            move_list[start - 1] = {0x12345, 678};
            EXPECT_EQ(generate(), 0) << fen;
            EXPECT_EQ(ply_first_move[6], start);
            EXPECT_EQ(move_list[start - 1].move, 0x12345);
            EXPECT_EQ(move_list[start - 1].score, 678);

            ply_first_move[5] = MOVE_LIST_SIZE;  // no room at all
            EXPECT_EQ(generate(), 0);
            EXPECT_EQ(ply_first_move[6], MOVE_LIST_SIZE);
            search_ply = 0;
        }
    }
}

// Descending as a search does, first legal move at every ply: with many
// queens the list runs out, with few pieces the plies do. Either way the
// way back restores the position.
TEST(BoardBounds, SearchLikeDescentStopsInOrder) {
    const char* const few_pieces = "4k3/8/8/8/8/8/8/R3K3 w Q - 0 1";
    for (const char* fen : {QUEENS_WHITE, QUEENS_BLACK, few_pieces}) {
        load(fen);
        const PositionSnapshot start = take_snapshot();
        while (generate_moves()) {
            const int p = search_ply;
            ASSERT_LT(p, MAX_PLY - 1);
            bool moved = false;
            for (int i = ply_first_move[p]; i < ply_first_move[p + 1] && !moved; ++i)
                moved = make_move(move_list[i].move) == 1;
            if (!moved) break;
        }
        if (fen == few_pieces) EXPECT_EQ(search_ply, MAX_PLY - 1);
        else EXPECT_LT(search_ply, MAX_PLY - 1) << fen;
        while (search_ply > 0) unmake_move();
        EXPECT_EQ(take_snapshot(), start) << fen;
    }
}

TEST(BoardBounds, MovesAreRefusedAtPly31) {
    reset_position();
    const Move e2e4 = move_of("e2e4");
    search_ply = MAX_PLY - 1;
    const PositionSnapshot before = take_snapshot();
    EXPECT_EQ(make_move(e2e4), 0);
    EXPECT_EQ(take_snapshot(), before);
    search_ply = MAX_PLY - 2;
    EXPECT_EQ(make_move(e2e4), 1);
    unmake_move();
    search_ply = 0;
}

// The game itself may fill the history: knights shuffled until all
// HISTORY_SIZE records are used. Then every move is refused, the
// repetitions are still counted over the whole history, and every move
// can be taken back.
TEST(BoardBounds, FullGameHistoryRefusesMovesInOrder) {
    reset_position();
    const PositionSnapshot start = take_snapshot();
    for (int k = 0; k < HISTORY_SIZE / 4; ++k) {
        ASSERT_NO_FATAL_FAILURE(play("g1f3 g8f6 f3g1 f6g8"));
    }
    EXPECT_EQ(history_ply, HISTORY_SIZE);
    EXPECT_EQ(repetition_count(), HISTORY_SIZE / 4);

    search_ply = 0;
    ASSERT_EQ(generate_moves(), 1);
    const PositionSnapshot full = take_snapshot();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        EXPECT_EQ(make_move(move_list[i].move), 0);
        EXPECT_EQ(take_snapshot(), full);
    }
    while (history_ply > 0) unmake_move();
    search_ply = 0;
    EXPECT_EQ(take_snapshot(), start);
}
