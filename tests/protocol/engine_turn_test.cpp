// The engine's turn through the real executable: the move its thinking
// ends with, thinking lines that arrive while it searches, and the
// interrupt that interfaces send.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "session.h"

TEST(EngineTurn, TheMoveIsTheFirstOfTheLastThinkingLinesVariation) {
    const std::string out = session("sd 4\npost\ngo\n");
    ASSERT_EQ(mask_search(out), "1 <thinking>\n2 <thinking>\n3 <thinking>\n4 <thinking>\nmove <m>\n");
    std::istringstream lines(out);
    std::string depth_four, move_line, field;
    for (int i = 0; i < 4; ++i) std::getline(lines, depth_four);
    std::getline(lines, move_line);
    std::istringstream fields(depth_four);
    for (int i = 0; i < 5; ++i) fields >> field;  // depth, score, time, nodes, first move
    EXPECT_EQ(move_line, "move " + field);
    // "nopost" silences the lines; the move stays the same.
    EXPECT_EQ(session("sd 4\npost\nnopost\ngo\n"), move_line + "\n");
}

// Depth 30 from the start position runs far longer than any test: its
// first line arrives only if it was flushed while the search went on.
TEST(EngineTurn, EachThinkingLineReachesTheInterfaceDuringTheSearch) {
    TempDir dir;
    EngineProcess engine(dir.path);
    ASSERT_EQ(engine.read_start_up(10000), banner(false));
    engine.send("sd 30");
    engine.send("post");
    engine.send("go");
    std::string line;
    EXPECT_TRUE(engine.read_line(line, 20000)) << "no thinking line while the engine searches";
    EXPECT_EQ(mask_search(line + "\n"), "1 <thinking>\n");
    engine.kill_now();
}

// xboard sends SIGINT before each of its moves; the engine must live on.
TEST(EngineTurn, InterruptIsIgnored) {
    TempDir dir;
    EngineProcess engine(dir.path);
    ASSERT_EQ(engine.read_start_up(10000), banner(false));
    engine.interrupt();
    engine.send("sd 1");
    engine.send("go");
    std::string line;
    EXPECT_TRUE(engine.read_line(line, 10000)) << "no answer after the interrupt";
    EXPECT_EQ(mask_search(line + "\n"), "move <m>\n");
    engine.interrupt();
    engine.send("quit");
    EXPECT_EQ(engine.wait(10000), 0);
}
