// Game records: written and read back identical, results and scores kept
// from the right side, and damaged chunks refused without a crash.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "learn/game_record.h"
#include "learn/replay.h"
#include "strong_support.h"

namespace {

using namespace learn;

// Random games from positions with castling rights, an en passant square,
// and Black to move; scores from the whole int16 range.
std::vector<GameRecord> random_games(int count, std::uint32_t seed) {
    static const char* const starts[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "rnbqkbnr/ppp1pppp/8/8/3pP3/5N2/PPPP1PPP/RNBQKB1R b KQkq e3 0 3",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 b - - 12 40",
    };
    std::mt19937 random(seed);
    std::vector<GameRecord> games;
    for (int i = 0; i < count; ++i) {
        auto pos = strong_from_fen(starts[i % 3]);
        GameRecord game;
        game.start = pack_board(*pos);
        game.result = static_cast<std::uint8_t>(random() % 3);
        game.flags = static_cast<std::uint8_t>(random() % 2);
        strong_random_walk(*pos, random, 20 + i, [] {});
        // The walk made its moves with make(); take them from the history.
        std::vector<strong::Move> moves;
        for (int k = 0; k < pos->history_count; ++k) moves.push_back(pos->history[k].move);
        for (strong::Move m : moves)
            game.plies.push_back({m, static_cast<std::int16_t>(static_cast<int>(random() % 65536) - 32768)});
        games.push_back(game);
    }
    return games;
}

std::vector<std::uint8_t> chunk_bytes(const std::vector<GameRecord>& games, std::uint64_t seed = 77) {
    std::vector<std::uint8_t> bytes;
    append_chunk_header(bytes, seed);
    for (const GameRecord& g : games) append_game(bytes, g);
    return bytes;
}

void expect_same_games(const std::vector<GameRecord>& a, const std::vector<GameRecord>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(0, std::memcmp(a[i].start.bytes, b[i].start.bytes, PACKED_BOARD_BYTES)) << "game " << i;
        EXPECT_EQ(a[i].result, b[i].result);
        EXPECT_EQ(a[i].flags, b[i].flags);
        ASSERT_EQ(a[i].plies.size(), b[i].plies.size());
        for (std::size_t k = 0; k < a[i].plies.size(); ++k) {
            EXPECT_EQ(a[i].plies[k].move, b[i].plies[k].move);
            EXPECT_EQ(a[i].plies[k].score, b[i].plies[k].score);
        }
    }
}

// Packing keeps every field of the position that FEN has.
TEST(GameRecord, PackedBoardRoundTrip) {
    for (const char* fen : rich_positions) {
        auto pos = strong_from_fen(fen);
        auto back = new_position();
        std::string error;
        ASSERT_TRUE(unpack_board(pack_board(*pos), *back, error)) << fen << ": " << error;
        EXPECT_EQ(strong::to_fen(*back), strong::to_fen(*pos));
    }
}

