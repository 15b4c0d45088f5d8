// Scores, bounds and draw rules of the search, what its driver reports, and
// a small pinned bench that fixes move ordering and evaluation node for node.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "board_support.h"
#include "book/book.h"
#include "eval/evaluate.h"
#include "search/clock.h"
#include "search/driver.h"
#include "search/search.h"

namespace {

// White mates with Rd8.
constexpr const char* BACK_RANK_MATE_IN_ONE = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1";
// Black's only move is Ka7, and White answers Ra1 mate.
constexpr const char* MATED_AFTER_ONLY_MOVE = "k7/2K5/8/8/8/8/8/7R b - - 0 1";
constexpr const char* CHECKMATED_BLACK = "3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1";
constexpr const char* STALEMATED_BLACK = "k7/2Q5/1K6/8/8/8/8/8 b - - 0 1";
constexpr const char* MIDDLEGAME = "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";

// Clears what choose_move would clear, so that the search functions can be
// called directly on a fresh search.
void clear_search_tables() {
    for (auto& row : pv_table)
        for (Move& cell : row) cell = 0;
    for (auto& row : history_score)
        for (int& cell : row) cell = 0;
    node_count = 0;
    follow_pv = 1;
}

// A finished iteration as the driver reported it.
struct Reported {
    int depth;
    int score;
    std::uint64_t nodes;
    std::vector<std::string> pv;
};

std::vector<Reported> reported;

void record_iteration(void*, const Iteration& it) {
    Reported r{it.depth, it.score, it.nodes, {}};
    for (int j = 0; j < it.pv_length; ++j) r.pv.push_back(move_to_text(it.pv[j]));
    reported.push_back(r);
}

// Each test searches without a book, under limits it sets, from a fresh
// search; the limits and tables are cleared again afterwards, since
// history scores order the moves that other suites generate.
class SearchTest : public testing::Test {
protected:
    void SetUp() override {
        saved_book_ = book_file;
        book_file = nullptr;
        iteration_reporter = record_iteration;
        reported.clear();
        clear_limits_and_tables();
    }

    void TearDown() override {
        clear_limits_and_tables();
        book_file = saved_book_;
    }

    static void clear_limits_and_tables() {
        depth_limit = 0;
        time_budget_ms = 0;
        clear_search_tables();
        reset_position();
        play("");
    }

    static void set_position(const char* fen) {
        clear_search_tables();
        load(fen);
        play("");
    }

    static void limit_depth(int depth) {
        depth_limit = depth;
        time_budget_ms = DEPTH_ONLY_BUDGET_MS;
    }

private:
    std::FILE* saved_book_ = nullptr;
};

// ---------------------------------------------------------------------------
// Mate scores, the table and history bounds, and the draw rules of the search.

using SearchScores = SearchTest;

TEST_F(SearchScores, MateScoresCountPliesFromTheRoot) {
    set_position(BACK_RANK_MATE_IN_ONE);
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 2), MATE_SCORE - 1);
    EXPECT_STREQ(move_to_text(pv_table[0][0]), "d1d8");
    EXPECT_EQ(pv_length[0], 1);

    set_position(MATED_AFTER_ONLY_MOVE);
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 3), 2 - MATE_SCORE);
    EXPECT_STREQ(move_to_text(pv_table[0][0]), "a8a7");
    EXPECT_EQ(pv_length[0], 2);
    EXPECT_STREQ(move_to_text(pv_table[0][1]), "h1a1");

    set_position(CHECKMATED_BLACK);
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 1), -MATE_SCORE);
    set_position(STALEMATED_BLACK);
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 1), 0);
    EXPECT_EQ(pv_length[0], 0);
}

