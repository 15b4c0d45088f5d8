// The quick perft tier: every position of the standard EPD to the deepest
// listed depth within a node budget, the same positions with the colours
// swapped, and small positions aimed at en passant, castling and promotion.
// In the sanitizer build perft also compares the whole state after every
// take-back; here the state after the whole count must be the one before.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/perft.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "epd.h"

namespace {

// Depth by depth, no position of the quick tier goes beyond this many leaves.
constexpr std::uint64_t QUICK_NODE_LIMIT = 700000;

// The same position seen from the other side: ranks reversed, colours and
// side to move swapped. Its tree has the same shape.
std::string mirror_fen(const std::string& fen) {
    std::istringstream in(fen);
    std::string board, side, castling, ep, rest;
    in >> board >> side >> castling >> ep;
    std::getline(in, rest);
    std::vector<std::string> ranks;
    std::istringstream rank_text(board);
    for (std::string rank; std::getline(rank_text, rank, '/');) ranks.push_back(rank);
    auto swap_case = [](std::string s) {
        for (char& ch : s) ch = std::isupper(static_cast<unsigned char>(ch)) ? std::tolower(ch) : std::toupper(ch);
        return s;
    };
    std::string mirrored;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!mirrored.empty()) mirrored += '/';
        mirrored += swap_case(*it);
    }
    if (castling != "-") castling = swap_case(castling);
    if (ep != "-") ep[1] = static_cast<char>('9' - ep[1] + '0');
    return mirrored + (side == "w" ? " b " : " w ") + castling + " " + ep + rest;
}

struct State {
    std::array<int, 64> color{}, piece{};
    int side = 0, castle = 0, ep = 0, clock = 0, sply = 0, hply = 0;
    std::uint32_t hash = 0;
    bool operator==(const State&) const = default;
};

State current_state() {
    return {std::to_array(square_color), std::to_array(square_piece), side_to_move, castle_rights, ep_square,
            halfmove_clock, search_ply, history_ply, position_hash};
}

void expect_counts(const std::string& fen, const std::vector<std::uint64_t>& counts, std::uint64_t node_limit) {
    init_zobrist();
    ASSERT_EQ(load_fen(fen.c_str()), nullptr) << fen;
    const State before = current_state();
    int checked = 0;
    for (int depth = 1; depth <= static_cast<int>(counts.size()) && counts[depth - 1] <= node_limit; ++depth) {
        EXPECT_EQ(perft(depth), counts[depth - 1]) << fen << " depth " << depth;
        EXPECT_TRUE(current_state() == before) << "perft changed the position: " << fen;
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

TEST(PerftDepthZero, CountsThePositionItself) {
    init_zobrist();
    reset_position();
    EXPECT_EQ(perft(0), 1u);
}

TEST_P(PerftStandard, MatchesPublishedCounts) { expect_counts(GetParam().fen, GetParam().counts, QUICK_NODE_LIMIT); }

TEST_P(PerftMirrored, SameCountsWithColoursSwapped) {
    std::vector<std::uint64_t> counts = GetParam().counts;
    counts.resize(3);
    expect_counts(mirror_fen(GetParam().fen), counts, QUICK_NODE_LIMIT);
}

TEST_P(PerftTargeted, MatchesPublishedCount) {
    init_zobrist();
    ASSERT_EQ(load_fen(GetParam().fen), nullptr);
    EXPECT_EQ(perft(GetParam().depth), GetParam().count) << GetParam().fen;
}

INSTANTIATE_TEST_SUITE_P(Perft, PerftStandard, ::testing::ValuesIn(standard), case_name);
INSTANTIATE_TEST_SUITE_P(Perft, PerftMirrored, ::testing::ValuesIn(standard), case_name);
INSTANTIATE_TEST_SUITE_P(Perft, PerftTargeted, ::testing::ValuesIn(targeted), targeted_name);
