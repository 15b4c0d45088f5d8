// The opening book probe: line matching, weights, the random draw, and hostile files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "board_support.h"
#include "book/book.h"
#include "book_lines.h"

namespace {

// White's c-pawn runs to b7 and can promote on a8, b8 or c8.
const std::string promotion_prefix = "e2e4 d7d5 e4d5 c7c6 d5c6 g8f6 c6b7 b8d7 ";

// "undo" and "remove": moves taken back, and the list rebuilt.
void take_back(int plies) {
    for (int i = 0; i < plies; ++i) unmake_move();
    play("");
}

std::string text_of(Move move) { return move == -1 ? "none" : move_to_text(move); }

std::string probe_with_seed(std::uint32_t seed) {
    seed_random(seed);
    return text_of(book_probe());
}

// Over many seeds, the probe must pick exactly as the weights say:
// r = draw mod total, walked through the candidates in file order.
void expect_weighted_choice(const std::vector<std::pair<std::string, int>>& candidates) {
    int total = 0;
    for (const auto& [text, count] : candidates) total += count;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        seed_random(seed);
        const std::uint32_t state = random_state;
        int r = next_random() % total;
        std::string expected = "none";
        for (const auto& [text, count] : candidates) {
            r -= count;
            if (r < 0) {
                expected = text;
                break;
            }
        }
        random_state = state;
        ASSERT_EQ(text_of(book_probe()), expected) << "seed " << seed;
    }
}

// A probe that answers draws exactly one number; one that has nothing draws none.
void expect_draws(int draws, std::string* answer = nullptr) {
    seed_random(12345);
    const std::uint32_t before = random_state;
    const Move move = book_probe();
    if (answer) *answer = text_of(move);
    const std::uint32_t after = random_state;
    random_state = before;
    for (int i = 0; i < draws; ++i) next_random();
    EXPECT_EQ(after, random_state) << "expected " << draws << " draw(s)";
}

// Each test starts from the start position with no book; use_book writes a
// file and opens it as start-up does.
class BookTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_position();
        play("");
    }

    void TearDown() override {
        if (book_file) std::fclose(book_file);
        book_file = nullptr;
        if (!path_.empty()) std::remove(path_.c_str());
    }

    // Writes `bytes` exactly as given and opens it in text mode.
    void use_book(const std::string& bytes) {
        if (book_file) std::fclose(book_file);
        book_file = nullptr;
        if (path_.empty()) {
            char name[] = "/tmp/tavrin-book-XXXXXX";
            const int fd = mkstemp(name);
            ASSERT_GE(fd, 0);
            close(fd);
            path_ = name;
        }
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
        book_file = std::fopen(path_.c_str(), "r");
        ASSERT_NE(book_file, nullptr);
    }

    std::string path_;
};

class BookWeights : public BookTest {};
class BookPrefix : public BookTest {};
class BookSkippedLines : public BookTest {};
class BookPromotion : public BookTest {};
class BookLongLines : public BookTest {};
class BookCandidateLimit : public BookTest {};
class BookGameLength : public BookTest {};
class BookFiles : public BookTest {};

TEST_F(BookWeights, EachLineCountsOnceAndCandidatesKeepTheirFirstPlace) {
    use_book("e2e4 e7e5\ne2e4 c7c5\nd2d4 d7d5\n");
    expect_weighted_choice({{"e2e4", 2}, {"d2d4", 1}});
    // d2d4 first appears before e2e4, so low draws pick it.
    use_book("d2d4 d7d5\ne2e4 e7e5\nd2d4 g8f6\ng1f3\ne2e4 c7c5\ne2e4 e7e6\n");
    expect_weighted_choice({{"d2d4", 2}, {"e2e4", 3}, {"g1f3", 1}});
}

TEST_F(BookWeights, OneDrawPerAnsweredProbeAndNoneOtherwise) {
    use_book("e2e4 e7e5\nd2d4 d7d5\n");
    std::string answer;
    expect_draws(1, &answer);
    EXPECT_TRUE(answer == "e2e4" || answer == "d2d4") << answer;

    ASSERT_NO_FATAL_FAILURE(play("g1f3"));  // no line continues from here
    expect_draws(0, &answer);
    EXPECT_EQ(answer, "none");

    std::fclose(book_file);
    book_file = nullptr;
    expect_draws(0, &answer);
    EXPECT_EQ(answer, "none");
}

