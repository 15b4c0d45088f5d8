// The generator's recurrence, the key draw order and the start position's hash.
#include <gtest/gtest.h>

#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"

TEST(Random, FirstDrawsFromSeedZero) {
    seed_random(0);
    const int expected[] = {346, 130, 10982, 1090, 11656};
    for (int value : expected) EXPECT_EQ(next_random(), value);
}

TEST(Zobrist, NamedKeysAndStartHash) {
    init_zobrist();
    EXPECT_EQ(zobrist_piece[WHITE][PAWN][0], 0x82DD99B6u);
    EXPECT_EQ(zobrist_piece[WHITE][PAWN][1], 0x84296321u);
    EXPECT_EQ(zobrist_piece[BLACK][KING][63], 0x556EC441u);
    EXPECT_EQ(zobrist_black_to_move, 0x0D82A7D3u);
    EXPECT_EQ(zobrist_ep[0], 0x00941833u);
    EXPECT_EQ(zobrist_ep[63], 0x16C3740Au);
    reset_position();
    EXPECT_EQ(position_hash, 0x35BA767Cu);
}
