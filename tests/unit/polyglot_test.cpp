// Polyglot books: the published keys, loading and refusing files, and the weighted probe.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "board_support.h"
#include "book/polyglot.h"

namespace {

// The published test positions of the format, from the start position.
struct KeyCase {
    const char* moves;
    std::uint64_t key;
};

const KeyCase published_keys[] = {
    {"", 0x463b96181691fc9cull},
    {"e2e4", 0x823c9b50fd114196ull},
    {"e2e4 d7d5", 0x0756b94461c50fb0ull},
    {"e2e4 d7d5 e4e5", 0x662fafb965db29d4ull},
    {"e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ull},
    {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ull},
    {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00fdd303c946bdd9ull},
    {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3c8123ea7b067637ull},
    {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5c3f9b829b279560ull},
};

constexpr std::uint64_t START_KEY = 0x463b96181691fc9cull;

// The book's move bits for "e2e4" or "b7b8n", written here apart from the reader.
std::uint16_t book_move(const std::string& text) {
    const int promotion = text.size() > 4 ? static_cast<int>(std::string("nbrq").find(text[4])) + 1 : 0;
    return static_cast<std::uint16_t>((text[2] - 'a') | (text[3] - '1') << 3 | (text[0] - 'a') << 6 |
                                      (text[1] - '1') << 9 | promotion << 12);
}

struct Row {
    std::uint64_t key;
    std::uint16_t move;
    std::uint16_t weight;
    std::uint32_t learn = 0;
};

void append_big_endian(std::string& out, std::uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The rows as a file's bytes, in the order given.
std::string bytes_of(const std::vector<Row>& rows) {
    std::string out;
    for (const Row& row : rows) {
        append_big_endian(out, row.key, 8);
        append_big_endian(out, row.move, 2);
        append_big_endian(out, row.weight, 2);
        append_big_endian(out, row.learn, 4);
    }
    return out;
}

// The rows sorted by key as a book file must be; rows of one key keep their order.
std::string book_of(std::vector<Row> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
    return bytes_of(rows);
}

std::string text_of(Move move) { return move == -1 ? "none" : move_to_text(move); }

// How often each answer comes over 4096 random values spread evenly over the
// whole 32-bit range, the first 0 and the last 0xFFF00000.
std::map<std::string, int> answers_over_the_range(const PolyglotBook& book) {
    std::map<std::string, int> counts;
    for (std::uint32_t i = 0; i < 4096; ++i) ++counts[text_of(polyglot_probe(book, i << 20))];
    return counts;
}

// Each move must own its weight's share of the range, give or take one sample.
void expect_shares(const PolyglotBook& book, const std::vector<std::pair<std::string, int>>& weights) {
    int total = 0;
    for (const auto& [text, weight] : weights) total += weight;
    const std::map<std::string, int> counts = answers_over_the_range(book);
    int counted = 0;
    for (const auto& [text, weight] : weights) {
        const auto it = counts.find(text);
        const int count = it == counts.end() ? 0 : it->second;
        EXPECT_NEAR(count, 4096.0 * weight / total, 1.0) << text;
        counted += count;
    }
    EXPECT_EQ(counted, 4096) << "answers outside the expected moves";
}

// Each test starts from the start position with an empty book; write() puts
// bytes into a temporary file that load() reads.
class PolyglotTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_position();
        play("");
        char name[] = "/tmp/tavrin-polyglot-XXXXXX";
        const int fd = mkstemp(name);
        ASSERT_GE(fd, 0);
        close(fd);
        path_ = name;
    }

    void TearDown() override { std::remove(path_.c_str()); }

    void write(const std::string& bytes) {
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), out), bytes.size());
        std::fclose(out);
    }

    // Writes the rows as a sorted book and loads it, which must succeed.
    void use_book(const std::vector<Row>& rows) {
        ASSERT_NO_FATAL_FAILURE(write(book_of(rows)));
        ASSERT_EQ(polyglot_load(book_, path_.c_str()), nullptr);
    }

    // Loading `bytes` must fail with a message naming `reason`, and leave no book.
    void expect_refused(const std::string& bytes, const std::string& reason) {
        ASSERT_NO_FATAL_FAILURE(use_book({{START_KEY, book_move("e2e4"), 1}}));
        ASSERT_NO_FATAL_FAILURE(write(bytes));
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
        EXPECT_FALSE(looks_like_polyglot(data, bytes.size())) << reason;
        const char* message = polyglot_load(book_, path_.c_str());
        ASSERT_NE(message, nullptr) << reason;
        EXPECT_NE(std::string(message).find(reason), std::string::npos) << message;
        EXPECT_TRUE(book_.entries.empty()) << reason;
        EXPECT_EQ(polyglot_probe(book_, 0), -1) << reason;
    }

    std::string path_;
    PolyglotBook book_;
};