TEST_F(BookWeights, ProbeLeavesThePositionAndMoveListAsTheyWere) {
    use_book("e2e4 e7e5 g1f3\ne2e4 e7e5 f1c4\ne2e4 e7e5 e1e2\n");
    ASSERT_NO_FATAL_FAILURE(play("e2e4 e7e5"));
    const std::string fen = position_to_fen();
    const std::uint32_t hash = position_hash;
    const int first_of_ply_one = ply_first_move[1];
    const std::vector<ScoredMove> list(move_list, move_list + first_of_ply_one);
    seed_random(7);
    const std::string chosen = text_of(book_probe());
    EXPECT_TRUE(chosen == "g1f3" || chosen == "f1c4" || chosen == "e1e2") << chosen;
    EXPECT_EQ(position_to_fen(), fen);
    EXPECT_EQ(position_hash, hash);
    EXPECT_EQ(history_ply, 2);
    EXPECT_EQ(search_ply, 0);
    ASSERT_EQ(ply_first_move[1], first_of_ply_one);
    for (int i = 0; i < first_of_ply_one; ++i) EXPECT_EQ(move_list[i].move, list[i].move) << i;
}

TEST_F(BookPrefix, OnlyTheGameFollowedByOneBlankMatches) {
    // "e2e4" ends the file without a newline, so it cannot end in a blank either.
    use_book("e2e4\ne2e4  e7e5\ne2e4\te7e6\nE2E4 d7d5\ne2e4");
    ASSERT_NO_FATAL_FAILURE(play("e2e4"));
    expect_draws(0);
    EXPECT_EQ(probe_with_seed(1), "none");

    use_book("e2e4\ne2e4  e7e5\ne2e4 c7c5\nd2d4 e7e5\ne2e4 e7e6\ne2e4x d7d5\n");
    expect_weighted_choice({{"c7c5", 1}, {"e7e6", 1}});
}

TEST_F(BookPrefix, NewGameAndTakeBacksShortenTheGameText) {
    use_book("e2e4 e7e5 g1f3\ne2e4 c7c5\nd2d4 d7d5\n");
    ASSERT_NO_FATAL_FAILURE(play("e2e4 e7e5"));
    EXPECT_EQ(probe_with_seed(3), "g1f3");

    // "undo": one move back.
    take_back(1);
    expect_weighted_choice({{"e7e5", 1}, {"c7c5", 1}});

    // "remove" after Black's reply: two moves back, to White's first move.
    ASSERT_NO_FATAL_FAILURE(play("c7c5"));
    take_back(2);
    expect_weighted_choice({{"e2e4", 2}, {"d2d4", 1}});

    // "new": a game that began differently is forgotten.
    ASSERT_NO_FATAL_FAILURE(play("d2d4 d7d5"));
    EXPECT_EQ(probe_with_seed(3), "none");
    reset_position();
    play("");
    expect_weighted_choice({{"e2e4", 2}, {"d2d4", 1}});
}

TEST_F(BookSkippedLines, TextThatIsNoMoveOfTheSideToMoveIsNotCounted) {
    // If a skipped line were counted, draws past the real total would find no
    // candidate; if it were stored, it would be chosen.
    use_book("e7e5\ne2e9\ni2i4\ne2e5\ne1e2\ne2\n\n e2e4\nxyz\ne2e4\ng1f3 e7e5\n");
    expect_weighted_choice({{"e2e4", 1}, {"g1f3", 1}});

    ASSERT_NO_FATAL_FAILURE(play("e2e4"));
    use_book("e2e4 e2e4\ne2e4 d2d4\ne2e4 e7e9\ne2e4 c7c5\ne2e4 e5e4\n");
    expect_weighted_choice({{"c7c5", 1}});
}

TEST_F(BookSkippedLines, MovesThatLeaveTheKingInCheckAreNotCounted) {
    // In check from b4, only the blocks answer it.
    std::string game = "e2e4 e7e5 d2d4 f8b4 ";
    ASSERT_NO_FATAL_FAILURE(play(game));
    use_book(game + "g1f3\n" + game + "c2c3\n" + game + "a2a3\n" + game + "b1c3\n");
    expect_weighted_choice({{"c2c3", 1}, {"b1c3", 1}});

    // After 3. Nc3 the knight is pinned by the bishop on b4; after 3... Nf6
    // White's knight moves would expose the king.
    ASSERT_NO_FATAL_FAILURE(play("b1c3 g8f6"));
    game += "b1c3 g8f6 ";
    use_book(game + "c3d5\n" + game + "c3b5\n");
    expect_draws(0);
    EXPECT_EQ(probe_with_seed(5), "none");

    use_book(game + "c3d5\n" + game + "g1f3\n" + game + "c3e2\n" + game + "a2a3\n" + game + "c3a4\n");
    expect_weighted_choice({{"g1f3", 1}, {"a2a3", 1}});
}

