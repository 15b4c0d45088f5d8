// The bench's node total, pinned: it changes only when the search's behaviour does.
#include <gtest/gtest.h>

#include <cstdint>

#include "../../tools/bench_positions.h"
#include "board/fen.h"
#include "board/position.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "search/driver.h"
#include "search/search.h"

namespace {

// Update together with a commit that changes the search on purpose.
constexpr std::uint64_t BENCH_SIGNATURE = 14469483;

TEST(SearchBench, SignatureOfTheFullBench) {
    init_zobrist();
    reset_position();
    std::FILE* const saved_book = book_file;
    book_file = nullptr;
    time_budget_ms = DEPTH_ONLY_BUDGET_MS;
    std::uint64_t total = 0;
    for (const BenchPosition& position : bench_positions) {
        ASSERT_EQ(load_fen(position.fen), nullptr) << position.fen;
        depth_limit = position.depth;
        choose_move(0);
        EXPECT_NE(pv_table[0][0], 0) << position.fen;
        total += node_count;
    }
    EXPECT_EQ(total, BENCH_SIGNATURE);
    book_file = saved_book;
    depth_limit = 0;
    time_budget_ms = 0;
}

}  // namespace
