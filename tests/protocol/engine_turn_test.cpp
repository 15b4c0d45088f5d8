// The engine's turn, "go", "hint", thinking output and time limits, through the real executable.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"
#include "self_play.h"

namespace {

// Everything the engine printed after its start-up text, with no book present.
std::string session(const std::string& input) {
    TempDir dir;
    const EngineResult run = run_engine(input, dir.path);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_code, 0);
    const std::string start = banner(false);
    if (run.output.compare(0, start.size(), start) != 0) {
        ADD_FAILURE() << "no start-up text: " << run.output;
        return run.output;
    }
    return run.output.substr(start.size());
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::regex move_line(R"(move [a-h][1-8][a-h][1-8][nbrq]?)");
const std::regex thinking_line(R"((\d+) (-?\d+) (\d+) (\d+)((?: [a-h][1-8][a-h][1-8][nbrq]?)*))");

// Leads to the position after 1.e4 e5 2.Bc4 Nc6 3.Qh5 Nf6, White to move.
constexpr const char* SCHOLARS_MATE_SETUP = "force\ne2e4\ne7e5\nf1c4\nb8c6\nd1h5\ng8f6\n";
// Leads to the position after 1.f3 e5 2.g4, Black to move and mate.
constexpr const char* FOOLS_MATE_SETUP = "force\nf2f3\ne7e5\ng2g4\n";

// ---------------------------------------------------------------------------

TEST(EngineTurn, GoPlaysTheSideToMoveThenWaits) {
    const std::string out = session("sd 2\ngo\n");
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(move [a-h][1-8][a-h][1-8]\n)"))) << out;

    // After "new" the engine plays Black and answers each move of White.
    const std::vector<std::string> lines = lines_of(session("new\nsd 2\ne2e4\nd2d4\n"));
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_match(line, move_line)) << line;
}

TEST(EngineTurn, WithoutLimitsOrBookGoFallsIntoForceMode) {
    // Both sides' moves are then accepted and nothing is answered.
    EXPECT_EQ(session("go\ne2e4\ne7e5\n"), "");
    EXPECT_EQ(session("sd 0\ngo\ne2e4\ne7e5\n"), "");
    // With a limit, a later "go" plays again.
    const std::string out = session("go\nsd 1\ngo\n");
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(move [a-h][1-8][a-h][1-8]\n)"))) << out;
}

TEST(EngineTurn, MatedEngineAnnouncesNothingAndFallsIntoForceMode) {
    // The engine plays Black and Qxf7 mates it: the result line only. After
    // "remove" Black is to move again, and force mode keeps the engine quiet.
    const std::string input = std::string("sd 2\n") + SCHOLARS_MATE_SETUP + "white\nh5f7\nremove\n";
    EXPECT_EQ(session(input), "1-0 {White wins}\n");
}

TEST(EngineTurn, MatingMoveIsFollowedByTheResultAndTheEngineKeepsItsSide) {
    const std::string input = std::string("sd 2\n") + FOOLS_MATE_SETUP + "go\n";
    EXPECT_EQ(session(input), "move d8h4\n0-1 {Black wins}\n");
    // Take the mate back: the engine still plays Black and mates again.
    EXPECT_EQ(session(input + "undo\n"), "move d8h4\n0-1 {Black wins}\nmove d8h4\n0-1 {Black wins}\n");
}

