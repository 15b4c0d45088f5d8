// The deep perft tier, run in Release, on both boards: every position of
// the standard EPD to every listed depth (the strong board also with the
// colours swapped), and published counts for positions where a single rule
// decides.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/perft.h"
#include "board_support.h"
#include "epd.h"
#include "strong/perft.h"
#include "strong/position.h"

namespace {

std::uint64_t perft_of(const std::string& fen, int depth) {
    load(fen.c_str());
    return perft(depth);
}

std::uint64_t strong_perft_of(const std::string& fen, int depth) {
    auto pos = std::make_unique<strong::Position>();
    EXPECT_TRUE(strong::set_fen(*pos, fen.c_str())) << fen;
    return strong::perft(*pos, depth);
}

const TargetedCase targeted[] = {
    {"illegal_ep_pinned_on_rank", "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 6, 1134888},
    {"illegal_ep_pinned_on_diagonal", "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 6, 1015133},
    {"ep_gives_check", "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 6, 1440467},
    {"short_castling_gives_check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", 6, 661072},
    {"long_castling_gives_check", "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 6, 803711},
    {"castling_rights", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 4, 1274206},
    {"castling_prevented", "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 4, 1720476},
    {"promote_out_of_check", "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 6, 3821001},
    {"discovered_check", "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 5, 1004658},
    {"promote_to_give_check", "4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 6, 217342},
    {"underpromote_to_check", "8/P1k5/K7/8/8/8/8/8 w - - 0 1", 6, 92683},
    {"self_stalemate", "K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
    {"stalemate_and_checkmate", "8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 7, 567584},
    {"double_check", "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
};

const std::vector<PerftCase> standard = read_epd();

std::string case_name(const ::testing::TestParamInfo<PerftCase>& param) { return param.param.name; }
std::string targeted_name(const ::testing::TestParamInfo<TargetedCase>& param) { return param.param.name; }

class PerftLong : public ::testing::TestWithParam<PerftCase> {};
class PerftLongTargeted : public ::testing::TestWithParam<TargetedCase> {};

}  // namespace

TEST(PerftLongEpd, ListsSixPositions) { EXPECT_EQ(standard.size(), 6u); }

TEST_P(PerftLong, EveryListedDepthOnBothBoards) {
    const PerftCase& c = GetParam();
    for (int depth = 1; depth <= static_cast<int>(c.counts.size()); ++depth) {
        EXPECT_EQ(perft_of(c.fen, depth), c.counts[depth - 1]) << c.fen << " depth " << depth;
        EXPECT_EQ(strong_perft_of(c.fen, depth), c.counts[depth - 1]) << c.fen << " depth " << depth;
        EXPECT_EQ(strong_perft_of(mirror_fen(c.fen), depth), c.counts[depth - 1]) << c.fen << " swapped, depth " << depth;
    }
}

TEST_P(PerftLongTargeted, MatchesPublishedCountOnBothBoards) {
    EXPECT_EQ(perft_of(GetParam().fen, GetParam().depth), GetParam().count) << GetParam().fen;
    EXPECT_EQ(strong_perft_of(GetParam().fen, GetParam().depth), GetParam().count) << GetParam().fen;
}

INSTANTIATE_TEST_SUITE_P(Perft, PerftLong, ::testing::ValuesIn(standard), case_name);
INSTANTIATE_TEST_SUITE_P(Perft, PerftLongTargeted, ::testing::ValuesIn(targeted), targeted_name);
