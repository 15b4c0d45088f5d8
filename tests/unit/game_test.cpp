// The game layer: moves from text and why they are refused, take-backs,
// set-up, results by the rules of chess, and games far longer than a search.
#include <gtest/gtest.h>

#include <string>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/zobrist.h"
#include "long_game.h"
#include "protocol/game.h"
#include "search/driver.h"

namespace {

class Game : public testing::Test {
protected:
    void SetUp() override {
        init_zobrist();
        game_new();
    }
    void TearDown() override { game_new(); }

    static void play(const std::string& text) {
        std::string::size_type start = 0;
        while (start < text.size()) {
            const auto end = text.find(' ', start);
            const std::string move = text.substr(start, end - start);
            ASSERT_EQ(game_play_text(move.c_str()), MoveRefusal::NONE) << move;
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
};

TEST_F(Game, RefusalsSayWhyAndChangeNothing) {
    const std::string before = position_to_fen();
    EXPECT_EQ(game_play_text("e2e5"), MoveRefusal::NOT_A_MOVE);
    EXPECT_EQ(game_play_text("e7e5"), MoveRefusal::NOT_A_MOVE);  // not White's
    EXPECT_EQ(game_play_text("xyzzy"), MoveRefusal::NOT_A_MOVE);
    EXPECT_EQ(game_play_text("e1g1"), MoveRefusal::ILLEGAL);     // castles through pieces
    EXPECT_EQ(position_to_fen(), before);
    EXPECT_EQ(history_ply, 0);
}

TEST_F(Game, TakeBackIsAllOrNothing) {
    play("e2e4 e7e5 g1f3");
    EXPECT_FALSE(game_take_back(4));
    EXPECT_EQ(history_ply, 3);
    EXPECT_TRUE(game_take_back(2));
    EXPECT_EQ(position_to_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
}

TEST_F(Game, SetUpStartsAGameThatCannotBeTakenBackPastIt) {
    play("e2e4");
    EXPECT_EQ(game_set_fen("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), nullptr);
    EXPECT_EQ(history_ply, 0);
    EXPECT_FALSE(game_take_back(1));
    EXPECT_EQ(game_play_text("b7b8n"), MoveRefusal::NONE);  // lower case: a knight
    EXPECT_EQ(position_to_fen(), "1N2k3/8/8/8/8/8/8/4K3 b - - 0 1");

    // A refused position leaves the game as it was.
    const std::string before = position_to_fen();
    for (const char* bad : {"", "kkkkkkk1/8/8/8/8/8/8/4K3 w - - 0 1", "8/8/8/8/8/8/8/8 w - - 0 1",
                            "4k3/8/8/8/8/8/8/4K3 x - - 0 1"})
        EXPECT_NE(game_set_fen(bad), nullptr) << bad;
    EXPECT_EQ(position_to_fen(), before);
    EXPECT_EQ(history_ply, 1);
}

TEST_F(Game, EndsInOrderMateStalemateRepetitionFiftyMoves) {
    play("f2f3 e7e5 g2g4 d8h4");
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::BLACK_MATES);
    ASSERT_EQ(game_set_fen("k7/2Q5/1K6/8/8/8/8/8 b - - 120 1"), nullptr);
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::STALEMATE);
    ASSERT_EQ(game_set_fen("k7/8/1K6/8/8/8/8/7Q b - - 100 1"), nullptr);
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::FIFTY_MOVES);
}

TEST_F(Game, ThirdOccurrenceByTheRulesAgainstTheFourthByHash) {
    const std::string trip = "g1f3 g8f6 f3g1 f6g8 ";
    play(trip);
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::NONE);  // the second occurrence
    play(trip);
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::REPETITION);
    EXPECT_EQ(game_end(RepetitionRule::FOURTH_BY_HASH), GameEnd::NONE);
    play(trip);
    EXPECT_EQ(game_end(RepetitionRule::FOURTH_BY_HASH), GameEnd::REPETITION);
    play(trip);  // the fifth: only the rules still say so
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::REPETITION);
    EXPECT_EQ(game_end(RepetitionRule::FOURTH_BY_HASH), GameEnd::NONE);
}

TEST_F(Game, LostCastlingRightsMakeANewPositionByTheRules) {
    // The kings step out and back: the same placement as after 1.e4 e5,
    // but without castling rights. The hash cannot tell them apart.
    play("e2e4 e7e5 e1e2 e8e7 e2e1 e7e8 e1e2 e8e7 e2e1 e7e8");
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::NONE);
    play("e1e2 e8e7 e2e1 e7e8");
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::REPETITION);
}

TEST_F(Game, AnEnPassantChanceMakesANewPositionByTheRules) {
    // After d7d5 White may take en passant; the same placement later may not.
    ASSERT_EQ(game_set_fen("4k3/3p4/8/4P3/8/8/8/4K2N b - - 0 1"), nullptr);
    play("d7d5 h1g3 e8d7 g3h1 d7e8 h1g3 e8d7 g3h1 d7e8");
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::NONE);  // the third without the chance
    play("h1g3 e8d7 g3h1 d7e8");
    EXPECT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::REPETITION);
}

TEST_F(Game, GamesOfThousandsOfPliesArePlayedToTheirEnd) {
    const std::vector<std::string> game = long_legal_game(2400, 7);
    ASSERT_EQ(game.size(), 2400u);
    for (const std::string& move : game) {
        ASSERT_EQ(game_play_text(move.c_str()), MoveRefusal::NONE) << history_ply;
        ASSERT_EQ(game_end(RepetitionRule::THIRD_BY_RULES), GameEnd::NONE) << history_ply;
    }
    depth_limit = 3;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;
    const Move move = game_choose_move(OUTPUT_SILENT);
    depth_limit = 0;
    time_budget_ms = 0;
    EXPECT_TRUE(game_play_move(move));
    EXPECT_EQ(history_ply, 2401);
}

TEST_F(Game, AFullHistoryRefusesMovesButKeepsTheGame) {
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int ply = 0; ply < GAME_PLY_LIMIT; ++ply) ASSERT_EQ(game_play_text(shuffle[ply % 4]), MoveRefusal::NONE);
    const std::string before = position_to_fen();
    EXPECT_EQ(game_play_text(shuffle[GAME_PLY_LIMIT % 4]), MoveRefusal::GAME_FULL);
    EXPECT_EQ(position_to_fen(), before);
    // The search still has room above the game.
    depth_limit = 4;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;
    EXPECT_NE(game_choose_move(OUTPUT_SILENT), 0);
    depth_limit = 0;
    time_budget_ms = 0;
    EXPECT_EQ(history_ply, GAME_PLY_LIMIT);
    EXPECT_TRUE(game_take_back(2));
    EXPECT_EQ(game_play_text(shuffle[(GAME_PLY_LIMIT - 2) % 4]), MoveRefusal::NONE);
}

}  // namespace
