// The en passant guard, and the capture generator as an exact subsequence
// of the full one. (Order and scores are fixed by the pinned bench.)
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board_support.h"

namespace {

struct Entry {
    std::string text;
    int flags;
    int score;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os) { *os << e.text << "/" << e.flags << "/" << e.score; }

// The ply-0 list that `generate` builds.
std::vector<Entry> root_list(int (*generate)()) {
    search_ply = 0;
    EXPECT_EQ(generate(), 1);
    std::vector<Entry> out;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        out.push_back({move_to_text(move_list[i].move), move_flags(move_list[i].move), move_list[i].score});
    return out;
}

int count_en_passant(const std::vector<Entry>& list) {
    int n = 0;
    for (const Entry& e : list) n += (e.flags & MOVE_EN_PASSANT) != 0;
    return n;
}

// History scores order quiet moves; a search elsewhere may have filled them.
class BoardMovegen : public ::testing::Test {
protected:
    void SetUp() override { std::memset(history_score, 0, sizeof history_score); }
    void TearDown() override { std::memset(history_score, 0, sizeof history_score); }
};

}  // namespace

// An ep_square that does not describe a pawn that just passed it yields no
// entry: such an entry would capture nothing and its take-back would create
// a pawn.
TEST_F(BoardMovegen, EnPassantOnlyBehindAPawnThatJustPassed) {
    const char* fen = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    auto ep_entries = [] { return count_en_passant(root_list(generate_moves)) + count_en_passant(root_list(generate_captures)); };
    load(fen);
    EXPECT_EQ(ep_entries(), 2);

    load(fen);
    square_color[square("d6")] = BLACK;  // something stands on d6
    square_piece[square("d6")] = KNIGHT;
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    load(fen);
    square_piece[square("d5")] = ROOK;  // not a pawn on d5
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    load(fen);
    square_color[square("d5")] = square_piece[square("d5")] = EMPTY;  // nothing on d5
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    load(fen);
    ep_square = square("d3");  // the wrong row for White
    EXPECT_EQ(ep_entries(), 0);

    // The same for Black: e3 after e2e4 is fine, e6 is not.
    load("4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1");
    EXPECT_EQ(ep_entries(), 4);
    ep_square = square("e6");
    EXPECT_EQ(ep_entries(), 0);
    ep_square = square("e3");
    square_piece[square("e4")] = BISHOP;
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);
}

// The capture generator must produce exactly the full list's captures and
// promotions, in the same order with the same scores: the quiescence search
// relies on it seeing every capture, including en passant.
TEST_F(BoardMovegen, CapturesAreTheFullListFilteredInOrder) {
    std::vector<const char*> starts(std::begin(rich_positions), std::end(rich_positions));
    starts.push_back("4k3/1P4P1/P6P/8/8/p6p/1p4p1/4K3 w - - 0 1");  // pawns a rank short of promoting
    std::mt19937 random(7);
    int positions = 0, captures_seen = 0;
    for (const char* fen : starts) {
        load(fen);
        positions += random_walk(random, 60, [&] {
            for (int s = 0; s < 64; ++s)
                for (int t = 0; t < 64; ++t) history_score[s][t] = (s * 64 + t) % 97;
            std::vector<Entry> filtered;
            for (const Entry& e : root_list(generate_moves))
                if (e.flags & (MOVE_CAPTURE | MOVE_PROMOTION)) filtered.push_back(e);
            ASSERT_EQ(root_list(generate_captures), filtered) << position_to_fen();
            captures_seen += static_cast<int>(filtered.size());
        });
    }
    EXPECT_GT(positions, 200);
    EXPECT_GT(captures_seen, 500);
}
