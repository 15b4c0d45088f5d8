// A real Polyglot book, Debian's gnuchess-book, when it is installed: its
// positions found move by move through castling and en passant, every answer legal.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "board_support.h"
#include "book/polyglot.h"

namespace {

const char* const BOOK_PATH = "/usr/share/games/gnuchess/book.bin";

std::string text_of(Move move) { return move == -1 ? "none" : move_to_text(move); }

bool is_legal(Move move) {
    for (const Move legal : legal_moves())
        if (legal == move) return true;
    return false;
}

// The book is read once for all tests; each test starts from the start position.
class GnuchessBook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::filesystem::exists(BOOK_PATH)) message_ = polyglot_load(book_, BOOK_PATH);
    }

    void SetUp() override {
        if (!std::filesystem::exists(BOOK_PATH)) GTEST_SKIP() << BOOK_PATH << " is not installed (gnuchess-book)";
        ASSERT_EQ(message_, nullptr) << message_;
        ASSERT_GT(book_.entries.size(), 1000u);
        reset_position();
        play("");
    }

    // How often each answer comes over 4096 random values spread over the whole range.
    static std::map<std::string, int> answers() {
        std::map<std::string, int> counts;
        for (std::uint32_t i = 0; i < 4096; ++i) ++counts[text_of(polyglot_probe(book_, i << 20))];
        return counts;
    }

    static inline PolyglotBook book_;
    static inline const char* message_ = nullptr;
};

TEST_F(GnuchessBook, TheStartPositionGetsTheMainFirstMoves) {
    std::map<std::string, int> counts;
    for (std::uint32_t i = 0; i < 200; ++i) {
        const Move move = polyglot_probe(book_, i * 21474836u + 12345u);
        ASSERT_NE(move, -1) << "draw " << i;
        EXPECT_TRUE(is_legal(move)) << text_of(move);
        ++counts[text_of(move)];
    }
    const std::vector<std::string> usual = {"e2e4", "d2d4", "c2c4", "g1f3", "g2g3", "b2b3", "b1c3", "f2f4"};
    for (const auto& [text, count] : counts)
        EXPECT_NE(std::find(usual.begin(), usual.end(), text), usual.end()) << text << " x" << count;
    EXPECT_GE(counts.size(), 3u);
    EXPECT_GT(counts["e2e4"] + counts["d2d4"], 100) << "the two main moves weigh most";
}

// Each position of these lines is in the book with the line's next move, so
// the keys agree through both castlings (written king takes rook), the
// castling rights lost one side at a time, and an en passant file that counts.
TEST_F(GnuchessBook, MainLinesAreFoundMoveByMove) {
    const char* const lines[] = {
        // Ruy Lopez, closed: White castles, then Black.
        "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6 b5a4 g8f6 e1g1 f8e7 f1e1 b7b5 a4b3 d7d6 c2c3 e8g8",
        // Czech Benoni: after e7e5 the pawn on d5 could take en passant.
        "d2d4 g8f6 c2c4 c7c5 d4d5 e7e5",
    };
    for (const char* line : lines) {
        reset_position();
        play("");
        std::istringstream in(line);
        std::string played;
        for (std::string next; in >> next;) {
            const std::map<std::string, int> counts = answers();
            EXPECT_EQ(counts.count("none"), 0u) << "no answer after \"" << played << "\"";
            EXPECT_EQ(counts.count(next), 1u) << next << " missing after \"" << played << "\"";
            ASSERT_NO_FATAL_FAILURE(play(next));
            played += next + " ";
        }
        EXPECT_NE(polyglot_probe(book_, 0), -1) << "no answer at the end of \"" << played << "\"";
    }
}

TEST_F(GnuchessBook, FollowingTheBookPlaysLegalMovesDeepIntoTheOpening) {
    std::uint32_t random = 2024;
    int plies = 0;
    for (int line = 0; line < 100; ++line) {
        reset_position();
        play("");
        for (int ply = 0; ply < 80; ++ply) {
            random = random * 1664525u + 1013904223u;
            const Move move = polyglot_probe(book_, random);
            if (move == -1) break;
            ASSERT_TRUE(is_legal(move)) << text_of(move) << " in " << position_to_fen();
            ASSERT_EQ(make_move(move), 1);
            search_ply = 0;
            generate_moves();
            ++plies;
        }
    }
    // Lines run 3 to 50 plies deep in this book; a key that went wrong after
    // castling or a double push would cut them short.
    EXPECT_GE(plies, 100 * 10);
}

}  // namespace
