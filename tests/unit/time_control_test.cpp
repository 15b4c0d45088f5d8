// Time for one move: the budget formula, and the limits that xboard
// protocol 2's clock commands give a search.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/zobrist.h"
#include "protocol/command_loop.h"
#include "protocol/game.h"
#include "protocol/time_control.h"
#include "protocol/xboard_clock.h"
#include "search/driver.h"

namespace {

TEST(TimeControl, AShareOfTheClockThatNeverReachesItsEnd) {
    // A thirtieth of what is left after the overhead, with half the increment.
    EXPECT_EQ(budget_from_clock(300000, 0, 0), (300000 - MOVE_OVERHEAD_MS) / 30);
    EXPECT_EQ(budget_from_clock(10000, 100, 0), (10000 - MOVE_OVERHEAD_MS) / 30 + 50);
    EXPECT_EQ(budget_from_clock(60000, 0, 40), (60000 - MOVE_OVERHEAD_MS) / 40);
    // Never more than half of what is left, not even on the last move of a control.
    EXPECT_EQ(budget_from_clock(3000, 0, 1), (3000 - MOVE_OVERHEAD_MS) / 2);
    EXPECT_EQ(budget_from_clock(100, 100, 0), (100 - MOVE_OVERHEAD_MS) / 2);
    // An empty, overdrawn or absurd clock.
    EXPECT_EQ(budget_from_clock(MOVE_OVERHEAD_MS, 1000, 0), 0);
    EXPECT_EQ(budget_from_clock(-5000, -10, -3), 0);
    EXPECT_GT(budget_from_clock(INT64_MAX / 4, INT64_MAX / 4, 0), 0);
    // A fixed time per move keeps a margin.
    EXPECT_EQ(budget_per_move(2), 1700);
    EXPECT_EQ(budget_per_move(1), 750);
    EXPECT_EQ(budget_per_move(0), 0);
    EXPECT_GT(budget_per_move(INT64_MAX), 0);
}

class XboardClock : public testing::Test {
protected:
    void SetUp() override {
        init_zobrist();
        game_new();
        protocol_version = 2;
        carry_out_line("new\n");
        carry_out_line("force\n");
    }
    void TearDown() override {
        carry_out_line("new\n");
        carry_out_line("force\n");
        protocol_version = 1;
        time_budget_ms = 0;
        depth_limit = 0;
    }
};

TEST_F(XboardClock, TimeControlsAndTheDepthCapAreIndependent) {
    carry_out_line("st 2\n");
    carry_out_line("time 500\n");  // only the clock: st still rules
    set_search_limits();
    EXPECT_EQ(time_budget_ms, 1700);
    EXPECT_EQ(depth_limit, SEARCH_DEPTH_FOR_TIME);

    carry_out_line("sd 4\n");
    set_search_limits();
    EXPECT_EQ(time_budget_ms, 1700);
    EXPECT_EQ(depth_limit, 4);

    carry_out_line("level 40 5 0\n");
    carry_out_line("time 30000\n");
    set_search_limits();
    EXPECT_EQ(time_budget_ms, budget_from_clock(300000, 0, 40));
    EXPECT_EQ(depth_limit, 4);

    // "new" lifts the cap and forgets the clock; the time control stays.
    carry_out_line("new\n");
    set_search_limits();
    EXPECT_EQ(depth_limit, SEARCH_DEPTH_FOR_TIME);
    EXPECT_EQ(time_budget_ms, budget_from_clock(300000, 0, 40));
}

TEST_F(XboardClock, LevelCountsTheMovesLeftAndReadsMinutesSecondsAndFractions) {
    carry_out_line("level 40 0:30 0\n");
    set_search_limits();
    EXPECT_EQ(time_budget_ms, budget_from_clock(30000, 0, 40));
    for (const char* move : {"e2e4", "e7e5", "g1f3", "b8c6"}) game_play_text(move);
    carry_out_line("time 2500\n");
    set_search_limits();
    EXPECT_EQ(time_budget_ms, budget_from_clock(25000, 0, 38));

    carry_out_line("level 0 0:10 0.1\n");
    set_search_limits();
    EXPECT_EQ(time_budget_ms, budget_from_clock(25000, 100, 0));
}

}  // namespace
