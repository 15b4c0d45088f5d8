// Book moves through the real executable: replies, the ply limit, hints, illegal lines.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "book_lines.h"
#include "session.h"

// No time command: only the book can give a move.
TEST(BookPlay, ShippedBookAnswersTheFirstMove) {
    std::ifstream in(TAVRIN_SOURCE_DIR "/book.book", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string book = text.str();
    ASSERT_FALSE(book.empty()) << "the shipped book is missing";
    std::set<std::string> replies;  // what the lines play after e2e4
    std::istringstream lines(book);
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, 5, "e2e4 ") == 0) replies.insert(line.substr(5, 4));

    const std::string out = session("new\ne2e4\n", book);
    ASSERT_EQ(mask_search(out), "move <m>\n");
    EXPECT_TRUE(replies.count(out.substr(5, 4))) << out;
}

TEST(BookPlay, BookAnswersAtPlyTwentyFiveButNotAtTwentySix) {
    // Without a time command a turn that the book cannot answer ends silently
    // in force mode; "undo" then brings the game back within the book's reach.
    EXPECT_EQ(session("force\n" + spanish(26, "\n") + "go\nundo\ngo\n", spanish(30, " ") + "\n"),
              "move " + SPANISH_LINE[25] + "\n");
}

TEST(BookPlay, HintFromTheBookDoesNotThinkOrPlay) {
    // With thinking output on and a search allowed, the book still answers
    // without a thinking line. The engine plays no side, so the later e2e4
    // is accepted only if the hint left the position alone.
    EXPECT_EQ(session("post\nsd 3\nhint\ne2e4\nhint\nhint\n", "e2e4 e7e5\n"), "Hint: e2e4\nHint: e7e5\nHint: e7e5\n");
}

TEST(BookPlay, PinnedPieceMoveIsNeverAnnounced) {
    // After 3. Nc3 Nf6 White's knight is pinned by the bishop on b4. With
    // only illegal book moves the engine falls silently into force mode and
    // the position is unchanged, so White's a2a3 is then accepted.
    const std::string game = "e2e4 e7e5 d2d4 f8b4 b1c3 g8f6 ";
    EXPECT_EQ(session("force\n" + moves(game) + "go\nhint\na2a3\n", game + "c3d5\n" + game + "c3b5\n"), "");
}