TEST_F(SearchScores, BothSearchesStopAtPly31WithTheStaticScore) {
    set_position("k7/8/8/8/8/8/8/KQ6 w - - 0 1");
    const int static_score = evaluate();
    ASSERT_GT(static_score, 500);
    search_ply = 31;

    pv_length[31] = 7;
    EXPECT_EQ(alpha_beta(-MATE_SCORE, 0, 3), static_score);  // not beta: no fail-hard clamp
    EXPECT_EQ(pv_length[31], 31);
    pv_length[31] = 7;
    EXPECT_EQ(quiescence(-MATE_SCORE, 0), static_score);
    EXPECT_EQ(pv_length[31], 31);
    EXPECT_EQ(node_count, 2u);  // neither searched a child

    // One ply earlier the node still searches: its moves lead to ply 31.
    search_ply = 30;
    ply_first_move[30] = 0;
    EXPECT_GT(alpha_beta(-MATE_SCORE, MATE_SCORE, 3), static_score);  // the queen improves
    EXPECT_GT(node_count, 4u);
    EXPECT_EQ(pv_length[30], 31);
    search_ply = 0;
}

TEST_F(SearchScores, NearlyFullGameHistoryStopsTheSearch) {
    set_position("k7/8/8/8/8/8/8/KQ6 w - - 0 1");
    const int static_score = evaluate();
    history_ply = HISTORY_SIZE - 1;
    EXPECT_EQ(alpha_beta(-MATE_SCORE, 0, 3), static_score);
    EXPECT_EQ(quiescence(-MATE_SCORE, 0), static_score);
    history_ply = HISTORY_SIZE - 2;
    EXPECT_EQ(alpha_beta(-MATE_SCORE, 0, 1), 0);  // searched, and fails high
    history_ply = 0;
}

TEST_F(SearchScores, RepetitionIsADrawOnlyBelowTheRoot) {
    set_position(START_FEN);
    play("g1f3 g8f6 f3g1 f6g8");
    ASSERT_EQ(repetition_count(), 1);

    search_ply = 1;  // as if a search had reached it
    pv_length[1] = 5;
    EXPECT_EQ(alpha_beta(100, 200, 3), 0);
    EXPECT_EQ(node_count, 1u);
    EXPECT_EQ(pv_length[1], 1);

    search_ply = 0;
    clear_search_tables();
    alpha_beta(-MATE_SCORE, MATE_SCORE, 2);
    EXPECT_GT(node_count, 20u);
    EXPECT_NE(pv_table[0][0], 0);
}

TEST_F(SearchScores, FiftyMoveRuleAfterTheMoveLoop) {
    // White is a queen up; at 100 a node with moves and no cut-off is a draw.
    // At depth 1 the replies are quiescence nodes, which know no such rule.
    set_position("k7/8/8/8/8/8/8/KQ6 w - - 99 80");
    EXPECT_GT(alpha_beta(-MATE_SCORE, MATE_SCORE, 1), 500);

    set_position("k7/8/8/8/8/8/8/KQ6 w - - 100 80");
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 1), 0);
    EXPECT_NE(pv_table[0][0], 0);  // the variation is still recorded
    EXPECT_EQ(alpha_beta(-MATE_SCORE, -5000, 1), -5000);  // a cut-off returns beta

    // No legal move: mate and stalemate whatever the counter says.
    set_position("3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 100 80");
    EXPECT_EQ(alpha_beta(-MATE_SCORE, MATE_SCORE, 1), -MATE_SCORE);
    set_position("k7/2Q5/1K6/8/8/8/8/8 b - - 120 80");
    EXPECT_EQ(alpha_beta(100, 200, 1), 0);
}

// ---------------------------------------------------------------------------
// The driver: mate stop, reported iterations, deadline.

using SearchDriver = SearchTest;

