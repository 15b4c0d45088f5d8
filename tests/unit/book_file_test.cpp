// The opening book shipped with the engine: its layout, and every move legal in turn.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "book/book.h"

namespace {

const std::string book_path = std::string(TAVRIN_SOURCE_DIR) + "/book.book";

constexpr int MIN_LINES = 300;
constexpr int MIN_PLIES = 8;
constexpr int MAX_PLIES = 20;

class ShippedBook : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        init_zobrist();
        std::ifstream in(book_path, std::ios::binary);
        loaded_ = static_cast<bool>(in);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        lines_.clear();
        std::string::size_type start = 0;
        while (start < bytes_.size()) {
            std::string::size_type end = bytes_.find('\n', start);
            if (end == std::string::npos) end = bytes_.size();
            lines_.push_back(bytes_.substr(start, end - start));
            start = end + 1;
        }
    }

    void SetUp() override {
        ASSERT_TRUE(loaded_) << "cannot read " << book_path;
        reset_position();
    }

    void TearDown() override {
        if (book_file) std::fclose(book_file);
        book_file = nullptr;
    }

    static std::vector<std::string> words_of(const std::string& line) {
        std::vector<std::string> words;
        std::istringstream in(line);
        for (std::string w; in >> w;) words.push_back(w);
        return words;
    }

    // Plays `text` on the global position the way the command loop does;
    // false when it is no legal move there or is not spelled as the engine spells it.
    static bool play(const std::string& text) {
        search_ply = 0;
        generate_moves();
        const int index = parse_move_text(text.c_str());
        if (index == -1) return false;
        const Move move = move_list[index].move;
        if (text != move_to_text(move)) return false;
        return make_move(move) == 1;
    }

    static inline bool loaded_ = false;
    static inline std::string bytes_;
    static inline std::vector<std::string> lines_;
};

TEST_F(ShippedBook, LayoutIsOneLinePerOpeningWithSingleBlanks) {
    ASSERT_FALSE(bytes_.empty());
    EXPECT_EQ(bytes_.back(), '\n') << "the last line must end with LF";
    EXPECT_EQ(bytes_.find('\r'), std::string::npos) << "CR found";
    EXPECT_GE(static_cast<int>(lines_.size()), MIN_LINES);

    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const int number = static_cast<int>(i) + 1;
        if (line.empty()) {
            ADD_FAILURE() << "line " << number << " is blank";
            continue;
        }
        // The probe reads lines into a 256-byte buffer.
        EXPECT_LT(line.size(), 255u) << "line " << number << " is too long";
        EXPECT_NE(line.front(), ' ') << "line " << number << " starts with a blank";
        EXPECT_NE(line.back(), ' ') << "line " << number << " ends with a blank";
        EXPECT_EQ(line.find("  "), std::string::npos) << "line " << number << " has a double blank";
        for (const std::string& w : words_of(line)) {
            const bool square_chars = w.size() == 4 && w[0] >= 'a' && w[0] <= 'h' && w[1] >= '1' &&
                                      w[1] <= '8' && w[2] >= 'a' && w[2] <= 'h' && w[3] >= '1' &&
                                      w[3] <= '8';
            EXPECT_TRUE(square_chars) << "line " << number << ": bad move text '" << w << "'";
        }
        for (char c : line)
            if (c != ' ' && !(c >= 'a' && c <= 'h') && !(c >= '1' && c <= '8')) {
                ADD_FAILURE() << "line " << number << ": stray character code " << int(c);
                break;
            }
        const int plies = static_cast<int>(words_of(line).size());
        EXPECT_GE(plies, MIN_PLIES) << "line " << number << " has " << plies << " plies";
        EXPECT_LE(plies, MAX_PLIES) << "line " << number << " has " << plies << " plies";
    }
}

TEST_F(ShippedBook, NoLineIsRepeated) {
    std::map<std::string, int> first_seen;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto [it, fresh] = first_seen.emplace(lines_[i], static_cast<int>(i) + 1);
        EXPECT_TRUE(fresh) << "line " << i + 1 << " repeats line " << it->second << ": " << lines_[i];
    }
}

TEST_F(ShippedBook, EveryMoveIsLegalFromTheStartPosition) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        reset_position();
        const std::vector<std::string> words = words_of(lines_[i]);
        for (std::size_t ply = 0; ply < words.size(); ++ply) {
            const std::string& w = words[ply];
            search_ply = 0;
            generate_moves();
            const int index = parse_move_text(w.c_str());
            EXPECT_NE(index, -1) << "line " << i + 1 << ", ply " << ply + 1 << ": " << w
                                 << " is no move here";
            if (index == -1) break;
            const Move move = move_list[index].move;
            EXPECT_EQ(w, move_to_text(move)) << "line " << i + 1 << ", ply " << ply + 1;
            const int made = make_move(move);
            EXPECT_EQ(made, 1) << "line " << i + 1 << ", ply " << ply + 1 << ": " << w
                               << " is illegal here";
            if (made != 1) break;
        }
    }
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

// Read through the engine's own probe, each line keeps offering a move up to its end.
TEST_F(ShippedBook, ProbeFollowsEveryLineToItsEnd) {
    book_file = std::fopen(book_path.c_str(), "r");
    ASSERT_NE(book_file, nullptr);
    seed_random(1);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        reset_position();
        const std::vector<std::string> words = words_of(lines_[i]);
        for (std::size_t ply = 0; ply < words.size(); ++ply) {
            search_ply = 0;
            generate_moves();
            const Move move = book_probe();
            EXPECT_NE(move, -1) << "line " << i + 1 << ": no book move before ply " << ply + 1;
            if (move == -1 || !play(words[ply])) break;
        }
    }
}

}  // namespace
