// The game layer: moves from text and why they are refused, take-backs,
// set-up, results by the rules of chess, games far longer than a search,
// and the one call that searches: why it ended and the move that follows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/zobrist.h"
#include "long_game.h"
#include "game/book_path.h"
#include "game/game.h"

namespace {

SearchLimits to_depth(int depth) {
    SearchLimits limits;
    limits.depth = depth;
    return limits;
}

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
    const Move move = game_search(to_depth(3), {}).best;
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
    EXPECT_NE(game_search(to_depth(4), {}).best, 0);
    EXPECT_EQ(history_ply, GAME_PLY_LIMIT);
    EXPECT_TRUE(game_take_back(2));
    EXPECT_EQ(game_play_text(shuffle[(GAME_PLY_LIMIT - 2) % 4]), MoveRefusal::NONE);
}

// A stop hook that answers yes at its `stop_at`-th call, and the
// iterations the search finished.
struct StopAt {
    int stop_at;
    int calls = 0;
    std::vector<Move> finished;  // first move of each finished iteration
};

bool stop_when_due(void* context) {
    StopAt& s = *static_cast<StopAt*>(context);
    return ++s.calls >= s.stop_at;
}

void note_first_move(void* context, const IterationReport& iteration) {
    static_cast<StopAt*>(context)->finished.push_back(iteration.pv_length > 0 ? iteration.pv[0] : 0);
}

TEST_F(Game, AStoppedSearchAnswersWithItsLastFinishedIteration) {
    // After 1.e4 e5 2.Nf3 Nc6 the fourth iteration changes its mind between
    // the 8th and the 11th poll of the clock.
    ASSERT_EQ(game_set_fen("r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"), nullptr);
    const std::string before = position_to_fen();
    int differs = 0;
    for (int polls = 1; polls <= 12; ++polls) {
        StopAt stop{polls, 0, {}};
        SearchLimits limits = to_depth(DEPTH_FOR_TIME);
        limits.infinite = true;
        const SearchOutcome stopped = game_search(limits, {stop_when_due, note_first_move, &stop});
        ASSERT_EQ(stopped.end, SearchEnd::STOPPED);
        ASSERT_EQ(position_to_fen(), before);
        ASSERT_FALSE(stop.finished.empty()) << polls;  // depth 1 takes fewer than 1024 nodes
        EXPECT_EQ(stopped.best, stop.finished.back()) << polls;
        EXPECT_EQ(stopped.best, stopped.pv[0]) << polls;
        EXPECT_EQ(stopped.depth, static_cast<int>(stop.finished.size()));
        // The node budget ends the same search at the same node with the
        // search's own answer, which may come from the unfinished iteration.
        limits.nodes = 1024u * static_cast<unsigned>(polls);
        const SearchOutcome ran_out = game_search(limits, {});
        ASSERT_EQ(ran_out.end, SearchEnd::DEADLINE);
        differs += ran_out.best != stopped.best;
    }
    EXPECT_GT(differs, 0) << "no stop fell where the unfinished iteration had changed its mind";
}

TEST_F(Game, OutcomesSayWhyTheSearchEndedAndNameThePonderMove) {
    const SearchOutcome completed = game_search(to_depth(4), {});
    EXPECT_EQ(completed.end, SearchEnd::COMPLETED);
    EXPECT_EQ(completed.depth, 4);
    ASSERT_GE(completed.pv_length, 2);
    EXPECT_EQ(completed.best, completed.pv[0]);
    EXPECT_EQ(completed.ponder, completed.pv[1]);
    SearchLimits limits = to_depth(DEPTH_FOR_TIME);
    limits.move_time_ms = 0;
    EXPECT_EQ(game_search(limits, {}).end, SearchEnd::DEADLINE);
    // Protocol 1's depth 0: nothing searched, no move.
    SearchLimits nothing;
    nothing.fixed_budget = true;
    nothing.fixed_budget_ms = DEPTH_ONLY_MS;
    EXPECT_EQ(game_search(nothing, {}).best, 0);
    // Mated: completed, and no move.
    play("f2f3 e7e5 g2g4 d8h4");
    const SearchOutcome mated = game_search(to_depth(3), {});
    EXPECT_EQ(mated.end, SearchEnd::COMPLETED);
    EXPECT_EQ(mated.best, 0);
}

// The book's lines run from the standard start position, and only there,
// and only when the front end wants a book move.
TEST_F(Game, TheBookOnlyForGamesFromTheStartAndWhenAskedFor) {
    const std::string path = testing::TempDir() + "game_test_book.book";
    std::FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("e2e4 e7e5\nd2d4 d7d5\n", file);
    std::fclose(file);
    ASSERT_EQ(game_open_book(path.c_str()), nullptr);
    const SearchOutcome book = game_search(to_depth(2), {});
    EXPECT_EQ(book.end, SearchEnd::BOOK);
    const std::string text = move_to_text(book.best);
    EXPECT_TRUE(text == "e2e4" || text == "d2d4") << text;
    EXPECT_EQ(book.ponder, 0);
    SearchLimits no_book = to_depth(2);
    no_book.use_book = false;
    EXPECT_EQ(game_search(no_book, {}).end, SearchEnd::COMPLETED);
    // A set-up position where the book's first moves are legal: no book.
    ASSERT_EQ(game_set_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKB1R w KQkq - 0 1"), nullptr);
    EXPECT_EQ(game_search(to_depth(2), {}).end, SearchEnd::COMPLETED);
    // The start position set up is the start of a game like any other.
    ASSERT_EQ(game_set_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"), nullptr);
    EXPECT_EQ(game_search(to_depth(2), {}).end, SearchEnd::BOOK);
    game_close_book();
    std::remove(path.c_str());
}

}  // namespace