class PolyglotKey : public PolyglotTest {};
class PolyglotLoad : public PolyglotTest {};
class PolyglotProbe : public PolyglotTest {};

TEST_F(PolyglotKey, PublishedPositionsHaveTheirPublishedKeys) {
    for (const KeyCase& c : published_keys) {
        reset_position();
        ASSERT_NO_FATAL_FAILURE(play(c.moves));
        EXPECT_EQ(polyglot_key(), c.key) << "after \"" << c.moves << "\": " << position_to_fen();
    }
}

TEST_F(PolyglotKey, ALoadedPositionHasTheKeyOfThePlayedOne) {
    // The en passant file counts from FEN as from a played double push.
    load("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3");
    EXPECT_EQ(polyglot_key(), 0x22a48b5a8e47ff78ull);
    load("rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3");
    EXPECT_EQ(polyglot_key(), 0x3c8123ea7b067637ull);
}

// The key of the position as it stands, and of it with the en passant field cleared.
std::pair<std::uint64_t, std::uint64_t> keys_with_and_without_ep() {
    std::string fen = position_to_fen();
    const std::uint64_t with = polyglot_key();
    std::istringstream in(fen);
    std::string board, side, castling, ep, rest;
    in >> board >> side >> castling >> ep;
    std::getline(in, rest);
    load((board + " " + side + " " + castling + " -" + rest).c_str());
    return {with, polyglot_key()};
}

TEST_F(PolyglotKey, TheEnPassantFileCountsOnlyWithACapturerBeside) {
    // Beside the pushed pawn stands a pawn of its own side: no capture.
    ASSERT_NO_FATAL_FAILURE(play("e2e4 g8f6 d2d4"));
    auto [with, without] = keys_with_and_without_ep();
    EXPECT_EQ(with, without);

    // An enemy pawn beside it counts; one a rank behind does not.
    load("4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1");
    std::tie(with, without) = keys_with_and_without_ep();
    EXPECT_NE(with, without);
    load("4k3/8/8/4p3/3P4/8/8/4K3 b - d3 0 1");
    std::tie(with, without) = keys_with_and_without_ep();
    EXPECT_EQ(with, without);

    // A capturer pinned to its king still counts: Polyglot asks only where it stands.
    load("4k3/8/8/r2pP2K/8/8/8/8 w - d6 0 1");
    std::tie(with, without) = keys_with_and_without_ep();
    EXPECT_NE(with, without);
}

