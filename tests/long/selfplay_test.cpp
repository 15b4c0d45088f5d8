// Whole games of the engine against itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_process.h"
#include "self_play.h"

namespace {

constexpr int MAX_PLIES = 300;  // 150 moves, well inside the game's history

struct Match {
    const char* name;
    std::vector<std::string> white;
    std::vector<std::string> black;
    bool with_book;
};

void play(const Match& match) {
    const TempDir temp;
    const std::string& dir = temp.path;
    // A few openings of our own, so that the book path and varied games are covered.
    if (match.with_book)
        write_file(dir, "book.book",
                   "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6\n"
                   "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4 f3d4 g8f6 b1c3\n"
                   "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6\n"
                   "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7 e2e4 d7d6\n"
                   "c2c4 e7e5 b1c3 g8f6 g2g3\n");
    const SelfPlayGame game = play_self_game(dir, match.white, match.black, MAX_PLIES, 60000);
    std::string moves;
    for (const std::string& move : game.moves) moves += move + " ";
    EXPECT_EQ(game.failure, "") << match.name << ": " << moves;
    EXPECT_TRUE(game.moves.size() == MAX_PLIES || !game.result.empty()) << match.name;
    testing::Test::RecordProperty(match.name, std::to_string(game.moves.size()) + " plies, " +
                                   (game.result.empty() ? "no result" : game.result));
}

TEST(SelfPlay, DepthThreeAgainstItself) { play({"sd3-sd3", {"sd 3"}, {"sd 3"}, false}); }

TEST(SelfPlay, UnequalDepths) {
    play({"sd2-sd4", {"sd 2"}, {"sd 4"}, false});
    play({"sd4-sd2", {"sd 4"}, {"sd 2"}, false});
}

TEST(SelfPlay, FromTheBookWithThinkingOutput) { play({"book-sd3", {"sd 3", "post"}, {"sd 3", "post"}, true}); }

TEST(SelfPlay, ShortTimedMovesEveryOneAbandoned) {
    // 50 ms a move: most searches end at the deadline, by the long jump.
    play({"time150", {"time 150"}, {"time 150", "post"}, true});
}

}  // namespace