// The fifth character picks the piece as in move input: n, b, r in either
// case, else a queen.
TEST_F(BookPromotion, EachPieceIsItsOwnCandidate) {
    ASSERT_NO_FATAL_FAILURE(play(promotion_prefix));
    use_book(promotion_prefix + "b7a8N\n" + promotion_prefix + "b7a8\n" + promotion_prefix + "b7a8q\n" +
             promotion_prefix + "b7a8R\n" + promotion_prefix + "b7a8Q\n" + promotion_prefix + "b7a8b\n");
    expect_weighted_choice({{"b7a8n", 1}, {"b7a8q", 3}, {"b7a8r", 1}, {"b7a8b", 1}});
}

TEST_F(BookPromotion, APromotionInTheGameIsSpelledLowerCase) {
    ASSERT_NO_FATAL_FAILURE(play(promotion_prefix));
    ASSERT_NO_FATAL_FAILURE(play("b7a8N"));
    use_book(promotion_prefix + "b7a8n e7e6\n" + promotion_prefix + "b7a8N e7e5\n" + promotion_prefix +
             "b7a8 g7g6\n" + promotion_prefix + "b7a8q h7h6\n" + promotion_prefix + "b7a8n g7g5\n");
    expect_weighted_choice({{"e7e6", 1}, {"g7g5", 1}});
}

TEST_F(BookLongLines, EachPieceOfALongLineCountsAsALine) {
    // 255 characters fill the buffer; the rest of the line is read as the next piece.
    use_book("e2e4" + std::string(251, ' ') + "d2d4 d7d5\n");
    expect_weighted_choice({{"e2e4", 1}, {"d2d4", 1}});

    // Exactly 255 characters before the newline: the second piece is the bare newline.
    use_book("d2d4" + std::string(251, ' ') + "\ng1f3\n");
    expect_weighted_choice({{"d2d4", 1}, {"g1f3", 1}});

    // Three pieces, the middle one no move.
    use_book("c2c4" + std::string(251, 'x') + "zzzz" + std::string(251, 'x') + "b1c3\n");
    expect_weighted_choice({{"c2c4", 1}, {"b1c3", 1}});
}

TEST_F(BookLongLines, AFollowingPieceMatchesOnlyIfItSpellsTheWholeGame) {
    ASSERT_NO_FATAL_FAILURE(play("e2e4"));
    use_book("e2e4 e7e5" + std::string(246, ' ') + "e2e4 c7c5\n" + "e2e4 e7e6" + std::string(246, ' ') +
             "c7c6\n");
    expect_weighted_choice({{"e7e5", 1}, {"c7c5", 1}, {"e7e6", 1}});
}

TEST_F(BookCandidateLimit, DistinctMovesBeyondFiftyAreIgnored) {
    // 218 legal moves for White: room for far more distinct book moves than
    // the probe keeps. The loaded position has no history, so each line is
    // just the move to play.
    load("R6R/3Q4/1Q4Q1/4Q3/2Q4Q/Q4Q2/pp1Q4/kBNN1KB1 w - - 0 1");
    std::vector<std::string> legal;
    for (const Move move : legal_moves()) legal.push_back(move_to_text(move));
    legal.resize(60);
    ASSERT_EQ(legal.size(), 60u);
    std::string book;
    for (const std::string& move : legal) book += move + "\n";
    use_book(book);
    std::vector<std::pair<std::string, int>> first_fifty;
    for (int i = 0; i < BOOK_MAX_CANDIDATES; ++i) first_fifty.push_back({legal[i], 1});
    expect_weighted_choice(first_fifty);

    // A move already stored still gains weight after the storage is full.
    use_book(book + legal[0] + "\n" + legal[55] + "\n");
    first_fifty[0].second = 2;
    expect_weighted_choice(first_fifty);
}

TEST_F(BookGameLength, ConsultedUpToPlyTwentyFiveOnly) {
    use_book(spanish(30, " ") + "\n");
    for (int ply = 0; ply < 29; ++ply) {
        ASSERT_EQ(history_ply, ply);
        if (ply <= BOOK_PLY_LIMIT) {
            EXPECT_EQ(probe_with_seed(11), SPANISH_LINE[ply]) << "ply " << ply;
        } else {
            expect_draws(0);
            EXPECT_EQ(probe_with_seed(11), "none") << "ply " << ply;
        }
        ASSERT_NO_FATAL_FAILURE(play(SPANISH_LINE[ply]));
    }

    // Taking a move back to ply 25 opens the book again.
    take_back(history_ply - BOOK_PLY_LIMIT);
    EXPECT_EQ(probe_with_seed(11), SPANISH_LINE[BOOK_PLY_LIMIT]);
}