TEST_F(PolyglotLoad, EntriesAreReadBigEndianAndKeptInFileOrder) {
    const std::vector<Row> rows = {
        {0x0102030405060708ull, 0x1234, 0xABCD, 0x89ABCDEFu},
        {START_KEY, book_move("e2e4"), 7, 1},
        {START_KEY, book_move("d2d4"), 5, 2},
        {0xF000000000000001ull, book_move("b7b8q"), 65535, 0},
    };
    const std::string bytes = bytes_of(rows);
    EXPECT_TRUE(looks_like_polyglot(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    ASSERT_NO_FATAL_FAILURE(write(bytes));
    ASSERT_EQ(polyglot_load(book_, path_.c_str()), nullptr);
    ASSERT_EQ(book_.entries.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(book_.entries[i].key, rows[i].key) << i;
        EXPECT_EQ(book_.entries[i].move, rows[i].move) << i;
        EXPECT_EQ(book_.entries[i].weight, rows[i].weight) << i;
        EXPECT_EQ(book_.entries[i].learn, rows[i].learn) << i;
    }
}

TEST_F(PolyglotLoad, DamagedFilesAreRefusedWithAMessage) {
    const std::string good = book_of({{START_KEY, book_move("e2e4"), 3}, {START_KEY + 1, book_move("d2d4"), 2}});
    expect_refused("", "empty");
    expect_refused(good.substr(0, good.size() - 1), "multiple of 16");
    expect_refused(good + std::string(7, '\0'), "multiple of 16");
    expect_refused(bytes_of({{START_KEY + 1, book_move("d2d4"), 2}, {START_KEY, book_move("e2e4"), 3}}),
                   "ascending order");
    // Disorder far from the start is found too.
    std::vector<Row> rows;
    for (std::uint64_t key = 1; key <= 100; ++key) rows.push_back({key << 40, book_move("e2e4"), 1});
    std::swap(rows[97], rows[98]);
    expect_refused(bytes_of(rows), "ascending order");
}

TEST_F(PolyglotLoad, TextIsNeverTakenForABook) {
    // Lines of sixteen bytes that ascend, as a Polyglot file's keys do: only
    // the text itself gives it away.
    const std::string text = "a2a3 a7a6 b2b3\r\nb2b3 b7b6 c2c3\r\nd2d4 d7d5 e2e4\r\ne2e4 e7e5 g1f3\r\n";
    ASSERT_EQ(text.size() % 16, 0u);
    for (std::size_t at = 16; at < text.size(); at += 16) ASSERT_LT(text.substr(at - 16, 8), text.substr(at, 8));
    expect_refused(text, "text");
    expect_refused(std::string(32, '\t') + std::string(32, '\r'), "text");

    // The engine's own text book, whatever its size.
    const std::string shipped = std::string(TAVRIN_SOURCE_DIR) + "/book.book";
    ASSERT_NE(polyglot_load(book_, shipped.c_str()), nullptr);
    EXPECT_TRUE(book_.entries.empty());
}

TEST_F(PolyglotLoad, MissingDirectoryAndHugeFilesAreRefused) {
    ASSERT_NO_FATAL_FAILURE(use_book({{START_KEY, book_move("e2e4"), 1}}));
    const char* message = polyglot_load(book_, "/nonexistent/tavrin/book.bin");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(book_.entries.empty());

    ASSERT_NO_FATAL_FAILURE(use_book({{START_KEY, book_move("e2e4"), 1}}));
    EXPECT_NE(polyglot_load(book_, "/tmp"), nullptr);
    EXPECT_TRUE(book_.entries.empty());

    // A sparse file: refused by its size before a byte is read.
    ASSERT_NO_FATAL_FAILURE(use_book({{START_KEY, book_move("e2e4"), 1}}));
    std::filesystem::resize_file(path_, POLYGLOT_MAX_FILE_BYTES + 16);
    message = polyglot_load(book_, path_.c_str());
    ASSERT_NE(message, nullptr);
    EXPECT_NE(std::string(message).find("1 GB"), std::string::npos) << message;
    EXPECT_TRUE(book_.entries.empty());
}

TEST_F(PolyglotProbe, EachMoveOwnsItsWeightsShareOfTheRandomRange) {
    // Neighbouring keys hold moves that would be legal here: the probe must
    // take the start position's entries and no others.
    use_book({{START_KEY - 1, book_move("a2a3"), 50},
              {START_KEY, book_move("e2e4"), 3},
              {START_KEY, book_move("d2d4"), 2},
              {START_KEY, book_move("g1f3"), 1},
              {START_KEY + 1, book_move("h2h3"), 50}});
    expect_shares(book_, {{"e2e4", 3}, {"d2d4", 2}, {"g1f3", 1}});
    // File order decides the ends of the range.
    EXPECT_EQ(text_of(polyglot_probe(book_, 0)), "e2e4");
    EXPECT_EQ(text_of(polyglot_probe(book_, 0xFFFFFFFFu)), "g1f3");
    // A single heavy move still leaves the light ones their share.
    use_book({{START_KEY, book_move("c2c4"), 65535}, {START_KEY, book_move("b1c3"), 1}});
    EXPECT_EQ(text_of(polyglot_probe(book_, 0xFFFFFFFFu)), "b1c3");
    EXPECT_EQ(text_of(polyglot_probe(book_, 0xFFFEFFFFu)), "c2c4");
}

TEST_F(PolyglotProbe, OnlyLegalMovesOfPositiveWeightAreChosen) {
    // White is in check from b4: only the blocks answer it.
    ASSERT_NO_FATAL_FAILURE(play("e2e4 e7e5 d2d4 f8b4"));
    const std::uint64_t key = polyglot_key();
    use_book({{key, book_move("g1f3"), 900},              // generated, but leaves the king in check
              {key, book_move("e4e5"), 900},              // blocked: no move at all
              {key, book_move("e1h1"), 900},              // castling out of check
              {key, book_move("c2c3"), 1},
              {key, book_move("a2a3"), 0},                // legal, but weight 0
              {key, book_move("d2d3"), 900},              // the pawn is on d4
              {key, static_cast<std::uint16_t>(book_move("b1c3") | 5 << 12), 900},  // no such promotion
              {key, book_move("b1c3"), 1}});
    expect_shares(book_, {{"c2c3", 1}, {"b1c3", 1}});

    // Nothing of weight above 0: no answer.
    use_book({{key, book_move("c2c3"), 0}, {key, book_move("b1c3"), 0}});
    EXPECT_EQ(polyglot_probe(book_, 0), -1);
    EXPECT_EQ(polyglot_probe(book_, 0xFFFFFFFFu), -1);
}

TEST_F(PolyglotProbe, KingTakesRookMeansCastling) {
    load("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    play("");
    std::uint64_t key = polyglot_key();
    use_book({{key, book_move("e1h1"), 1}, {key, book_move("e1a1"), 1}});
    Move move = polyglot_probe(book_, 0);
    EXPECT_EQ(text_of(move), "e1g1");
    EXPECT_TRUE(move_flags(move) & MOVE_CASTLE);
    move = polyglot_probe(book_, 0xFFFFFFFFu);
    EXPECT_EQ(text_of(move), "e1c1");
    EXPECT_TRUE(move_flags(move) & MOVE_CASTLE);

    load("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
    play("");
    key = polyglot_key();
    use_book({{key, book_move("e8h8"), 1}, {key, book_move("e8a8"), 1}});
    EXPECT_EQ(text_of(polyglot_probe(book_, 0)), "e8g8");
    EXPECT_EQ(text_of(polyglot_probe(book_, 0xFFFFFFFFu)), "e8c8");

    // Through f1, which the rook on f2 attacks: no castling that side.
    load("r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1");
    play("");
    key = polyglot_key();
    use_book({{key, book_move("e1h1"), 1000}, {key, book_move("e1a1"), 1}});
    expect_shares(book_, {{"e1c1", 1}});
}

TEST_F(PolyglotProbe, OnlyAKingOnItsHomeSquareCastles) {
    // A rook on e1 sliding to h1 is a rook move, though g1 is open to it too.
    load("3k4/8/8/8/8/8/8/K3R3 w - - 0 1");
    play("");
    std::uint64_t key = polyglot_key();
    use_book({{key, book_move("e1h1"), 1}});
    expect_shares(book_, {{"e1h1", 1}});

    // A king on f1 cannot reach h1, and f1h1 is no castling either.
    load("4k3/8/8/8/8/8/8/R4K2 w - - 0 1");
    play("");
    key = polyglot_key();
    use_book({{key, book_move("f1h1"), 1}});
    EXPECT_EQ(polyglot_probe(book_, 0), -1);
}

TEST_F(PolyglotProbe, APromotionIsTakenWithItsPiece) {
    load("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    play("");
    const std::uint64_t key = polyglot_key();
    use_book({{key, book_move("b7b8r"), 1},
              {key, book_move("b7b8"), 50},  // a promotion must name its piece
              {key, book_move("b7b8n"), 1}});
    EXPECT_EQ(text_of(polyglot_probe(book_, 0)), "b7b8r");
    EXPECT_EQ(text_of(polyglot_probe(book_, 0xFFFFFFFFu)), "b7b8n");
    expect_shares(book_, {{"b7b8r", 1}, {"b7b8n", 1}});
}

TEST_F(PolyglotProbe, NoEntryNoAnswerAndThePositionIsLeftAsItWas) {
    EXPECT_EQ(polyglot_probe(book_, 0), -1);  // no book
    use_book({{START_KEY, book_move("e2e4"), 1}, {START_KEY, book_move("d2d4"), 1}});
    ASSERT_NO_FATAL_FAILURE(play("g1f3"));
    EXPECT_EQ(polyglot_probe(book_, 0), -1);  // no entry for this position

    reset_position();
    play("");
    const std::string fen = position_to_fen();
    const std::uint32_t hash = position_hash;
    const std::vector<ScoredMove> list(move_list, move_list + ply_first_move[1]);
    EXPECT_EQ(text_of(polyglot_probe(book_, 0x90000000u)), "d2d4");
    EXPECT_EQ(position_to_fen(), fen);
    EXPECT_EQ(position_hash, hash);
    EXPECT_EQ(history_ply, 0);
    EXPECT_EQ(search_ply, 0);
    ASSERT_EQ(ply_first_move[1], static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) EXPECT_EQ(move_list[i].move, list[i].move) << i;
}

}  // namespace
