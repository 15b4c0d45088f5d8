// What the front ends make of their lines, in-process on fresh sessions: the
// limits that the time commands of both xboard versions and UCI's "go" give
// a search, the budget formula they share, and the thinking line.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "board/position.h"
#include "game/game.h"
#include "game/time_control.h"
#include "uci/uci.h"
#include "xboard/commands.h"
#include "xboard/output.h"

namespace {

// A fresh xboard session on a fresh game; `lines` carried out one by one.
std::unique_ptr<XboardSession> xboard_after(const std::string& lines) {
    game_start();
    game_new();
    auto session = std::make_unique<XboardSession>();
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) EXPECT_TRUE(carry_out_line(*session, (line + "\n").c_str()));
    return session;
}

// What the classic search gets from the limits the lines leave.
ClassicControl limits_after(const std::string& lines) {
    const auto session = xboard_after(lines);
    return classic_control(session->rules->search_limits(*session));
}

constexpr int FOR_TIME = DEPTH_FOR_TIME;
constexpr int DEPTH_ONLY = DEPTH_ONLY_MS;

TEST(TimeCommands, Protocol1SetsBothLimitsByItsOwnReading) {
    struct Case {
        const char* lines;
        int budget_ms;
        int depth;
    };
    const Case cases[] = {
        // "time": a thirtieth of the clock, centiseconds into milliseconds.
        {"time 3000", 1000, FOR_TIME},
        {"time 100", 33, FOR_TIME},
        {"time 2", 0, FOR_TIME},
        {"time -300000", -100000, FOR_TIME},
        {"time 99999999999", INT_MAX / 30, FOR_TIME},  // read and scaled with saturation
        {"time -2147483648", INT_MIN / 30, FOR_TIME},
        {"sd 4\ntime 3000", 1000, FOR_TIME},
        // "st": seconds.
        {"st 5", 5000, FOR_TIME},
        {"st 5\nst", 5000000, FOR_TIME},     // no number: the old one is scaled again
        {"st 5\n st 7", 5000000, FOR_TIME},  // a leading blank reads no number
        {"st -0", 0, FOR_TIME},
        {"st 99999999999", INT_MAX, FOR_TIME},
        {"st -2147484", INT_MIN, FOR_TIME},
        {"sd 2\nst 1", 1000, FOR_TIME},
        // "sd": the depth, with time practically unbounded.
        {"sd 4", DEPTH_ONLY, 4},
        {"sd\t3", DEPTH_ONLY, 3},
        {"sd +3", DEPTH_ONLY, 3},
        {"sd 3x", DEPTH_ONLY, 3},
        {"sd 4\nsd x3", DEPTH_ONLY, 4},
        {"sd 4\nsd - 3", DEPTH_ONLY, 4},
        {"time 3000\nsd 4", DEPTH_ONLY, 4},
        {"sd 4\notim 100", DEPTH_ONLY, 4},
    };
    for (const Case& c : cases) {
        const ClassicControl limits = limits_after(c.lines);
        EXPECT_EQ(limits.budget_ms, c.budget_ms) << c.lines;
        EXPECT_EQ(limits.depth, c.depth) << c.lines;
    }
    // Nothing set: no depth, so nothing is searched.
    EXPECT_EQ(limits_after("").depth, 0);
}

TEST(TimeCommands, Protocol2ClockCommandsAreIndependent) {
    const std::string v2 = "protover 2\nnew\nforce\n";
    ClassicControl limits = limits_after(v2 + "st 2\ntime 500");  // only the clock: st still rules
    EXPECT_EQ(limits.budget_ms, 1700);
    EXPECT_EQ(limits.depth, FOR_TIME);
    limits = limits_after(v2 + "st 2\nsd 4");
    EXPECT_EQ(limits.budget_ms, 1700);
    EXPECT_EQ(limits.depth, 4);
    limits = limits_after(v2 + "sd 4\nlevel 40 5 0\ntime 30000");
    EXPECT_EQ(limits.budget_ms, budget_from_clock(300000, 0, 40));
    EXPECT_EQ(limits.depth, 4);
    // "new" lifts the cap and forgets the clock; the time control stays.
    limits = limits_after(v2 + "sd 4\nlevel 40 5 0\ntime 20000\nnew");
    EXPECT_EQ(limits.depth, FOR_TIME);
    EXPECT_EQ(limits.budget_ms, budget_from_clock(300000, 0, 40));
    // No limit at all: five seconds a move; a depth alone bounds the search.
    EXPECT_EQ(limits_after(v2).budget_ms, budget_per_move(5));
    EXPECT_EQ(limits_after(v2 + "sd 3").budget_ms, DEPTH_ONLY);
}

