// The limits that the time commands leave for the search, each line carried
// out in-process as the loop carries it out.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "protocol/command_loop.h"
#include "search/driver.h"

namespace {

struct LimitsCase {
    const char* lines;
    int budget_ms;
    int depth;
};

constexpr int FOR_TIME = SEARCH_DEPTH_FOR_TIME;
constexpr int DEPTH_ONLY = DEPTH_ONLY_BUDGET_MS;

const LimitsCase cases[] = {
    // "time": a thirtieth of the clock, centiseconds into milliseconds.
    {"time 3000", 1000, FOR_TIME},
    {"time 30000", 10000, FOR_TIME},
    {"time 100", 33, FOR_TIME},
    {"time 2", 0, FOR_TIME},
    {"time -300000", -100000, FOR_TIME},
    {"time 99999999999", INT_MAX / 30, FOR_TIME},  // read and scaled with saturation
    {"time -2147483648", INT_MIN / 30, FOR_TIME},
    {"sd 4\ntime 3000", 1000, FOR_TIME},
    // "st": seconds.
    {"st 5", 5000, FOR_TIME},
    {"st 5\nst", 5000000, FOR_TIME},  // no number: the old one is scaled again
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

}  // namespace

// Each case starts from the limits of program start; the limits found are
// put back afterwards.
TEST(TimeCommands, LeaveTheirBudgetAndDepth) {
    const int saved_budget_ms = time_budget_ms, saved_depth = depth_limit;
    for (const LimitsCase& c : cases) {
        time_budget_ms = depth_limit = 0;
        std::istringstream lines(c.lines);
        for (std::string line; std::getline(lines, line);) EXPECT_TRUE(carry_out_line((line + "\n").c_str()));
        EXPECT_EQ(time_budget_ms, c.budget_ms) << c.lines;
        EXPECT_EQ(depth_limit, c.depth) << c.lines;
    }
    time_budget_ms = saved_budget_ms;
    depth_limit = saved_depth;
}
