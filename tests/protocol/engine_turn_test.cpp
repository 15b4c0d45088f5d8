// The engine's turn through the real executable: the move its thinking ends with.
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
