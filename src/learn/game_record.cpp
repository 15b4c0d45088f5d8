// Self-play games as the trainer reads them: chunk files of game records,
// their byte layout, writing and reading with every field checked.
#include "learn/game_record.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "strong/movegen.h"

namespace learn {

using namespace strong;

namespace {

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t get(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return value;
}

}  // namespace

void append_chunk_header(std::vector<std::uint8_t>& out, std::uint64_t seed) {
    out.insert(out.end(), CHUNK_MAGIC, CHUNK_MAGIC + 8);
    put(out, CHUNK_VERSION, 4);
    put(out, 0, 4);
    put(out, seed, 8);
}

void append_game(std::vector<std::uint8_t>& out, const GameRecord& game) {
    out.insert(out.end(), game.start.bytes, game.start.bytes + PACKED_BOARD_BYTES);
    put(out, game.plies.size(), 2);
    put(out, game.result, 1);
    put(out, game.flags, 1);
    for (const PlyRecord& ply : game.plies) {
        put(out, ply.move, 2);
        put(out, static_cast<std::uint16_t>(ply.score), 2);
    }
}

bool parse_chunk(const std::uint8_t* data, std::size_t size, Chunk& chunk, std::string& error) {
    chunk.games.clear();
    if (size < CHUNK_HEADER_BYTES || std::memcmp(data, CHUNK_MAGIC, 8) != 0) {
        error = "not a chunk of game records (bad magic)";
        return false;
    }
    if (get(data + 8, 4) != CHUNK_VERSION) {
        error = "chunk of format version " + std::to_string(get(data + 8, 4)) + ", expected " +
                std::to_string(CHUNK_VERSION);
        return false;
    }
    if (get(data + 12, 4) != 0) {
        error = "chunk with unknown flags";
        return false;
    }
    chunk.seed = get(data + 16, 8);
    auto pos = std::make_unique<Position>();
    std::size_t at = CHUNK_HEADER_BYTES;
    while (at < size) {
        const std::string where = "game " + std::to_string(chunk.games.size()) + ": ";
        if (size - at < GAME_HEADER_BYTES) {
            error = where + "truncated header";
            return false;
        }
        GameRecord game;
        std::memcpy(game.start.bytes, data + at, PACKED_BOARD_BYTES);
        const int plies = static_cast<int>(get(data + at + PACKED_BOARD_BYTES, 2));
        game.result = data[at + PACKED_BOARD_BYTES + 2];
        game.flags = data[at + PACKED_BOARD_BYTES + 3];
        at += GAME_HEADER_BYTES;
        if (game.result > RESULT_WHITE_WON || (game.flags & ~GAME_ADJUDICATED) != 0 || plies > MAX_RECORD_PLIES) {
            error = where + "bad result, flags or length";
            return false;
        }
        if (size - at < static_cast<std::size_t>(plies) * PLY_BYTES) {
            error = where + "truncated moves";
            return false;
        }
        std::string board_error;
        if (!unpack_board(game.start, *pos, board_error)) {
            error = where + board_error;
            return false;
        }
        game.plies.resize(static_cast<std::size_t>(plies));
        for (int i = 0; i < plies; ++i, at += PLY_BYTES) {
            PlyRecord& ply = game.plies[static_cast<std::size_t>(i)];
            ply.move = static_cast<strong::Move>(get(data + at, 2));
            ply.score = static_cast<std::int16_t>(get(data + at + 2, 2));
            if (!push_history_move(*pos, ply.move)) {
                error = where + "illegal move at ply " + std::to_string(i);
                return false;
            }
        }
        chunk.games.push_back(std::move(game));
    }
    return true;
}

std::string default_games_dir() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return "games";
    return std::string(home) + "/.cache/tavrin/games";
}

std::string chunk_path(const std::string& dir, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "chunk-%06ld.tvg", index);
    return dir + "/" + name;
}

bool chunk_exists(const std::string& dir, long index) {
    std::error_code ec;
    return std::filesystem::is_regular_file(chunk_path(dir, index), ec);
}

std::vector<std::string> list_chunks(const std::string& dir) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 16 && name.rfind("chunk-", 0) == 0 && name.compare(12, 4, ".tvg") == 0)
            paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

bool write_chunk_file(const std::string& dir, long index, std::uint64_t seed, const std::vector<GameRecord>& games,
                      std::string& error) {
    std::vector<std::uint8_t> bytes;
    append_chunk_header(bytes, seed);
    for (const GameRecord& game : games) append_game(bytes, game);
    const std::string path = chunk_path(dir, index), temporary = path + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) {
        error = "cannot write " + temporary;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        error = "cannot write " + temporary;
        std::remove(temporary.c_str());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot rename " + temporary + ": " + ec.message();
        return false;
    }
    return true;
}

bool read_chunk_file(const std::string& path, Chunk& chunk, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error = "cannot read " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    if (!parse_chunk(bytes.data(), bytes.size(), chunk, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace learn