TEST(TimeCommands, LevelCountsTheMovesLeftAndReadsMinutesSecondsAndFractions) {
    const std::string v2 = "protover 2\nnew\nforce\n";
    EXPECT_EQ(limits_after(v2 + "level 40 0:30 0").budget_ms, budget_from_clock(30000, 0, 40));
    EXPECT_EQ(limits_after(v2 + "level 40 0:30 0\ne2e4\ne7e5\ng1f3\nb8c6\ntime 2500").budget_ms,
              budget_from_clock(25000, 0, 38));
    EXPECT_EQ(limits_after(v2 + "level 0 0:10 0.1\ntime 2500").budget_ms, budget_from_clock(25000, 100, 0));
}

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

// The engine spends its own clock, the side to move's, with its own increment.
TEST(UciGo, TheSideToMovesClockAndIncrement) {
    const char* go = "wtime 60000 btime 3000 winc 1000 binc 0";
    EXPECT_EQ(classic_control(read_go(go, WHITE)).budget_ms, budget_from_clock(60000, 1000, 0));
    EXPECT_EQ(classic_control(read_go(go, BLACK)).budget_ms, budget_from_clock(3000, 0, 0));
    EXPECT_EQ(classic_control(read_go("btime 3000 binc 2000 movestogo 5", BLACK)).budget_ms,
              budget_from_clock(3000, 2000, 5));
    const SearchLimits black = read_go(go, BLACK);
    EXPECT_EQ(black.clock_ms, 3000);
    EXPECT_EQ(black.increment_ms, 0);
    // Without its own clock the engine has no deadline.
    EXPECT_TRUE(classic_control(read_go("wtime 60000", BLACK)).no_deadline);
    EXPECT_FALSE(classic_control(read_go("wtime 60000", WHITE)).no_deadline);
    // Move time, depth and nodes; unreadable numbers leave their field alone.
    EXPECT_EQ(classic_control(read_go("movetime 1000 wtime 5", WHITE)).budget_ms, budget_for_move_time(1000));
    const SearchLimits limits = read_go("depth 7 nodes 5000 depth x", WHITE);
    EXPECT_EQ(limits.depth, 7);
    EXPECT_EQ(limits.nodes, 5000u);
    EXPECT_TRUE(classic_control(limits).no_deadline);
    // An overdrawn clock counts as none left.
    EXPECT_EQ(read_go("wtime -500 winc -20", WHITE).clock_ms, 0);
    EXPECT_EQ(read_go("wtime -500 winc -20", WHITE).increment_ms, 0);
}

// Four numbers, then the variation; the time in centiseconds truncated,
// promotions in lower case, mates as protocol 2 shows them.
TEST(ThinkingLine, PrintsDepthScoreCentisecondsNodesAndVariation) {
    const Move pv[] = {pack_move(52, 36, 0, MOVE_PAWN | MOVE_DOUBLE_PUSH),
                       pack_move(49, 56, KNIGHT, MOVE_PAWN | MOVE_PROMOTION | MOVE_CAPTURE)};
    const auto v1 = xboard_after("");
    const auto v2 = xboard_after("protover 2");
    std::fflush(stdout);  // the features
    testing::internal::CaptureStdout();
    print_thinking_line(v1.get(), {3, 15, false, 0, 129, 1234, pv, 2});
    print_thinking_line(v1.get(), {1, -9999, true, -1, 9, 5000000000ull, pv, 0});
    print_thinking_line(v2.get(), {2, 9999, true, 1, 0, 7, pv, 1});
    print_thinking_line(v2.get(), {2, -9998, true, -1, 0, 7, pv, 1});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "3 15 12 1234 e2e4 b2a1n\n1 -9999 0 5000000000\n2 100001 0 7 e2e4\n2 -100001 0 7 e2e4\n");
}

}  // namespace
