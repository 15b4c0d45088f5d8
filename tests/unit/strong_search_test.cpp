// The strong search: mates found and scored by their distance, the draws
// of the rules inside the tree, the transposition table's scores and moves,
// why a search ended, and several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "strong/notation.h"
#include "strong_engine.h"
#include "strong/search.h"
#include "strong/skill.h"
#include "strong/time_manager.h"

namespace {

using namespace strong;

using StrongSearch = StrongEngineTest;

TEST_F(StrongSearch, MatesAreFoundAndScoredByTheirDistance) {
    struct Case {
        const char* fen;
        const char* move;
        int plies;  // to mate, from the root
    };
    const Case cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", 1},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7", 1},
        // Mated after the only move: the side to move loses in two plies.
        {"k7/2K5/8/8/8/8/8/7R b - - 0 1", "a8a7", 2},
        // A quiet rook move, then a pawn or the rook mates.
        {"kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", "a1a6", 3},
    };
    for (const Case& c : cases) {
        const Result r = search(c.fen, to_depth(8));
        EXPECT_EQ(move_to_uci(r.best), c.move) << c.fen;
        const int expected = c.plies % 2 ? SCORE_MATE - c.plies : -SCORE_MATE + c.plies;
        EXPECT_EQ(r.score, expected) << c.fen;
        EXPECT_EQ(r.reason, StopReason::COMPLETED);
        // Searched again with the table full of it, the distance holds.
        EXPECT_EQ(search(c.fen, to_depth(9)).score, expected) << c.fen;
    }
    // No move at all: mated or stalemated roots give no move.
    EXPECT_EQ(search("3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1", to_depth(4)).best, NO_MOVE);
    EXPECT_EQ(search("k7/2Q5/1K6/8/8/8/8/8 b - - 0 1", to_depth(4)).best, NO_MOVE);
}

TEST_F(StrongSearch, TheDrawsOfTheRulesHoldInsideTheTree) {
    // A queen down, White steps into a position that the game has seen twice
    // since the last capture: the third time is a draw.
    Position pos = from_fen("1q4k1/8/8/8/8/8/8/6K1 w - - 0 1");
    for (const char* move : {"g1h1", "g8h8", "h1g1", "h8g8", "g1h1", "g8f8", "h1g2", "f8g8"})
        ASSERT_TRUE(push_history_move(pos, parse_uci_move(pos, move))) << move;
    const Result repeated = think(*engine_, pos, to_depth(8), {});
    EXPECT_EQ(move_to_uci(repeated.best), "g2h1");
    EXPECT_EQ(repeated.score, 0);
    // A rook up with the fifty-move count at 99: no capture or pawn move is
    // left that would keep the game going, so every line is a draw.
    EXPECT_EQ(search("8/8/8/4k3/8/8/8/R3K3 w - - 99 80", to_depth(6)).score, 0);
    // A bishop alone cannot mate.
    EXPECT_EQ(search("8/8/8/4k3/8/8/2B5/4K3 w - - 0 1", to_depth(6)).score, 0);
    // But the rook wins with the count at 0.
    EXPECT_GT(search("8/8/8/4k3/8/8/8/R3K3 w - - 0 1", to_depth(6)).score, 300);
}

TEST(StrongTable, MateScoresAreStoredFromTheNodeAndMovesComeBackAsStored) {
    TranspositionTable tt;
    ASSERT_TRUE(tt_resize(tt, 1));
    const Key key = 0x123456789ABCDEFull;
    // A mate in 3 plies from a node 5 plies deep is a mate in 8 from the root.
    tt_store(tt, key, 5, make_move16(12, 28), SCORE_MATE - 8, 40, 6, Bound::EXACT);
    TTHit hit{};
    ASSERT_TRUE(tt_probe(tt, key, 2, hit));
    EXPECT_EQ(hit.score, SCORE_MATE - 5);  // the same node met 2 plies from the root
    EXPECT_EQ(hit.move, make_move16(12, 28));
    EXPECT_EQ(hit.eval, 40);
    EXPECT_EQ(hit.depth, 6);
    EXPECT_EQ(hit.bound, Bound::EXACT);
    EXPECT_FALSE(tt_probe(tt, key ^ 1, 2, hit));
    // A shallower result of the same position without a move keeps the old move.
    tt_store(tt, key, 5, NO_MOVE, -SCORE_MATE + 9, 40, 5, Bound::EXACT);
    ASSERT_TRUE(tt_probe(tt, key, 5, hit));
    EXPECT_EQ(hit.score, -SCORE_MATE + 9);
    EXPECT_EQ(hit.move, make_move16(12, 28));
    tt_clear(tt);
    EXPECT_FALSE(tt_probe(tt, key, 2, hit));
}