// A mate for either side ends the deepening after its iteration; a
// stalemated root scores 0 at every depth and goes on.
TEST_F(SearchDriver, MateEndsTheDeepeningStalemateDoesNot) {
    set_position(CHECKMATED_BLACK);
    limit_depth(5);
    choose_move(OUTPUT_THINKING);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].score, -MATE_SCORE);
    EXPECT_EQ(pv_table[0][0], 0);

    reported.clear();
    set_position(STALEMATED_BLACK);
    limit_depth(3);
    choose_move(OUTPUT_THINKING);
    ASSERT_EQ(reported.size(), 3u);
    for (const Reported& r : reported) EXPECT_EQ(r.score, 0);
    EXPECT_EQ(pv_table[0][0], 0);

    reported.clear();
    set_position(MATED_AFTER_ONLY_MOVE);
    limit_depth(8);
    choose_move(OUTPUT_THINKING);
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[2].score, 2 - MATE_SCORE);
    EXPECT_EQ(reported[2].pv, (std::vector<std::string>{"a8a7", "h1a1"}));
    EXPECT_STREQ(move_to_text(pv_table[0][0]), "a8a7");

    reported.clear();
    choose_move(OUTPUT_SILENT);
    EXPECT_TRUE(reported.empty());
}

TEST_F(SearchDriver, EachIterationIsReportedWithAPlayableVariation) {
    set_position(MIDDLEGAME);
    const PositionSnapshot before = take_snapshot();
    limit_depth(4);
    choose_move(OUTPUT_THINKING);
    ASSERT_EQ(reported.size(), 4u);
    std::uint64_t previous_nodes = 0;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reported[i].depth, i + 1);
        EXPECT_GT(reported[i].nodes, previous_nodes);  // the count runs on over the iterations
        previous_nodes = reported[i].nodes;
    }
    EXPECT_EQ(previous_nodes, node_count);
    EXPECT_EQ(take_snapshot(), before);
    EXPECT_STREQ(move_to_text(pv_table[0][0]), reported[3].pv[0].c_str());

    // Every move of the last variation is legal where it stands.
    ASSERT_GE(reported[3].pv.size(), 4u);
    for (const std::string& move : reported[3].pv) ASSERT_NO_FATAL_FAILURE(play(move));
}

TEST_F(SearchDriver, ZeroBudgetAbandonsAtNode1024AndRestoresThePosition) {
    set_position(MIDDLEGAME);
    const PositionSnapshot before = take_snapshot();
    depth_limit = SEARCH_DEPTH_FOR_TIME;
    time_budget_ms = 0;
    choose_move(OUTPUT_THINKING);
    EXPECT_EQ(node_count, 1024u);
    EXPECT_EQ(take_snapshot(), before);
    // Iteration 1 finished well before; the abandoned one reported nothing.
    EXPECT_GE(reported.size(), 1u);
    EXPECT_LT(reported.size(), 4u);
    ASSERT_NE(pv_table[0][0], 0);
    EXPECT_NO_FATAL_FAILURE(play(move_to_text(pv_table[0][0])));
}

// ---------------------------------------------------------------------------
// A small pinned bench: Release and sanitizer builds must count the same nodes.

using SearchSignature = SearchTest;

TEST_F(SearchSignature, SmallBenchNodeTotal) {
    struct Case {
        const char* fen;
        int depth;
    };
    const Case cases[] = {
        {START_FEN, 5},
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 4},
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 6},
    };
    std::uint64_t total = 0;
    for (const Case& c : cases) {
        set_position(c.fen);
        limit_depth(c.depth);
        choose_move(0);
        total += node_count;
    }
    EXPECT_EQ(total, 251304u);
}

}  // namespace

// The millisecond clock wraps every 49.7 days; a deadline that straddles the
// wrap must still be a short time away, not weeks or already past.
TEST(SearchClock, ElapsedTimeIsRightAcrossTheWrap) {
    EXPECT_EQ(elapsed_ms(2147483000, -2147483000), 1296u);
    EXPECT_EQ(elapsed_ms(-1, 5), 6u);
    EXPECT_EQ(elapsed_ms(1000, 1000), 0u);
    EXPECT_EQ(elapsed_ms(-5, -2), 3u);
}
