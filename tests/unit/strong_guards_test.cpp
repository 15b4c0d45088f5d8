// Where the strong search meets the outside: its several lines, its clock,
// its helper threads, the move it hands the game, the answer of a stopped
// search, and the null move in check. Each test fails on a slip there.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/move_text.h"
#include "game/game.h"
#include "game/strong_door.h"
#include "strong/notation.h"
#include "strong/search.h"
#include "strong/time_manager.h"
#include "strong_engine.h"

namespace {

using namespace strong;

using StrongGuards = StrongEngineTest;

struct Line {
    int multipv;
    int score;
    strong::Move first;
};

void note_line(void* context, const Report& report) {
    auto& lines = *static_cast<std::map<int, std::vector<Line>>*>(context);
    lines[report.depth].push_back({report.multipv, report.score, report.pv[0]});
}

// In an open middlegame every depth reports each of the N lines once, best
// first, each with a move of its own.
TEST_F(StrongGuards, SeveralLinesAreDistinctAndOrderedAtEveryDepth) {
    const Position pos = from_fen("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9");
    SearchLimits limits = to_depth(8);
    limits.multipv = 5;
    std::map<int, std::vector<Line>> lines;
    think(*engine_, pos, limits, {nullptr, note_line, &lines});
    ASSERT_EQ(lines.size(), 8u);
    for (const auto& [depth, reported] : lines) {
        ASSERT_EQ(reported.size(), 5u) << "depth " << depth;
        std::set<strong::Move> firsts;
        for (std::size_t i = 0; i < reported.size(); ++i) {
            EXPECT_EQ(reported[i].multipv, static_cast<int>(i) + 1) << "depth " << depth;
            firsts.insert(reported[i].first);
            if (i > 0) {
                EXPECT_LE(reported[i].score, reported[i - 1].score) << "depth " << depth;
            }
        }
        EXPECT_EQ(firsts.size(), 5u) << "a line repeated at depth " << depth;
    }
}

// The increment is time to spend: a clock that gains it on every move plans
// more for this one, about three quarters of it more.
TEST(StrongClock, TheIncrementIsSpent) {
    for (const std::int64_t clock_ms : {2000, 10000, 60000}) {
        for (const std::int64_t increment_ms : {20, 100, 1000}) {
            SearchLimits with, without;
            with.clock_ms = without.clock_ms = clock_ms;
            with.increment_ms = increment_ms;
            const TimePlan more = plan_time(with), less = plan_time(without);
            // Planned without an increment, the game is taken to be longer.
            EXPECT_GE(more.soft_ms, less.soft_ms + increment_ms * 6 / 10 * 3 / 4 - 1) << clock_ms << "+" << increment_ms;
            EXPECT_GT(more.hard_ms, less.hard_ms) << clock_ms << "+" << increment_ms;
        }
    }
}

// A move time is spent whole, less the overhead: no soft limit ends the
// search early however settled the best move is. (Only a lower bound: a
// busy machine can only make it later.)
TEST_F(StrongGuards, AMoveTimeIsSpentWhole) {
    SearchLimits limits;
    limits.move_time_ms = 300;
    limits.move_overhead_ms = 50;
    // The queen's recapture stands out from the first iteration.
    const Result r = search("r1b1kbnr/pppp1ppp/2n5/4q3/8/2N5/PPPPQPPP/R1B1KBNR w KQkq - 0 1", limits);
    EXPECT_EQ(r.reason, StopReason::LIMIT);
    EXPECT_GE(progress(*engine_).elapsed_ms, 245);
}

// The helpers search too: each has nodes of its own after every search,
// however soon the main thread finished (a search waits for its helpers).
TEST_F(StrongGuards, HelperThreadsSearch) {
    for (int threads : {2, 3}) {
        set_threads(*engine_, threads);
        think(*engine_, from_fen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"),
              to_depth(2), {});
        for (int i = 1; i < threads; ++i)
            EXPECT_GT(engine_->workers[static_cast<std::size_t>(i)]->nodes.load(), 0u) << "helper " << i;
    }
    set_threads(*engine_, 1);
}

// A side in check must never pass: a null move there hands over a position
// whose king can be taken, which ends the search in a crash or a false
// score. Open positions full of checks and mates that run through checks
// are searched in a child process, so that a crash fails this test alone,
// saying so.
TEST_F(StrongGuards, NoNullMoveInCheck) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char* const open_positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9",
        "2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 5 11",
    };
    struct Mate {
        const char* fen;
        int plies;
    };
    const Mate mates[] = {
        {"2r3k1/5ppp/8/8/8/8/4RPPP/4Q1K1 w - - 0 1", 3},                          // Re8+ Rxe8 Qxe8#
        {"4q1k1/4rppp/8/8/8/8/5PPP/2R3K1 b - - 0 1", 3},                          // the same for Black
        {"r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 1", 3},  // Nf6+ gxf6 Bxf7#
    };
    const auto sound = [&] {
        bool ok = true;
        for (const char* fen : open_positions) {
            clear_hash(*engine_);
            const Position pos = from_fen(fen);
            const Result r = think(*engine_, pos, to_depth(8), {});
            ok = ok && r.best != NO_MOVE && std::abs(r.score) < SCORE_MATE_IN_MAX;
        }
        for (const Mate& m : mates) {
            for (int depth = m.plies; depth <= m.plies + 5; ++depth) {
                clear_hash(*engine_);
                ok = ok && think(*engine_, from_fen(m.fen), to_depth(depth), {}).score == SCORE_MATE - m.plies;
            }
        }
        return ok;
    };
    EXPECT_EXIT(std::exit(sound() ? 0 : 1), testing::ExitedWithCode(0), "");
}