TEST_F(BookFiles, MissingOrEmptyBookHasNothing) {
    ASSERT_EQ(book_file, nullptr);
    expect_draws(0);
    EXPECT_EQ(probe_with_seed(2), "none");

    use_book("");
    expect_draws(0);
    EXPECT_EQ(probe_with_seed(2), "none");

    use_book("\n\n\n");
    expect_draws(0);
}

TEST_F(BookFiles, BinaryBytesAreSkipped) {
    // Bytes with NULs and no letters, so no line can spell a move.
    std::string bytes;
    std::uint32_t state = 99;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        const unsigned char byte = static_cast<unsigned char>(state >> 23);
        bytes += static_cast<char>(byte < 0x80 ? byte % 0x30 : byte);  // control, blanks, digits, high bytes
    }
    bytes += std::string(300, '\0');
    use_book(bytes);
    expect_draws(0);
    EXPECT_EQ(probe_with_seed(4), "none");
    EXPECT_EQ(history_ply, 0);

    // A NUL ends the text the probe sees: one at the start of a line hides
    // the move, one after the move does not.
    use_book(bytes + "\n" + std::string("\0e2e4\n", 6) + std::string("d2d4\0e2e4\n", 10));
    expect_weighted_choice({{"d2d4", 1}});
}

TEST_F(BookFiles, CarriageReturnLineEndsStillWork) {
    // Only the first four characters of the next move are read, so the CR
    // that ends a line is never part of a matched prefix or move.
    use_book("e2e4 e7e5 g1f3\r\ne2e4 c7c5\r\nd2d4\r\n");
    expect_weighted_choice({{"e2e4", 2}, {"d2d4", 1}});
    ASSERT_NO_FATAL_FAILURE(play("e2e4"));
    expect_weighted_choice({{"e7e5", 1}, {"c7c5", 1}});
    ASSERT_NO_FATAL_FAILURE(play("e7e5"));
    expect_weighted_choice({{"g1f3", 1}});
    ASSERT_NO_FATAL_FAILURE(play("g1f3"));
    expect_draws(0);  // "g1f3\r" is no "g1f3 "

    // A CR in the fifth place of a promotion asks for a queen.
    reset_position();
    ASSERT_NO_FATAL_FAILURE(play(promotion_prefix));
    use_book(promotion_prefix + "b7a8\r\n" + promotion_prefix + "b7c8N\r\n");
    expect_weighted_choice({{"b7a8q", 1}, {"b7c8n", 1}});
}

// Runs a test inside a fresh directory and goes back afterwards, even on failure.
struct InTempDir {
    char old_dir[4096] = {};
    char dir[32] = "/tmp/tavrin-book-dir-XXXXXX";
    bool entered = getcwd(old_dir, sizeof old_dir) && mkdtemp(dir) && chdir(dir) == 0;
    ~InTempDir() {
        std::remove("book.book");
        if (entered && chdir(old_dir) == 0) rmdir(dir);
    }
};

TEST_F(BookFiles, OpeningSeedsFromTheClockAndFindsTheBookInTheWorkingDirectory) {
    const InTempDir here;
    ASSERT_TRUE(here.entered);

    // Without a file; the seed is the calendar second, whichever one it was.
    seed_random(0);
    const std::time_t before = std::time(nullptr);
    book_open("book.book");
    const std::time_t after = std::time(nullptr);
    const std::uint32_t state = random_state;
    bool seeded_from_clock = false;
    for (std::time_t t = before; t <= after; ++t) {
        seed_random(static_cast<std::uint32_t>(t));
        seeded_from_clock = seeded_from_clock || random_state == state;
    }
    EXPECT_TRUE(seeded_from_clock);
    EXPECT_EQ(book_file, nullptr);

    std::FILE* out = std::fopen("book.book", "w");
    ASSERT_NE(out, nullptr);
    std::fputs("g1f3 d7d5\n", out);
    std::fclose(out);
    book_open("book.book");
    ASSERT_NE(book_file, nullptr);
    EXPECT_EQ(text_of(book_probe()), "g1f3");
}

}  // namespace