TEST(EngineTurn, HintNamesAMoveWithoutPlayingItOrThinkingAloud) {
    const std::vector<std::string> lines = lines_of(session("sd 2\npost\nhint\nhint\ne2e4\n"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(Hint: [a-h][1-8][a-h][1-8])"))) << lines[0];
    EXPECT_EQ(lines[1], lines[0]);
    // e2e4 was accepted silently: White was still to move.
}

TEST(EngineTurn, HintWithoutAMovePrintsNothing) {
    EXPECT_EQ(session("hint\n"), "");  // no limits yet, no book
    const std::string mated = std::string("sd 2\n") + FOOLS_MATE_SETUP + "d8h4\nhint\n";
    EXPECT_EQ(session(mated), "0-1 {Black wins}\n");
}

TEST(EngineTurn, ThinkingLinesOnePerDepthThenTheMoveOfTheirVariation) {
    const std::vector<std::string> lines = lines_of(session("sd 4\npost\ngo\n"));
    ASSERT_EQ(lines.size(), 5u);
    std::smatch m;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(std::regex_match(lines[i], m, thinking_line)) << lines[i];
        EXPECT_EQ(m[1], std::to_string(i + 1));
        EXPECT_FALSE(m[5].str().empty()) << lines[i];
    }
    ASSERT_TRUE(std::regex_match(lines[3], m, thinking_line));
    const std::string first_pv_move = m[5].str().substr(1, 4);
    EXPECT_EQ(lines[4], "move " + first_pv_move);

    // "nopost" silences them; the move stays the same.
    EXPECT_EQ(session("sd 4\npost\nnopost\ngo\n"), lines[4] + "\n");
}

TEST(EngineTurn, SameSessionSameOutputButForTheTime) {
    const std::string input = "sd 4\npost\ngo\na7a6\nh7h6\n";
    const std::regex time_field(R"((^|\n)(\d+ -?\d+ )\d+)");
    const std::string first = std::regex_replace(session(input), time_field, "$1$2#");
    const std::string second = std::regex_replace(session(input), time_field, "$1$2#");
    EXPECT_EQ(first, second);
    EXPECT_EQ(lines_of(first).size(), 15u);  // three moves of four lines and a move each
}

// ---------------------------------------------------------------------------

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(EngineTurnClock, OneSecondPerMoveWithSt) {
    TempDir dir;
    EngineProcess engine(dir.path);
    engine.send("new");
    engine.send("st 1");
    engine.send("post");
    const auto start = std::chrono::steady_clock::now();
    engine.send("e2e4");
    std::string line;
    while (engine.read_line(line, 5000) && !line.empty()) continue;  // start-up text
    std::vector<std::string> thinking;
    while (engine.read_line(line, 5000) && line.rfind("move ", 0) != 0) thinking.push_back(line);
    const double seconds = seconds_since(start);
    EXPECT_TRUE(std::regex_match(line, move_line)) << line;
    // Each line's time, in centiseconds, was taken before the move arrived.
    ASSERT_FALSE(thinking.empty());
    for (const std::string& text : thinking) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(text, m, thinking_line)) << text;
        EXPECT_LE(std::stoi(m[3]), seconds * 100 + 1) << text;
    }
    // From the start position no depth-16 search ends early: it runs to the deadline.
    EXPECT_GE(seconds, 0.9);
    EXPECT_LT(seconds, 5.0);
    EXPECT_EQ(engine.wait(5000), 0);
}

TEST(EngineTurnClock, TimeCommandGivesAThirtiethOfTheClock) {
    TempDir dir;
    EngineProcess engine(dir.path);
    engine.send("new");
    engine.send("time 300");  // 3 s left: 100 ms for the move
    const auto start = std::chrono::steady_clock::now();
    engine.send("e2e4");
    std::string line;
    ASSERT_TRUE(engine.read_until("move ", line, 5000));
    EXPECT_LT(seconds_since(start), 5.0);
    EXPECT_EQ(engine.wait(5000), 0);
}

TEST(EngineTurnClock, ZeroBudgetStillPlaysTheFirstIterationsMove) {
    // The search is abandoned at its 1024th node; iteration 1 had finished.
    const std::string out = session("st 0\ngo\n");
    EXPECT_TRUE(std::regex_match(out, std::regex(R"(move [a-h][1-8][a-h][1-8]\n)"))) << out;
}

// ---------------------------------------------------------------------------

TEST(EngineTurnSelfPlay, ThirtyMovesAtDepthTwo) {
    TempDir dir;
    const SelfPlayGame game = play_self_game(dir.path, {"sd 2"}, {"sd 2"}, 60, 20000);
    EXPECT_EQ(game.failure, "");
    EXPECT_TRUE(game.moves.size() == 60u || !game.result.empty()) << game.moves.size();
}

}  // namespace