TEST(StrongTable, ABucketKeepsTheDeepestOfThisSearch) {
    TranspositionTable tt;
    ASSERT_TRUE(tt_resize(tt, 1));
    // Keys that share a bucket: the same high bits of key * bucket_count.
    const Key base = 0x8000000000000000ull;
    Key keys[6];
    for (int i = 0; i < 6; ++i) keys[i] = base + static_cast<Key>(i);
    for (int i = 0; i < 4; ++i) tt_store(tt, keys[i], 0, NO_MOVE, 0, 0, 10 + i, Bound::LOWER);
    tt_store(tt, keys[4], 0, NO_MOVE, 0, 0, 1, Bound::LOWER);
    TTHit hit{};
    EXPECT_FALSE(tt_probe(tt, keys[0], 0, hit));  // the shallowest gave way
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(tt_probe(tt, keys[i], 0, hit)) << i;
    // In a later search the old entries give way first, deep as they are.
    for (int s = 0; s < 3; ++s) tt_new_search(tt);
    tt_store(tt, keys[5], 0, NO_MOVE, 0, 0, 2, Bound::LOWER);
    EXPECT_TRUE(tt_probe(tt, keys[5], 0, hit));
}

TEST_F(StrongSearch, AMoveFromTheTableIsCheckedBeforeItIsPlayed) {
    // Every 16-bit value stored as the root's move: the search still plays
    // one of the position's own moves.
    const char* fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    const Position pos = from_fen(fen);
    MoveList legal;
    generate_all(pos, legal);
    for (unsigned value = 0; value < 65536; value += 97) {
        clear_hash(*engine_);
        tt_store(engine_->tt, pos.key, 0, static_cast<strong::Move>(value), 0, 0, 3, Bound::LOWER);
        const Result r = think(*engine_, pos, to_depth(2), {});
        EXPECT_NE(std::find(legal.begin(), legal.end(), r.best), legal.end()) << value;
    }
}

struct StopAfter {
    int polls;
    int calls = 0;
    int reported = 0;
    strong::Move last_reported = NO_MOVE;
};

bool stop_after(void* context) {
    StopAfter& s = *static_cast<StopAfter*>(context);
    return ++s.calls > s.polls;
}

void note_report(void* context, const Report& line) {
    StopAfter& s = *static_cast<StopAfter*>(context);
    ++s.reported;
    s.last_reported = line.pv[0];
}

TEST_F(StrongSearch, EachSearchSaysWhyItEnded) {
    const char* fen = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    EXPECT_EQ(search(fen, to_depth(5)).reason, StopReason::COMPLETED);
    SearchLimits nodes = to_depth(MAX_SEARCH_PLY - 1);
    nodes.nodes = 20000;
    EXPECT_EQ(search(fen, nodes).reason, StopReason::LIMIT);
    // A small budget is kept to within a few dozen nodes, but not before the
    // iterations it must finish: a move chosen before them is a guess.
    SearchLimits small = to_depth(MAX_SEARCH_PLY - 1);
    small.nodes = 300;
    clear_hash(*engine_);
    EXPECT_EQ(search(fen, small).reason, StopReason::LIMIT);
    EXPECT_LT(progress(*engine_).nodes, 300u + 100u);
    small.min_depth = 4;
    clear_hash(*engine_);
    const Result floored = search(fen, small);
    EXPECT_EQ(floored.reason, StopReason::LIMIT);
    EXPECT_EQ(floored.depth, 4);
    EXPECT_EQ(floored.line_count, 1);
    SearchLimits timed = to_depth(MAX_SEARCH_PLY - 1);
    timed.move_time_ms = 50;
    timed.move_overhead_ms = 0;
    EXPECT_EQ(search(fen, timed).reason, StopReason::LIMIT);
    // Stopped by its hook: the last finished iteration's line, as reported.
    for (int polls : {3, 10, 30}) {
        StopAfter stop{polls};
        SearchLimits forever = to_depth(MAX_SEARCH_PLY - 1);
        forever.infinite = true;
        const Result r = search(fen, forever, {stop_after, note_report, &stop});
        EXPECT_EQ(r.reason, StopReason::STOPPED);
        ASSERT_GT(stop.reported, 0);
        EXPECT_EQ(r.pv[0], stop.last_reported);
        EXPECT_EQ(r.depth, stop.reported);
    }
}

// Several threads share the table and stop together; run under
// ThreadSanitizer by the test script.
using StrongThreads = StrongSearch;

TEST_F(StrongThreads, AgreeOnAForcedLineAndStopTogether) {
    const char* middlegame = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
    for (int threads : {3, 2, 4}) {
        set_threads(*engine_, threads);
        EXPECT_EQ(thread_count(*engine_), threads);
        const Result mate = search("kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1", to_depth(8));
        EXPECT_EQ(move_to_uci(mate.best), "a1a6");
        SearchLimits nodes = to_depth(MAX_SEARCH_PLY - 1);
        nodes.nodes = 100000;
        const Result limited = search(middlegame, nodes);
        EXPECT_EQ(limited.reason, StopReason::LIMIT);
        EXPECT_NE(limited.best, NO_MOVE);
        StopAfter stop{20};
        SearchLimits forever = to_depth(MAX_SEARCH_PLY - 1);
        forever.infinite = true;
        const Result stopped = search(middlegame, forever, {stop_after, note_report, &stop});
        EXPECT_EQ(stopped.reason, StopReason::STOPPED);
        EXPECT_EQ(stopped.pv[0], stop.last_reported);
        clear_hash(*engine_);
    }
    set_threads(*engine_, 1);
}

}  // namespace

