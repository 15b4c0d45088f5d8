// The fixed capacities: move_list (1120 entries), ply_first_move (32 plies)
// and game_history (400 records). Reaching any of them is answered with 0
// and an intact state; the sanitizer build turns a write past one of them
// into a failure.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace {

// Ten queens a side around kings walled in by their own pieces: about a
// hundred moves for either side, so the list fills long before ply 31.
constexpr const char* QUEENS_WHITE = "kq6/pp6/3q1q2/2q1q1q1/2Q1Q1Q1/3Q1Q2/6PP/6QK w - - 0 1";
constexpr const char* QUEENS_BLACK = "kq6/pp6/3q1q2/2q1q1q1/2Q1Q1Q1/3Q1Q2/6PP/6QK b - - 0 1";
// A four-entry promotion group is the last thing generated here.
constexpr const char* PROMOTION_LAST = "K7/7P/8/8/8/8/8/k7 w - - 0 1";

using Generator = int (*)();

std::vector<Move> moves_of_ply(int ply) {
    std::vector<Move> out;
    for (int i = ply_first_move[ply]; i < ply_first_move[ply + 1]; ++i) out.push_back(move_list[i].move);
    return out;
}

struct Snapshot {
    std::array<int, 64> color{}, piece{};
    int side = 0, castle = 0, ep = 0, clock = 0, sply = 0, hply = 0;
    std::uint32_t hash = 0;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot() {
    return {std::to_array(square_color), std::to_array(square_piece), side_to_move, castle_rights, ep_square,
            halfmove_clock, search_ply, history_ply, position_hash};
}

class BoardBounds : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }
    void TearDown() override {
        search_ply = 0;
        reset_position();
    }
    void load(const char* fen) { ASSERT_EQ(load_fen(fen), nullptr) << fen; }
};

}  // namespace

// Generating the same position at ply after ply without making moves:
// whole plies while they fit, then 0 and an empty ply at every later ply,
// up to 31 where not even ply_first_move[32] may be written.
TEST_F(BoardBounds, SuccessivePliesUntilTheListIsFull) {
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
            EXPECT_LE(ply_first_move[p + 1], MOVE_LIST_SIZE);
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
        for (int p = 0; p < full_ply; ++p) EXPECT_EQ(moves_of_ply(p), first) << "ply " << p;
    }
}

// A ply that fits exactly fills the list to its last entry; one entry less
// room and the whole ply is dropped, promotion group included, without
// touching the plies below.
TEST_F(BoardBounds, ExactFitAndOneEntryTooMany) {
    const Generator generators[] = {generate_moves, generate_captures};
    for (const char* fen : {QUEENS_WHITE, QUEENS_BLACK, PROMOTION_LAST}) {
        for (Generator generate : generators) {
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
        }
    }
}

TEST_F(BoardBounds, MovesAreRefusedAtPly31) {
    reset_position();
    search_ply = 0;
    generate_moves();
    const Move e2e4 = move_list[9].move;
    ASSERT_EQ(e2e4, pack_move(52, 36, 0, 24));
    search_ply = MAX_PLY - 1;
    const Snapshot before = snapshot();
    EXPECT_EQ(make_move(e2e4), 0);
    EXPECT_EQ(snapshot(), before);
    search_ply = MAX_PLY - 2;
    ASSERT_EQ(make_move(e2e4), 1);
    EXPECT_EQ(search_ply, MAX_PLY - 1);
    unmake_move();
    EXPECT_EQ(search_ply, MAX_PLY - 2);
}

// Descending as a search does, first legal move at every ply: with many
// queens the list runs out, with few pieces the plies do. Either way every
// refusal is orderly and the way back restores the position.
TEST_F(BoardBounds, SearchLikeDescentStopsInOrder) {
    struct Case { const char* fen; bool list_runs_out; };
    const Case cases[] = {
        {QUEENS_WHITE, true},
        {QUEENS_BLACK, true},
        {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", false},
    };
    for (const Case& c : cases) {
        load(c.fen);
        const Snapshot start = snapshot();
        std::vector<std::vector<Move>> lists;
        int generated_to = -1;
        for (;;) {
            const int p = search_ply;
            ASSERT_LT(p, MAX_PLY);
            if (!generate_moves()) break;
            generated_to = p;
            ASSERT_LE(ply_first_move[p + 1], MOVE_LIST_SIZE);
            lists.push_back(moves_of_ply(p));
            bool moved = false;
            for (int i = ply_first_move[p]; i < ply_first_move[p + 1] && !moved; ++i)
                moved = make_move(move_list[i].move) == 1;
            if (!moved) break;
        }
        if (c.list_runs_out) {
            EXPECT_LT(search_ply, MAX_PLY - 1) << c.fen;
        } else {
            EXPECT_EQ(search_ply, MAX_PLY - 1) << c.fen;
            EXPECT_EQ(generated_to, MAX_PLY - 2);
        }
        for (int p = 0; p <= generated_to; ++p) EXPECT_EQ(moves_of_ply(p), lists[p]) << "ply " << p;
        while (search_ply > 0) unmake_move();
        EXPECT_EQ(snapshot(), start) << c.fen;
    }
}

// The game itself may fill the history: knights shuffled 400 times. Then
// every move is refused, the repetitions are still counted over the whole
// history, and all 400 moves can be taken back.
TEST_F(BoardBounds, FullGameHistoryRefusesMovesInOrder) {
    reset_position();
    const Snapshot start = snapshot();
    const int cycle[4][2] = {{62, 45}, {6, 21}, {45, 62}, {21, 6}};  // g1f3 g8f6 f3g1 f6g8
    for (int k = 0; k < HISTORY_SIZE; ++k) {
        search_ply = 0;
        ASSERT_EQ(generate_moves(), 1);
        Move m = 0;
        for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
            if (move_from(move_list[i].move) == cycle[k % 4][0] && move_to(move_list[i].move) == cycle[k % 4][1])
                m = move_list[i].move;
        ASSERT_EQ(make_move(m), 1) << "move " << k;
    }
    EXPECT_EQ(history_ply, HISTORY_SIZE);
    EXPECT_EQ(position_hash, 0x35BA767Cu);
    EXPECT_EQ(repetition_count(), HISTORY_SIZE / 4);

    search_ply = 0;
    ASSERT_EQ(generate_moves(), 1);
    const Snapshot full = snapshot();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        EXPECT_EQ(make_move(move_list[i].move), 0);
        EXPECT_EQ(snapshot(), full);
    }
    while (history_ply > 0) unmake_move();
    search_ply = 0;
    EXPECT_EQ(snapshot(), start);
}
