// Generation order, flags and ordering scores; the en passant guard; the
// capture generator as an exact subsequence of the full one.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace {

int square_of(const char* name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

std::string text_of(Move m) {
    std::string t = {char('a' + (move_from(m) & 7)), char('8' - (move_from(m) >> 3)), char('a' + (move_to(m) & 7)),
                     char('8' - (move_to(m) >> 3))};
    if (move_flags(m) & MOVE_PROMOTION) t += "pnbrqk"[move_promotion(m)];
    return t;
}

struct Entry {
    std::string text;
    int flags;
    int score;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os) { *os << e.text << "/" << e.flags << "/" << e.score; }

std::vector<Entry> entries_of_ply(int ply) {
    std::vector<Entry> out;
    for (int i = ply_first_move[ply]; i < ply_first_move[ply + 1]; ++i)
        out.push_back({text_of(move_list[i].move), move_flags(move_list[i].move), move_list[i].score});
    return out;
}

std::vector<Entry> moves_at_root() {
    search_ply = 0;
    EXPECT_EQ(generate_moves(), 1);
    return entries_of_ply(0);
}

std::vector<Entry> captures_at_root() {
    search_ply = 0;
    EXPECT_EQ(generate_captures(), 1);
    return entries_of_ply(0);
}

std::vector<Entry> only_from(const std::vector<Entry>& list, const char* square) {
    std::vector<Entry> out;
    for (const Entry& e : list)
        if (e.text.compare(0, 2, square) == 0) out.push_back(e);
    return out;
}

int play(const char* text) {
    search_ply = 0;
    generate_moves();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        if (text_of(move_list[i].move) == text) return make_move(move_list[i].move);
    return -1;
}

int count_flag(const std::vector<Entry>& list, int flag) {
    int n = 0;
    for (const Entry& e : list) n += (e.flags & flag) != 0;
    return n;
}

class BoardMovegen : public ::testing::Test {
protected:
    void SetUp() override {
        init_zobrist();
        std::memset(history_score, 0, sizeof history_score);  // a search elsewhere may have filled it
    }
    void TearDown() override { std::memset(history_score, 0, sizeof history_score); }
};

}  // namespace

TEST_F(BoardMovegen, StartPositionOrderFlagsAndScores) {
    reset_position();
    history_score[square_of("g1")][square_of("f3")] = 55;
    history_score[square_of("e2")][square_of("e4")] = 7;
    const std::vector<Entry> expected = {
        {"a2a3", 16, 0}, {"a2a4", 24, 0}, {"b2b3", 16, 0}, {"b2b4", 24, 0}, {"c2c3", 16, 0},
        {"c2c4", 24, 0}, {"d2d3", 16, 0}, {"d2d4", 24, 0}, {"e2e3", 16, 0}, {"e2e4", 24, 7},
        {"f2f3", 16, 0}, {"f2f4", 24, 0}, {"g2g3", 16, 0}, {"g2g4", 24, 0}, {"h2h3", 16, 0},
        {"h2h4", 24, 0}, {"b1a3", 0, 0},  {"b1c3", 0, 0},  {"g1f3", 0, 55}, {"g1h3", 0, 0},
        {"e1g1", 2, 1000005}, {"e1c1", 2, 1000015},  // onto the knight and the bishop
    };
    EXPECT_EQ(moves_at_root(), expected);
    EXPECT_TRUE(captures_at_root().empty());
}