namespace {

// A weaker setting picks among its lines by how much worse each is: never
// beyond its margin, and less often the worse it is.
TEST(StrongSkill, ChoicesStayWithinTheMarginAndFavourTheBetterMoves) {
    Result result;
    result.best = 1;
    result.line_count = 4;
    const int scores[] = {100, 90, 0, -500};
    for (int i = 0; i < 4; ++i) {
        result.line_moves[i] = static_cast<strong::Move>(i + 1);
        result.line_scores[i] = scores[i];
    }
    const Skill weakest = skill_for_elo(ELO_MIN);
    ASSERT_LT(weakest.margin, 600);
    int picked[5] = {};
    constexpr int draws = 20000;
    for (int i = 0; i < draws; ++i) ++picked[pick_with_skill(result, weakest, 0x9E3779B97F4A7C15ull * static_cast<std::uint64_t>(i))];
    EXPECT_EQ(picked[4], 0) << "beyond the margin";
    const double expected_second = std::exp2(-10.0 / weakest.temperature);
    const double expected_third = std::exp2(-100.0 / weakest.temperature);
    EXPECT_NEAR(static_cast<double>(picked[2]) / picked[1], expected_second, 0.05);
    EXPECT_NEAR(static_cast<double>(picked[3]) / picked[1], expected_third, 0.05);
    // Full strength has nothing to choose from; a mate is never given away.
    EXPECT_GT(skill_for_elo(ELO_MAX).nodes, 100 * weakest.nodes);
    result.line_scores[0] = SCORE_MATE - 5;
    EXPECT_EQ(pick_with_skill(result, weakest, 12345), 1);
    // Every step up searches at least as much and chooses no more loosely.
    for (int elo = ELO_MIN; elo < ELO_MAX; elo += 5) {
        const Skill lower = skill_for_elo(elo), higher = skill_for_elo(elo + 5);
        EXPECT_GE(higher.nodes, lower.nodes) << elo;
        EXPECT_LE(higher.margin, lower.margin) << elo;
        EXPECT_LE(higher.temperature, lower.temperature) << elo;
        EXPECT_GE(higher.min_depth, lower.min_depth) << elo;
        EXPECT_GE(lower.min_depth, 3) << elo;
    }
    EXPECT_EQ(skill_for_elo(ELO_MAX).lines, 1);
}

}  // namespace

namespace {

// The clock never runs out, with a few milliseconds lost in the pipes every
// move: with an increment, not even if every move runs to its hard limit;
// without one, when the moves stop at the soft limit as searches do, over
// long games of sudden death; and no move may take more than half of what
// is left (three quarters before a new control).
TEST(StrongTime, TheClockNeverRunsOut) {
    struct Control {
        std::int64_t base_ms, increment_ms;
        int moves_per_control;  // 0: the whole game
        bool to_the_hard_limit;
        int moves;  // the engine's, in the game
    };
    constexpr std::int64_t LATENCY_MS = 5;
    for (const Control control : {Control{2000, 20, 0, true, 300}, Control{10000, 100, 0, true, 300},
                                  Control{300000, 0, 0, false, 200}, Control{5000, 0, 0, false, 100},
                                  Control{60000, 0, 40, false, 300}, Control{5000, 0, 10, false, 300}}) {
        std::int64_t remaining = control.base_ms;
        for (int move = 0; move < control.moves; ++move) {
            SearchLimits clock;
            clock.clock_ms = remaining;
            clock.increment_ms = control.increment_ms;
            if (control.moves_per_control) clock.moves_to_go = control.moves_per_control - move % control.moves_per_control;
            const TimePlan plan = plan_time(clock);
            ASSERT_LE(plan.soft_ms, plan.hard_ms);
            ASSERT_LE(plan.hard_ms, std::max<std::int64_t>((remaining - MOVE_OVERHEAD_DEFAULT_MS) * 3 / 4, 1));
            remaining -= (control.to_the_hard_limit ? plan.hard_ms : plan.soft_ms) + LATENCY_MS;
            ASSERT_GT(remaining, 0) << control.base_ms << "+" << control.increment_ms << " move " << move;
            remaining += control.increment_ms;
            if (control.moves_per_control && clock.moves_to_go == 1) remaining += control.base_ms;
        }
    }
    // A fixed time per move is spent, less the overhead.
    SearchLimits fixed;
    fixed.move_time_ms = 1000;
    fixed.move_overhead_ms = 50;
    EXPECT_EQ(plan_time(fixed).hard_ms, 950);
}

}  // namespace
