// Book moves through the real executable: replies, the ply limit, hints, illegal lines.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine_process.h"

namespace {

// A closed Spanish, 30 plies, every move legal in turn.
const char* const spanish_line[] = {
    "e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6", "e1g1", "f8e7",
    "f1e1", "b7b5", "a4b3", "d7d6", "c2c3", "e8g8", "h2h3", "c6b8", "d2d4", "b8d7",
    "b1d2", "c8b7", "b3c2", "f8e8", "d2f1", "e7f8", "f1g3", "g7g6", "a2a4", "c7c5",
};

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The moves that lines of `book` play right after `game` (moves followed by one blank).
std::set<std::string> book_replies(const std::string& book, const std::string& game) {
    std::set<std::string> replies;
    std::istringstream lines(book);
    std::string line;
    while (std::getline(lines, line))
        if (line.compare(0, game.size(), game) == 0 && line.size() >= game.size() + 4)
            replies.insert(line.substr(game.size(), 4));
    return replies;
}

std::string lines_of(const char* const* moves, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::string(moves[i]) + "\n";
    return text;
}

std::string spanish(int plies, const char* separator) {
    std::string text;
    for (int i = 0; i < plies; ++i) text += std::string(i ? separator : "") + spanish_line[i];
    return text;
}

// Reads the start-up text: the banner lines, the book line and the empty line.
void skip_banner(EngineProcess& engine, bool book_open) {
    std::istringstream expected(banner(book_open));
    std::string want, got;
    while (std::getline(expected, want)) {
        ASSERT_TRUE(engine.read_line(got, 5000));
        ASSERT_EQ(got, want);
    }
}

TEST(BookPlayShippedBook, AnswersTheFirstMoveAtOnceWithABookMove) {
    const std::string book = read_text(TAVRIN_SOURCE_DIR "/book.book");
    ASSERT_FALSE(book.empty()) << "the shipped book is missing";
    const std::set<std::string> allowed = book_replies(book, "e2e4 ");
    ASSERT_FALSE(allowed.empty());

    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", book);
    EngineProcess engine(dir);
    ASSERT_NO_FATAL_FAILURE(skip_banner(engine, true));
    // No time command: only the book can give a move, and it takes no thinking time.
    engine.send("new");
    engine.send("e2e4");
    std::string line;
    ASSERT_TRUE(engine.read_line(line, 3000));
    ASSERT_EQ(line.compare(0, 5, "move "), 0) << line;
    EXPECT_EQ(line.size(), 9u) << line;
    EXPECT_TRUE(allowed.count(line.substr(5))) << line;
    engine.send("quit");
    EXPECT_EQ(engine.wait(5000), 0);
}

TEST(BookPlayPlyLimit, BookAnswersAtPlyTwentyFiveButNotAtTwentySix) {
    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", spanish(30, " ") + "\n");
    // Without a time command a turn that the book cannot answer ends silently
    // in force mode; "undo" then brings the game back within the book's reach.
    const std::string input =
        "force\n" + lines_of(spanish_line, 26) + "go\n" + "undo\n" + "go\n" + "quit\n";
    const EngineResult run = run_engine(input, dir);
    EXPECT_EQ(run.output, banner(true) + "move " + spanish_line[25] + "\n");
    EXPECT_EQ(run.exit_code, 0);
}

TEST(BookPlayPlyLimit, EngineFollowsTheBookAsLongAsItMay) {
    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", spanish(30, " ") + "\n");
    // The engine plays Black from the book; after White's 14th move the game
    // is 27 plies long and the engine has no move of its own.
    std::string input = "new\n";
    std::string expected = banner(true);
    for (int ply = 0; ply < 28; ply += 2) {
        input += std::string(spanish_line[ply]) + "\n";
        if (ply + 1 <= 25) expected += std::string("move ") + spanish_line[ply + 1] + "\n";
    }
    const EngineResult run = run_engine(input, dir);
    EXPECT_EQ(run.output, expected);
}

TEST(BookPlayHint, HintFromTheBookDoesNotThinkOrPlay) {
    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", "e2e4 e7e5\n");
    // With thinking output on and a search allowed, the book still answers
    // without a thinking line. The engine plays no side, so the later e2e4
    // is accepted only if the hint left the position alone.
    const EngineResult run = run_engine("post\nsd 3\nhint\ne2e4\nhint\nhint\n", dir);
    EXPECT_EQ(run.output, banner(true) + "Hint: e2e4\nHint: e7e5\nHint: e7e5\n");
}

TEST(BookPlayHint, BookMoveOnTheEnginesTurnPrintsNoThinking) {
    const TempDir temp;
    const std::string& dir = temp.path;
    write_file(dir, "book.book", "e2e4 e7e5 g1f3\n");
    const EngineResult run = run_engine("post\nsd 2\nnew\ne2e4\n", dir);
    EXPECT_EQ(run.output, banner(true) + "move e7e5\n");
}

TEST(BookPlayIllegalLines, PinnedPieceMoveIsNeverAnnounced) {
    // After 3. Nc3 Nf6 White's knight is pinned by the bishop on b4.
    const std::string game = "e2e4 e7e5 d2d4 f8b4 b1c3 g8f6 ";
    const std::string moves = "force\ne2e4\ne7e5\nd2d4\nf8b4\nb1c3\ng8f6\n";
    const TempDir temp;
    const std::string& dir = temp.path;

    // Only the illegal move: no move, the engine falls into force mode and
    // the position is unchanged, so White's a2a3 is then accepted silently.
    write_file(dir, "book.book", game + "c3d5\n" + game + "c3b5\n");
    EngineResult run = run_engine(moves + "go\nhint\na2a3\n", dir);
    EXPECT_EQ(run.output, banner(true));

    // Beside a legal line the illegal moves are never chosen, whatever the seed.
    write_file(dir, "book.book", game + "c3d5\n" + game + "c3b5\n" + game + "a2a3\n" + game + "c3a4\n");
    run = run_engine(moves + "go\n", dir);
    EXPECT_EQ(run.output, banner(true) + "move a2a3\n");
}

}  // namespace