// What a search learns about moves serves the next move of the same game;
// a new game (clear_hash) starts from nothing.
TEST_F(StrongGuards, HistoriesLiveOnUntilANewGame) {
    const auto learned = [&] {
        int entries = 0;
        for (const auto& side : engine_->workers[0]->histories.butterfly)
            for (const auto& from : side)
                for (const std::int16_t entry : from) entries += entry != 0;
        return entries;
    };
    search("r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9", to_depth(7));
    const int after_first = learned();
    EXPECT_GT(after_first, 20);
    search("r1bq1rk1/pp2bppp/2n1pn2/3P4/3P4/2N1PN2/PP3PPP/R2QKB1R b KQ - 0 9", to_depth(1));
    EXPECT_GE(learned(), after_first / 2);
    clear_hash(*engine_);
    EXPECT_EQ(learned(), 0);
}

// The game's view of the strong search.
class StrongDoorGuards : public testing::Test {
protected:
    void SetUp() override {
        game_start();
        game_new();
        strong_set_threads(1);
        strong_clear_hash();
    }
    static SearchLimits strong_to_depth(int depth) {
        SearchLimits limits = to_depth(depth);
        limits.kind = SearchKind::STRONG;
        limits.use_book = false;
        return limits;
    }
};

// A promotion reaches the game as the piece the search chose, the knight
// where it forks, the queen where it simply wins, for either colour.
TEST_F(StrongDoorGuards, APromotionKeepsItsPiece) {
    struct Case {
        const char* fen;
        const char* move;
    };
    const Case cases[] = {
        {"8/2q1P3/5k2/8/8/8/6P1/7K w - - 0 1", "e7e8n"},
        {"8/4P1k1/8/8/8/8/8/K7 w - - 0 1", "e7e8q"},
        {"7k/6p1/8/8/8/5K2/2Q1p3/8 b - - 0 1", "e2e1n"},
        {"7k/8/8/8/8/2K5/6p1/8 b - - 0 1", "g2g1q"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(game_set_fen(c.fen), nullptr) << c.fen;
        const SearchOutcome outcome = game_search(strong_to_depth(8), {});
        EXPECT_STREQ(move_to_text(outcome.best), c.move) << c.fen;
        ASSERT_GT(outcome.pv_length, 0);
        EXPECT_EQ(outcome.best, game_find_move(move_to_text(outcome.pv[0]))) << c.fen;
    }
}

struct StopAt {
    int polls;
    int calls;
    ::Move last_reported;
};

bool stop_when_due(void* context) {
    StopAt& s = *static_cast<StopAt*>(context);
    return ++s.calls > s.polls;
}

void note_first_move(void* context, const IterationReport& iteration) {
    if (iteration.multipv == 1) static_cast<StopAt*>(context)->last_reported = iteration.pv[0];
}

// Stopped at any poll, the search answers with the last iteration it
// finished; run out of nodes at the same poll, it may answer otherwise,
// which shows that the stops fall where the iteration under way has
// changed its mind.
TEST_F(StrongDoorGuards, AStoppedSearchAnswersWithItsLastFinishedIteration) {
    int differs = 0;
    for (const char* fen : {"rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4",
                            "r1b2rk1/2q1b1pp/p2ppn2/1p6/3QP3/1BN1B3/PPP3PP/R4RK1 w - - 0 1"}) {
        ASSERT_EQ(game_set_fen(fen), nullptr);
        for (int polls = 1; polls <= 24; ++polls) {
            strong_clear_hash();
            StopAt stop{polls, 0, 0};
            SearchLimits limits = strong_to_depth(0);
            limits.infinite = true;
            const SearchOutcome stopped = game_search(limits, {stop_when_due, note_first_move, &stop});
            ASSERT_EQ(stopped.end, SearchEnd::STOPPED) << polls;
            ASSERT_NE(stop.last_reported, 0) << polls;
            EXPECT_EQ(game_move_text(stopped.best), std::string(game_move_text(stop.last_reported))) << polls;

            strong_clear_hash();
            SearchLimits nodes = strong_to_depth(0);
            nodes.nodes = 1024u * static_cast<unsigned>(polls + 1);
            const SearchOutcome ran_out = game_search(nodes, {});
            ASSERT_EQ(ran_out.end, SearchEnd::DEADLINE) << polls;
            differs += ran_out.best != stopped.best;
        }
    }
    EXPECT_GT(differs, 0) << "no stop fell where the iteration under way had changed its mind";
}

}  // namespace