// Bytes and files: the games come back as they were written, and the file
// appears only under its final name.
TEST(GameRecord, ChunkRoundTrip) {
    const std::vector<GameRecord> games = random_games(6, 1);
    const std::vector<std::uint8_t> bytes = chunk_bytes(games, 0x1234567890ABCDEFULL);
    Chunk chunk;
    std::string error;
    ASSERT_TRUE(parse_chunk(bytes.data(), bytes.size(), chunk, error)) << error;
    EXPECT_EQ(chunk.seed, 0x1234567890ABCDEFULL);
    expect_same_games(games, chunk.games);

    const std::string dir = ::testing::TempDir() + "tavrin_chunks_" + std::to_string(::getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(write_chunk_file(dir, 3, 99, games, error)) << error;
    EXPECT_TRUE(chunk_exists(dir, 3));
    EXPECT_FALSE(chunk_exists(dir, 0));
    std::FILE* partial = std::fopen((chunk_path(dir, 4) + ".tmp").c_str(), "wb");
    ASSERT_NE(partial, nullptr);
    std::fclose(partial);
    ASSERT_EQ(list_chunks(dir), std::vector<std::string>{chunk_path(dir, 3)});
    Chunk from_file;
    ASSERT_TRUE(read_chunk_file(chunk_path(dir, 3), from_file, error)) << error;
    EXPECT_EQ(from_file.seed, 99u);
    expect_same_games(games, from_file.games);
    std::filesystem::remove_all(dir);
}

// A game begun with Black to move, which Black lost: the first position's
// result is a loss for the side to move and its score is the one stored;
// the next, White to move, is a win. The flags a trainer filters on follow
// the moves.
TEST(GameRecord, ReplayGivesResultAndScoreForTheSideToMove) {
    auto pos = strong_from_fen("4k3/8/8/3p4/4P3/8/8/4K3 b - - 0 1");
    GameRecord game;
    game.start = pack_board(*pos);
    game.result = RESULT_WHITE_WON;
    game.flags = 0;
    const char* moves[] = {"e8d7", "e4d5", "d7d6"};
    const std::int16_t scores[] = {-150, 240, -31900};
    for (int i = 0; i < 3; ++i) {
        const strong::Move m = strong::parse_uci_move(*pos, moves[i]);
        ASSERT_NE(m, strong::NO_MOVE);
        game.plies.push_back({m, scores[i]});
        strong::make(*pos, m);
    }
    const std::vector<std::uint8_t> bytes = chunk_bytes({game});
    Chunk chunk;
    std::string error;
    ASSERT_TRUE(parse_chunk(bytes.data(), bytes.size(), chunk, error)) << error;
    std::vector<ReplayedPly> seen;
    std::vector<int> sides;
    auto scratch = new_position();
    ASSERT_TRUE(replay(chunk.games[0], *scratch, [&](const ReplayedPly& p) {
        seen.push_back(p);
        sides.push_back(p.pos->side);
    }, error)) << error;
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(sides, (std::vector<int>{BLACK, WHITE, BLACK}));
    const int results[] = {0, 2, 0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(seen[i].score, scores[i]) << "ply " << i;
        EXPECT_EQ(seen[i].result, results[i]) << "ply " << i;
        EXPECT_EQ(seen[i].white_result, RESULT_WHITE_WON);
        EXPECT_EQ(seen[i].ply, i);
    }
    EXPECT_FALSE(seen[0].is_capture);
    EXPECT_TRUE(seen[1].is_capture);
    EXPECT_FALSE(seen[1].is_mate_score);
    EXPECT_TRUE(seen[2].is_mate_score);
    EXPECT_FALSE(seen[2].in_check);
}

// Every prefix of a chunk is either refused or read as its first games
// (the end of a game is also the end of a valid chunk); bytes garbled at
// random never crash the reader (the sanitizers watch), and the faults
// named in the format give their own message.
TEST(GameRecord, DamagedChunksAreRefusedCleanly) {
    const std::vector<GameRecord> games = random_games(2, 2);
    const std::vector<std::uint8_t> bytes = chunk_bytes(games);
    Chunk chunk;
    std::string error;
    int refused = 0;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<long>(size));
        if (parse_chunk(prefix.data(), prefix.size(), chunk, error)) {
            ASSERT_LT(chunk.games.size(), games.size()) << "size " << size;
            expect_same_games(std::vector<GameRecord>(games.begin(), games.begin() + static_cast<long>(chunk.games.size())),
                              chunk.games);
        } else {
            EXPECT_FALSE(error.empty());
            ++refused;
        }
    }
    EXPECT_GE(refused, static_cast<int>(bytes.size()) - 2);

    std::mt19937 random(3);
    for (int trial = 0; trial < 150; ++trial) {
        std::vector<std::uint8_t> garbled = bytes;
        for (int k = 0; k < 1 + trial % 4; ++k) garbled[random() % garbled.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
        parse_chunk(garbled.data(), garbled.size(), chunk, error);
    }

    auto refuse = [&](std::vector<std::uint8_t> damaged, const char* expected) {
        EXPECT_FALSE(parse_chunk(damaged.data(), damaged.size(), chunk, error)) << expected;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    };
    std::vector<std::uint8_t> damaged = bytes;
    damaged[0] = 'X';
    refuse(damaged, "magic");
    damaged = bytes;
    damaged[8] = 2;
    refuse(damaged, "version");
    damaged = bytes;
    damaged[CHUNK_HEADER_BYTES + GAME_HEADER_BYTES] = 0;  // the first move becomes a8a8
    damaged[CHUNK_HEADER_BYTES + GAME_HEADER_BYTES + 1] = 0;
    refuse(damaged, "illegal move at ply 0");
    damaged = bytes;
    damaged[CHUNK_HEADER_BYTES + 8] = 0x77;  // two pieces of kind 7
    refuse(damaged, "piece code");
    damaged = bytes;
    damaged.pop_back();
    refuse(damaged, "truncated");
}

}  // namespace
