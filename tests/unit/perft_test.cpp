// The quick perft tier: every position of the standard EPD to the deepest
// listed depth within a node budget, the same positions with the colours
// swapped, and small positions aimed at en passant, castling and promotion.
// In the sanitizer build perft also compares the whole state after every
// take-back; here the state after the whole count must be the one before.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/perft.h"
#include "board_support.h"
#include "epd.h"

namespace {

// Depth by depth, no position of the quick tier goes beyond this many leaves.
constexpr std::uint64_t QUICK_NODE_LIMIT = 700000;

void expect_counts(const std::string& fen, const std::vector<std::uint64_t>& counts, std::uint64_t node_limit) {
    load(fen.c_str());
    const PositionSnapshot before = take_snapshot();
    int checked = 0;
    for (int depth = 1; depth <= static_cast<int>(counts.size()) && counts[depth - 1] <= node_limit; ++depth) {
        EXPECT_EQ(perft(depth), counts[depth - 1]) << fen << " depth " << depth;
        EXPECT_EQ(take_snapshot(), before) << "perft changed the position: " << fen;
        ++checked;
    }
    EXPECT_GE(checked, 3) << "node limit too low for " << fen;
}

const std::vector<PerftCase> standard = read_epd();

// Published counts for positions where a rule has a narrow reach: checks
// given by promotion, stalemate and double check. The deep tier has more.
const TargetedCase targeted[] = {
    {"self_stalemate", "K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
    {"double_check", "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
    {"underpromote_to_check", "8/P1k5/K7/8/8/8/8/8 w - - 0 1", 6, 92683},
    {"promote_to_give_check", "4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 6, 217342},
};

class PerftStandard : public ::testing::TestWithParam<PerftCase> {};
class PerftMirrored : public ::testing::TestWithParam<PerftCase> {};
class PerftTargeted : public ::testing::TestWithParam<TargetedCase> {};

std::string case_name(const ::testing::TestParamInfo<PerftCase>& param) { return param.param.name; }
std::string targeted_name(const ::testing::TestParamInfo<TargetedCase>& param) { return param.param.name; }

}  // namespace

TEST(PerftEpd, ListsSixPositionsAndMirrorsThem) {
    ASSERT_EQ(standard.size(), 6u) << "cannot read " TAVRIN_SOURCE_DIR "/tests/data/standard.epd";
    EXPECT_EQ(standard[0].fen, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    for (const PerftCase& c : standard) EXPECT_GE(c.counts.size(), 5u) << c.fen;
    // A mirror that changed nothing would make the mirrored tier vacuous.
    EXPECT_EQ(mirror_fen("r3k2r/8/8/3pP3/8/8/8/R3K1R1 w Kq d6 3 9"), "r3k1r1/8/8/8/3Pp3/8/8/R3K2R b kQ d3 3 9");
}

TEST_P(PerftStandard, MatchesPublishedCounts) { expect_counts(GetParam().fen, GetParam().counts, QUICK_NODE_LIMIT); }

TEST_P(PerftMirrored, SameCountsWithColoursSwapped) {
    std::vector<std::uint64_t> counts = GetParam().counts;
    counts.resize(3);
    expect_counts(mirror_fen(GetParam().fen), counts, QUICK_NODE_LIMIT);
}

TEST_P(PerftTargeted, MatchesPublishedCount) {
    load(GetParam().fen);
    EXPECT_EQ(perft(GetParam().depth), GetParam().count) << GetParam().fen;
}

INSTANTIATE_TEST_SUITE_P(Perft, PerftStandard, ::testing::ValuesIn(standard), case_name);
INSTANTIATE_TEST_SUITE_P(Perft, PerftMirrored, ::testing::ValuesIn(standard), case_name);
INSTANTIATE_TEST_SUITE_P(Perft, PerftTargeted, ::testing::ValuesIn(targeted), targeted_name);
