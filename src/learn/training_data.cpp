// Positions for the trainer: replayed from game records, filtered, held out
// by game, and kept as the network's input features.
#include "learn/training_data.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "learn/replay.h"
#include "nnue/network.h"

namespace learn {

using namespace strong;

Sample make_sample(const Position& pos, int score, int result) {
    Sample s{};
    for (int sq = 0; sq < 64; ++sq)
        if (pos.board[sq] != NO_PIECE) s.features[s.count++] = static_cast<std::uint16_t>(nnue::feature_index(0, pos.board[sq], sq));
    s.side = static_cast<std::uint8_t>(pos.side);
    s.result = static_cast<std::uint8_t>(result);
    s.score = static_cast<std::int16_t>(score);
    return s;
}

std::uint64_t game_hash(const GameRecord& game) {
    std::vector<std::uint8_t> bytes;
    append_game(bytes, game);
    return nnue::fnv1a64(bytes.data(), bytes.size());
}

bool add_game(TrainingData& data, const GameRecord& game, const Filters& filters, int holdout_permille,
              Position& scratch, std::string& error) {
    std::vector<Sample>& out = static_cast<int>(game_hash(game) % 1000) < holdout_permille ? data.held_out : data.train;
    ++data.games;
    return replay(game, scratch, [&](const ReplayedPly& p) {
        ++data.positions;
        if (p.ply < filters.skip_first_plies || (filters.skip_in_check && p.in_check) ||
            (filters.skip_tactical && (p.is_capture || p.is_promotion)) || (filters.skip_mate_scores && p.is_mate_score))
            return;
        out.push_back(make_sample(*p.pos, p.score, p.result));
    }, error);
}

bool load_games(const std::string& dir, const Filters& filters, int holdout_permille, int threads,
                TrainingData& data) {
    const std::vector<std::string> paths = list_chunks(dir);
    if (paths.empty()) return false;
    std::vector<TrainingData> parts(paths.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        auto scratch = std::make_unique<Position>();
        Chunk chunk;
        std::string error;
        for (std::size_t i = next++; i < paths.size(); i = next++) {
            if (!read_chunk_file(paths[i], chunk, error)) {
                std::fprintf(stderr, "skipped %s\n", error.c_str());
                continue;
            }
            for (const GameRecord& game : chunk.games)
                if (!add_game(parts[i], game, filters, holdout_permille, *scratch, error))
                    std::fprintf(stderr, "%s: %s\n", paths[i].c_str(), error.c_str());
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    for (TrainingData& part : parts) {
        data.train.insert(data.train.end(), part.train.begin(), part.train.end());
        data.held_out.insert(data.held_out.end(), part.held_out.begin(), part.held_out.end());
        data.games += part.games;
        data.positions += part.positions;
    }
    return true;
}

}  // namespace learn
