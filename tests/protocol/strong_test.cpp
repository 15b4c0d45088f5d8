// The strong search and the options for players and analysts, through the
// real executable: its thinking lines, several lines at once, a weaker
// setting that never throws a queen away, Polyglot books, and the same
// options in xboard protocol 2.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

// An engine in UCI mode with the strong search, past its options.
class StrongUci : public Conversation {
public:
    StrongUci() {
        send("uci");
        EXPECT_NE(next("uciok"), "");
        send("setoption name Search value strong");
    }
};

const std::regex strong_info(
    R"(info depth (\d+) seldepth \d+ (multipv (\d+) )?score (cp|mate) (-?\d+) time \d+ nodes \d+ nps \d+ hashfull \d+ pv( [a-h][1-8][a-h][1-8][nbrq]?)+)");

TEST(StrongUci, ThinksDeeperThanTheClassicSearchAndNamesItsPonderMove) {
    StrongUci uci;
    uci.send("position startpos moves e2e4");
    uci.send("go depth 9");
    const std::vector<std::string> lines = uci.lines_until("bestmove");
    ASSERT_EQ(lines.size(), 10u);
    for (int i = 0; i < 9; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[i], m, strong_info)) << lines[i];
        EXPECT_EQ(m[1], std::to_string(i + 1));
        EXPECT_FALSE(m[2].matched) << "one line: no multipv field";
    }
    EXPECT_TRUE(std::regex_match(lines[9], std::regex("bestmove [a-h][1-8][a-h][1-8] ponder [a-h][1-8][a-h][1-8]")));
    EXPECT_EQ(uci.quit(), 0);
}

// One move wins the queen; the others follow it, best first, at every depth.
TEST(StrongUci, SeveralLinesComeOrderedBestFirstAtEveryDepth) {
    StrongUci uci;
    uci.send("setoption name MultiPV value 3");
    uci.send("position fen 3qk3/8/8/8/8/8/P6P/3RK3 w - - 0 1");
    uci.send("go depth 6");
    const std::vector<std::string> lines = uci.lines_until("bestmove");
    ASSERT_EQ(lines.size(), 19u);
    for (int depth = 1; depth <= 6; ++depth) {
        int previous = 1 << 30;
        for (int k = 1; k <= 3; ++k) {
            const std::string& line = lines[(depth - 1) * 3 + (k - 1)];
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, strong_info)) << line;
            EXPECT_EQ(m[1], std::to_string(depth));
            EXPECT_EQ(m[3], std::to_string(k));
            const int score = std::stoi(m[5]);
            EXPECT_LE(score, previous) << line;
            previous = score;
            if (k == 1) {
                EXPECT_NE(line.find(" pv d1d8"), std::string::npos) << line;
            }
        }
    }
    EXPECT_EQ(lines.back().substr(0, 13), "bestmove d1d8");
    EXPECT_EQ(uci.quit(), 0);
}

// The weakest setting errs, but never by a queen: White has put its queen
// where a pawn takes it, and every other move is a queen worse.
TEST(StrongUci, TheWeakestSettingNeverMissesAQueen) {
    StrongUci uci;
    uci.send("setoption name UCI_LimitStrength value true");
    uci.send("setoption name UCI_Elo value 1350");
    for (int game = 0; game < 12; ++game) {
        uci.send("position fen rnbqkbnr/ppp1pppp/8/3p4/4Q3/8/PPPP1PPP/RNB1KBNR b KQkq - 0 3");
        uci.send("go wtime 60000 btime 60000");
        ASSERT_EQ(uci.next("bestmove").substr(0, 13), "bestmove d5e4");
    }
    EXPECT_EQ(uci.quit(), 0);
}

// The start position's Polyglot key and e2e4, big-endian.
const std::string POLYGLOT_E2E4 = std::string("\x46\x3b\x96\x18\x16\x91\xfc\x9c\x03\x1c\x00\x01\x00\x00\x00\x00", 16);

TEST(StrongUci, APolyglotBookIsRecognisedByItsContentAndAPoorOneRefused) {
    TempDir dir;
    write_file(dir.path, "opening.bin", POLYGLOT_E2E4);
    write_file(dir.path, "broken.bin", POLYGLOT_E2E4.substr(0, 15) + "\x01\x02\x03");
    StrongUci uci;
    uci.send("setoption name BookFile value " + dir.path + "/opening.bin");
    uci.send("position startpos");
    uci.send("go wtime 60000 btime 60000");
    EXPECT_EQ(uci.lines_until("bestmove"), std::vector<std::string>{"bestmove e2e4"});
    uci.send("setoption name BookFile value " + dir.path + "/broken.bin");
    EXPECT_EQ(uci.next("info string"),
              "info string no book: the book file's size is not a multiple of 16 bytes: truncated, or no Polyglot book (" +
                  dir.path + "/broken.bin)");
    uci.send("go depth 1");
    EXPECT_NE(uci.next("info depth 1"), "");  // no book now: it searches
    EXPECT_EQ(uci.quit(), 0);
}

TEST(StrongUci, BadOptionValuesAreRefusedWithTheirRange) {
    StrongUci uci;
    for (const char* option : {"Hash value 0", "Threads value 999", "MultiPV value x", "UCI_Elo value 3000",
                               "Skill Level value -1", "Move Overhead value 6000", "Search value fast"})
        uci.send(std::string("setoption name ") + option);
    uci.send("isready");
    const std::vector<std::string> lines = uci.lines_until("readyok");
    const std::vector<std::string> expected = {
        "info string Hash takes 1 to \\d+",          "info string Threads takes 1 to 256",
        "info string MultiPV takes 1 to 256",         "info string UCI_Elo takes 1350 to 2200",
        "info string Skill Level takes 0 to 20",      "info string Move Overhead takes 0 to 5000",
        "info string Search is classic or strong, not fast", "readyok"};
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], std::regex(expected[i]))) << lines[i];
    EXPECT_EQ(uci.quit(), 0);
}

// Protocol 2 offers the same options as features and takes them by "option".
TEST(StrongXboard, OptionsMemoryAndCoresInProtocol2) {
    const std::string out = session("xboard\nprotover 2\nmemory 32\ncores 2\noption Search=strong\n"
                                    "option MultiPV=2\noption Frobnicate=1\nmemory x\nsd 6\npost\ngo\n");
    const std::string after_features = out.substr(out.find("done=1\n") + 7);
    std::istringstream lines(after_features);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "Error (bad option): option Frobnicate=1");
    std::getline(lines, line);
    EXPECT_EQ(line, "Error (bad parameters): memory x");
    // Two lines a depth, up to depth 6, then the move.
    int thinking = 0;
    while (std::getline(lines, line) && line.compare(0, 5, "move ") != 0) {
        EXPECT_TRUE(std::regex_match(line, std::regex("[1-6] -?\\d+ \\d+ \\d+( [a-h][1-8][a-h][1-8][nbrq]?)+"))) << line;
        ++thinking;
    }
    EXPECT_EQ(thinking, 12);
    EXPECT_TRUE(std::regex_match(line, std::regex("move [a-h][1-8][a-h][1-8]"))) << line;
}

}  // namespace