TEST_F(BoardMovegen, PromotionsCapturesFirstKnightFirst) {
    ASSERT_EQ(load_fen("r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), nullptr);
    const std::vector<Entry> expected = {
        {"b7a8n", 49, 1000010}, {"b7a8b", 49, 1000020}, {"b7a8r", 49, 1000030}, {"b7a8q", 49, 1000040},
        {"b7b8n", 48, 1000010}, {"b7b8b", 48, 1000020}, {"b7b8r", 48, 1000030}, {"b7b8q", 48, 1000040},
    };
    EXPECT_EQ(only_from(moves_at_root(), "b7"), expected);
    EXPECT_EQ(captures_at_root(), expected);  // the king has nothing to take

    ASSERT_EQ(load_fen("4k3/8/8/8/8/8/6p1/4K2R b - - 0 1"), nullptr);
    const std::vector<Entry> black = {
        {"g2h1n", 49, 1000010}, {"g2h1b", 49, 1000020}, {"g2h1r", 49, 1000030}, {"g2h1q", 49, 1000040},
        {"g2g1n", 48, 1000010}, {"g2g1b", 48, 1000020}, {"g2g1r", 48, 1000030}, {"g2g1q", 48, 1000040},
    };
    EXPECT_EQ(only_from(moves_at_root(), "g2"), black);
}

TEST_F(BoardMovegen, MostValuableVictimThenLeastValuableAttacker) {
    ASSERT_EQ(load_fen("4k3/1p6/8/3q4/4P3/8/8/1Q2K3 w - - 0 1"), nullptr);
    const std::vector<Entry> list = moves_at_root();
    EXPECT_EQ(only_from(list, "e4")[0], (Entry{"e4d5", 17, 1000040}));
    bool found = false;
    for (const Entry& e : list)
        if (e.text == "b1b7") found = (e == Entry{"b1b7", 1, 999996});
    EXPECT_TRUE(found);
}

TEST_F(BoardMovegen, QueenRaysInDirectionOrder) {
    ASSERT_EQ(load_fen("6k1/8/8/8/8/1p6/1Q6/K7 w - - 0 1"), nullptr);
    std::vector<std::string> texts;
    for (const Entry& e : only_from(moves_at_root(), "b2")) texts.push_back(e.text);
    const std::vector<std::string> expected = {"b2a3", "b2b3", "b2c3", "b2d4", "b2e5", "b2f6", "b2g7",
                                               "b2h8", "b2a2", "b2c2", "b2d2", "b2e2", "b2f2", "b2g2",
                                               "b2h2", "b2b1", "b2c1"};  // a1 holds the own king
    EXPECT_EQ(texts, expected);
}

TEST_F(BoardMovegen, EdgePawnsDoNotCaptureRoundTheBoard) {
    // Black knights sit where a wrapped a2 or h3 capture would land, and block both pawns.
    ASSERT_EQ(load_fen("4k3/8/8/8/7n/n6P/P7/4K3 w - - 0 1"), nullptr);
    std::vector<Entry> list = moves_at_root();
    EXPECT_TRUE(only_from(list, "a2").empty());
    EXPECT_TRUE(only_from(list, "h3").empty());
    ASSERT_EQ(load_fen("4k3/8/p6N/N7/7p/7N/N7/4K3 b - - 0 1"), nullptr);
    list = moves_at_root();
    EXPECT_TRUE(only_from(list, "a6").empty());
    EXPECT_TRUE(only_from(list, "h4").empty());
}

// Castling by the rights alone, then en passant left to right, all last.
TEST_F(BoardMovegen, CastlingThenEnPassantCloseTheList) {
    ASSERT_EQ(load_fen("r3k2r/8/8/8/3pPp2/8/8/4K3 b kq e3 0 1"), nullptr);
    history_score[square_of("d4")][square_of("e3")] = 31;
    const std::vector<Entry> list = moves_at_root();
    ASSERT_GE(list.size(), 4u);
    const std::vector<Entry> tail(list.end() - 4, list.end());
    const std::vector<Entry> expected = {
        {"e8g8", 2, 0}, {"e8c8", 2, 0}, {"d4e3", 21, 31}, {"f4e3", 21, 0},
    };
    EXPECT_EQ(tail, expected);
    const std::vector<Entry> captures = captures_at_root();
    EXPECT_EQ(std::vector<Entry>(captures.end() - 2, captures.end()),
              std::vector<Entry>(expected.begin() + 2, expected.end()));

    ASSERT_EQ(load_fen("r3k2r/8/8/8/3pPp2/8/8/4K3 b - e3 0 1"), nullptr);
    EXPECT_EQ(count_flag(moves_at_root(), MOVE_CASTLE), 0);
}

TEST_F(BoardMovegen, EnPassantAfterBlackDoublePush) {
    ASSERT_EQ(load_fen("rnbqkbnr/pppppppp/8/4P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"), nullptr);
    ASSERT_EQ(play("d7d5"), 1);
    EXPECT_EQ(ep_square, 19);
    history_score[28][19] = 123;
    const std::vector<Entry> list = moves_at_root();
    EXPECT_EQ(list.back(), (Entry{"e5d6", 21, 123}));
    EXPECT_EQ(count_flag(list, MOVE_EN_PASSANT), 1);
}

// An ep_square that does not describe a pawn that just passed it yields no
// entry: such an entry would capture nothing and its take-back would create
// a pawn.
TEST_F(BoardMovegen, EnPassantOnlyBehindAPawnThatJustPassed) {
    const char* fen = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    auto ep_entries = [] {
        return count_flag(moves_at_root(), MOVE_EN_PASSANT) + count_flag(captures_at_root(), MOVE_EN_PASSANT);
    };
    ASSERT_EQ(load_fen(fen), nullptr);
    EXPECT_EQ(ep_entries(), 2);

    ASSERT_EQ(load_fen(fen), nullptr);
    square_color[19] = BLACK;  // something stands on d6
    square_piece[19] = KNIGHT;
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    ASSERT_EQ(load_fen(fen), nullptr);
    square_piece[27] = ROOK;  // not a pawn on d5
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    ASSERT_EQ(load_fen(fen), nullptr);
    square_color[27] = square_piece[27] = EMPTY;  // nothing on d5
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);

    ASSERT_EQ(load_fen(fen), nullptr);
    ep_square = square_of("d3");  // the wrong row for White
    EXPECT_EQ(ep_entries(), 0);

    // The same for Black: e3 after e2e4 is fine, e6 is not.
    ASSERT_EQ(load_fen("4k3/8/8/8/3pPp2/8/8/4K3 b - e3 0 1"), nullptr);
    EXPECT_EQ(ep_entries(), 4);
    ep_square = square_of("e6");
    EXPECT_EQ(ep_entries(), 0);
    ep_square = square_of("e3");
    square_piece[36] = BISHOP;
    rebuild_board_state();
    EXPECT_EQ(ep_entries(), 0);
}

// The capture generator must produce exactly the full list's captures and
// promotions, in the same order with the same scores: the quiescence search
// relies on it seeing every capture, including en passant.
TEST_F(BoardMovegen, CapturesAreTheFullListFilteredInOrder) {
    const char* const starts[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "4k3/1P4P1/P6P/8/8/p6p/1p4p1/4K3 w - - 0 1",  // pawns a rank short of promoting
    };
    std::mt19937 random(7);
    int positions = 0, captures_seen = 0;
    for (const char* fen : starts) {
        ASSERT_EQ(load_fen(fen), nullptr);
        for (int ply = 0; ply < 60; ++ply, ++positions) {
            for (int s = 0; s < 64; ++s)
                for (int t = 0; t < 64; ++t) history_score[s][t] = (s * 64 + t) % 97;
            std::vector<Entry> filtered;
            for (const Entry& e : moves_at_root())
                if (e.flags & (MOVE_CAPTURE | MOVE_PROMOTION)) filtered.push_back(e);
            ASSERT_EQ(captures_at_root(), filtered) << position_to_fen();
            captures_seen += static_cast<int>(filtered.size());

            search_ply = 0;
            generate_moves();
            std::vector<Move> legal;
            for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
                if (make_move(move_list[i].move)) {
                    legal.push_back(move_list[i].move);
                    unmake_move();
                }
            if (legal.empty()) break;
            ASSERT_EQ(make_move(legal[random() % legal.size()]), 1);
        }
    }
    EXPECT_GT(positions, 200);
    EXPECT_GT(captures_seen, 500);
}
