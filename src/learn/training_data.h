// Positions for the trainer: replayed from game records, filtered, held out
// by game, and kept as the network's input features.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "learn/game_record.h"
#include "strong/position.h"

namespace learn {

// Which positions train: by default not those in check, nor those whose
// move takes or promotes (the score is about what follows), nor mate scores,
// nor the first plies of a game.
struct Filters {
    bool skip_in_check = true;
    bool skip_tactical = true;  // captures and promotions
    bool skip_mate_scores = true;
    int skip_first_plies = 2;
};

// One position: its pieces as feature indices from White's side
// (nnue::feature_index(0, code, square)), whose side to move, the game's
// result and the search's score, both for the side to move.
struct Sample {
    std::uint16_t features[32];
    std::uint8_t count;
    std::uint8_t side;
    std::uint8_t result;  // 0 lost, 1 drawn, 2 won
    std::int16_t score;
};

// The same piece from Black's side: colours swapped, board mirrored.
constexpr int black_feature(int white_feature) {
    return (white_feature < 384 ? white_feature + 384 : white_feature - 384) ^ 56;
}

struct TrainingData {
    std::vector<Sample> train;
    std::vector<Sample> held_out;
    long games = 0;
    long positions = 0;  // before filtering
};

Sample make_sample(const strong::Position& pos, int score, int result);

// A hash of the game's bytes: which games are held out depends on nothing
// but the games themselves.
std::uint64_t game_hash(const GameRecord& game);

// Adds the game's positions that pass the filters, to `held_out` when the
// game's hash falls in the held-out share (per thousand), else to `train`.
// False, with the reason, when the game does not replay.
bool add_game(TrainingData& data, const GameRecord& game, const Filters& filters, int holdout_permille,
              strong::Position& scratch, std::string& error);

// Every chunk in the folder, read by `threads` threads and added in the
// chunks' order. A chunk that fails to read is skipped with a message on
// standard error. False when the folder holds no chunk.
bool load_games(const std::string& dir, const Filters& filters, int holdout_permille, int threads,
                TrainingData& data);

}  // namespace learn
