// Self-play games as the trainer reads them: chunk files of game records,
// their byte layout, writing and reading with every field checked.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "learn/packed_board.h"
#include "strong/move.h"

namespace learn {

// A chunk file, all little-endian:
//   header   8 bytes "TVGAMES1", u32 format version, u32 flags (0), u64 seed
//   games    back to back, each:
//            the start position, packed (PACKED_BOARD_BYTES)
//            u16 plies, u8 result for White (0 lost, 1 drawn, 2 won),
//            u8 flags (GAME_ADJUDICATED)
//            per ply: u16 the move played (strong encoding), i16 the
//            search's score for the side to move (mates as the search
//            gives them, clamped to int16)
constexpr char CHUNK_MAGIC[8] = {'T', 'V', 'G', 'A', 'M', 'E', 'S', '1'};
constexpr std::uint32_t CHUNK_VERSION = 1;
constexpr int CHUNK_HEADER_BYTES = 24;
constexpr int GAME_HEADER_BYTES = PACKED_BOARD_BYTES + 4;
constexpr int PLY_BYTES = 4;
constexpr std::uint8_t GAME_ADJUDICATED = 1;
// A game can be at most as long as a board's history holds.
constexpr int MAX_RECORD_PLIES = strong::MAX_GAME_PLY;

constexpr int RESULT_BLACK_WON = 0;
constexpr int RESULT_DRAW = 1;
constexpr int RESULT_WHITE_WON = 2;

struct PlyRecord {
    strong::Move move;
    std::int16_t score;  // the side to move's view
};

struct GameRecord {
    PackedBoard start;
    std::uint8_t result;  // RESULT_*, White's view
    std::uint8_t flags;
    std::vector<PlyRecord> plies;
};

struct Chunk {
    std::uint64_t seed = 0;
    std::vector<GameRecord> games;
};

// A search score as a record stores it.
inline std::int16_t clamp_score(int score) {
    return static_cast<std::int16_t>(score < -32768 ? -32768 : score > 32767 ? 32767 : score);
}

// Appends a chunk's header, or one game, to `out`.
void append_chunk_header(std::vector<std::uint8_t>& out, std::uint64_t seed);
void append_game(std::vector<std::uint8_t>& out, const GameRecord& game);

// Reads a whole chunk from bytes. Refuses, with the reason in `error`, a
// wrong magic, version or flags, a truncated game, a bad result, a packed
// board that is no position, and a move that is not legal where it is played.
bool parse_chunk(const std::uint8_t* data, std::size_t size, Chunk& chunk, std::string& error);

// The data folder: $HOME/.cache/tavrin/games, or ./games without a home.
std::string default_games_dir();
// DIR/chunk-NNNNNN.tvg
std::string chunk_path(const std::string& dir, long index);
// Whether the complete chunk of that index is in the folder.
bool chunk_exists(const std::string& dir, long index);
// The complete chunks in the folder, by index; temporary files are left out.
std::vector<std::string> list_chunks(const std::string& dir);

// Writes a chunk under a temporary name and renames it when complete, so a
// reader never meets half a chunk. False, with the reason, on failure.
bool write_chunk_file(const std::string& dir, long index, std::uint64_t seed, const std::vector<GameRecord>& games,
                      std::string& error);
bool read_chunk_file(const std::string& path, Chunk& chunk, std::string& error);

}  // namespace learn
