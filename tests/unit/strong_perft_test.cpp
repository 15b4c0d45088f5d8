// The strong board's quick perft tier: every position of the standard EPD to
// the deepest listed depth within a node budget, the same positions with the
// colours swapped, and small positions aimed at en passant, castling and
// promotion. Under slow checks every make and unmake is checked by is_ok.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "epd.h"
#include "strong/perft.h"
#include "strong_support.h"

namespace {

constexpr std::uint64_t QUICK_NODE_LIMIT = 1000000;

void expect_counts(const std::string& fen, const std::vector<std::uint64_t>& counts) {
    auto pos = strong_from_fen(fen);
    auto before = new_position();
    copy_state(*before, *pos);
    int checked = 0;
    for (int depth = 1; depth <= static_cast<int>(counts.size()) && counts[depth - 1] <= QUICK_NODE_LIMIT; ++depth) {
        EXPECT_EQ(strong::perft(*pos, depth), counts[depth - 1]) << fen << " depth " << depth;
        ++checked;
    }
    EXPECT_TRUE(same_state(*pos, *before)) << "perft changed the position: " << fen;
    EXPECT_GE(checked, 3) << "node limit too low for " << fen;
}

const std::vector<PerftCase> standard = read_epd();

// Published counts where one rule decides.
const TargetedCase targeted[] = {
    {"illegal_ep_pinned_on_rank", "3k4/3p4/8/K1P4r/8/8/8/8 b - - 0 1", 5, 185429},
    {"illegal_ep_pinned_on_diagonal", "8/8/4k3/8/2p5/8/B2P2K1/8 w - - 0 1", 5, 135655},
    {"ep_gives_check", "8/8/1k6/2b5/2pP4/8/5K2/8 b - d3 0 1", 5, 206379},
    {"short_castling_gives_check", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", 5, 120330},
    {"long_castling_gives_check", "3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", 5, 141077},
    {"castling_rights", "r3k2r/1b4bq/8/8/8/8/7B/R3K2R w KQkq - 0 1", 3, 27826},
    {"castling_prevented", "r3k2r/8/3Q4/8/8/5q2/8/R3K2R b KQkq - 0 1", 3, 50509},
    {"promote_out_of_check", "2K2r2/4P3/8/8/8/8/8/3k4 w - - 0 1", 5, 266199},
    {"discovered_check", "8/8/1P2K3/8/2n5/1q6/8/5k2 b - - 0 1", 4, 31961},
    {"promote_to_give_check", "4k3/1P6/8/8/8/8/K7/8 w - - 0 1", 6, 217342},
    {"underpromote_to_check", "8/P1k5/K7/8/8/8/8/8 w - - 0 1", 6, 92683},
    {"self_stalemate", "K1k5/8/P7/8/8/8/8/8 w - - 0 1", 6, 2217},
    {"stalemate_and_checkmate", "8/k1P5/8/1K6/8/8/8/8 w - - 0 1", 7, 567584},
    {"double_check", "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1", 4, 23527},
};

}  // namespace

TEST(StrongPerft, StandardPositionsInBothColours) {
    ASSERT_EQ(standard.size(), 6u) << "cannot read the standard EPD";
    for (const PerftCase& c : standard) {
        expect_counts(c.fen, c.counts);
        std::vector<std::uint64_t> counts = c.counts;
        counts.resize(3);
        expect_counts(mirror_fen(c.fen), counts);
    }
}

TEST(StrongPerft, TargetedPositions) {
    for (const TargetedCase& c : targeted) {
        auto pos = strong_from_fen(c.fen);
        EXPECT_EQ(strong::perft(*pos, c.depth), c.count) << c.name << ": " << c.fen;
    }
}
