// The opening book shipped with the engine: its layout, and every line
// playable move by move and offered by the probe to its end.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board_support.h"
#include "book/book.h"

namespace {

const std::string book_path = std::string(TAVRIN_SOURCE_DIR) + "/book.book";

std::vector<std::string> words_of(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

class ShippedBook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ifstream in(book_path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::istringstream text(bytes_);
        for (std::string line; std::getline(text, line);) lines_.push_back(line);
    }

    void SetUp() override { ASSERT_FALSE(bytes_.empty()) << "cannot read " << book_path; }

    static inline std::string bytes_;
    static inline std::vector<std::string> lines_;
};

}  // namespace

TEST_F(ShippedBook, LayoutIsOneOpeningPerLineWithSingleBlanks) {
    EXPECT_EQ(bytes_.back(), '\n') << "the last line must end with LF";
    EXPECT_EQ(bytes_.find('\r'), std::string::npos) << "CR found";
    EXPECT_GE(lines_.size(), 300u);
    std::map<std::string, int> first_seen;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const int number = static_cast<int>(i) + 1;
        // The probe reads lines into a 256-byte buffer.
        EXPECT_LT(line.size(), 255u) << "line " << number << " is too long";
        std::string joined;
        for (const std::string& w : words_of(line)) joined += (joined.empty() ? "" : " ") + w;
        EXPECT_EQ(line, joined) << "line " << number << " is not moves separated by single blanks";
        const std::size_t plies = words_of(line).size();
        EXPECT_TRUE(plies >= 8 && plies <= 20) << "line " << number << " has " << plies << " plies";
        const auto [it, fresh] = first_seen.emplace(line, number);
        EXPECT_TRUE(fresh) << "line " << number << " repeats line " << it->second;
    }
}

// Each move is legal where it stands and spelled as the engine spells it,
// and the engine's own probe offers a move before each.
TEST_F(ShippedBook, EveryLineIsPlayableAndOfferedToItsEnd) {
    book_file = std::fopen(book_path.c_str(), "r");
    ASSERT_NE(book_file, nullptr);
    seed_random(1);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        reset_position();
        play("");
        for (const std::string& w : words_of(lines_[i])) {
            ASSERT_NE(book_probe(), -1) << "line " << i + 1 << ": no book move before " << w;
            ASSERT_STREQ(move_to_text(move_of(w.c_str())), w.c_str()) << "line " << i + 1;
            ASSERT_NO_FATAL_FAILURE(play(w)) << "line " << i + 1;
        }
    }
    std::fclose(book_file);
    book_file = nullptr;
}

// The engine must find book moves with either colour against the common first moves.
TEST_F(ShippedBook, BothColoursHaveChoicesAgainstTheCommonFirstMoves) {
    std::map<std::string, std::set<std::string>> replies;
    for (const std::string& line : lines_) {
        const std::vector<std::string> words = words_of(line);
        if (words.size() >= 2) replies[words[0]].insert(words[1]);
    }
    EXPECT_GE(replies.size(), 4u) << "too few first moves for White";
    for (const char* first : {"e2e4", "d2d4", "c2c4", "g1f3"})
        EXPECT_GE(replies[first].size(), 2u) << "too few replies for Black after " << first;
}
