// train: fits the learned evaluation's network to datagen's games and
// writes it quantised, as the engine loads it.
//
//   train [--dir DIR] [--out FILE] [--epochs N] [--batch N] [--rate R]
//         [--lambda L] [--k K] [--weight-decay W] [--threads T] [--seed S]
//         [--holdout PERMILLE] [--skip-first N] [--keep-checks]
//         [--keep-tactical] [--keep-mates] [--checkpoint FILE] [--resume FILE]
//
// Every chunk in DIR is replayed; positions pass the filters (by default not
// in check, no capture or promotion played, no mate score, not among the
// first 2 plies); a share of the games, chosen by a hash of each game, is
// held out. The target blends the result and the search's score:
//   lambda * result + (1 - lambda) * sigmoid(score / k)
// against sigmoid(eval / k), squared error, AdamW with a cosine schedule.
// The same data, seed and options give the same network whatever the
// number of threads. --checkpoint saves the float network and the
// optimiser after every epoch; --resume goes on from such a file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "learn/trainer.h"
#include "learn/training_data.h"
#include "nnue/network.h"

namespace {

struct Options {
    std::string dir = learn::default_games_dir();
    std::string out = "networks/trained.nnue";
    std::string checkpoint;
    std::string resume;
    learn::TrainOptions train;
    learn::Filters filters;
    int holdout_permille = 50;
};

bool parse_options(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep-checks") o.filters.skip_in_check = false;
        else if (arg == "--keep-tactical") o.filters.skip_tactical = false;
        else if (arg == "--keep-mates") o.filters.skip_mate_scores = false;
        else if (i + 1 >= argc) return false;
        else {
            const char* value = argv[++i];
            if (arg == "--dir") o.dir = value;
            else if (arg == "--out") o.out = value;
            else if (arg == "--checkpoint") o.checkpoint = value;
            else if (arg == "--resume") o.resume = value;
            else if (arg == "--epochs") o.train.epochs = std::atoi(value);
            else if (arg == "--batch") o.train.batch_size = std::atoi(value);
            else if (arg == "--rate") o.train.learning_rate = std::atof(value);
            else if (arg == "--lambda") o.train.lambda = std::atof(value);
            else if (arg == "--k") o.train.k = std::atof(value);
            else if (arg == "--weight-decay") o.train.weight_decay = std::atof(value);
            else if (arg == "--threads") o.train.threads = std::atoi(value);
            else if (arg == "--seed") o.train.seed = std::strtoull(value, nullptr, 10);
            else if (arg == "--holdout") o.holdout_permille = std::atoi(value);
            else if (arg == "--skip-first") o.filters.skip_first_plies = std::atoi(value);
            else return false;
        }
    }
    return o.train.epochs >= 0 && o.train.batch_size > 0 && o.train.threads >= 1 && o.train.k > 0 &&
           o.train.lambda >= 0 && o.train.lambda <= 1 && o.holdout_permille >= 0 && o.holdout_permille < 1000;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse_options(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: train [--dir DIR] [--out FILE] [--epochs N] [--batch N] [--rate R] [--lambda L] [--k K]\n"
                     "             [--weight-decay W] [--threads T] [--seed S] [--holdout PERMILLE] [--skip-first N]\n"
                     "             [--keep-checks] [--keep-tactical] [--keep-mates] [--checkpoint FILE] [--resume FILE]\n");
        return 2;
    }
    // 1. The data.
    auto start = std::chrono::steady_clock::now();
    learn::TrainingData data;
    if (!learn::load_games(o.dir, o.filters, o.holdout_permille, o.train.threads, data)) {
        std::fprintf(stderr, "train: no chunks in %s\n", o.dir.c_str());
        return 1;
    }
    std::printf("%ld games, %ld positions: %zu to train on, %zu held out (%.1f s)\n", data.games, data.positions,
                data.train.size(), data.held_out.size(), seconds_since(start));
    if (data.train.empty()) {
        std::fprintf(stderr, "train: no position passed the filters\n");
        return 1;
    }

    // 2. The network, new or from a checkpoint.
    learn::Trainer trainer;
    learn::init_trainer(trainer, o.train, nnue::HIDDEN);
    if (!o.resume.empty()) {
        const std::string error = learn::load_checkpoint(trainer, o.resume.c_str());
        if (!error.empty() || trainer.net.hidden != nnue::HIDDEN) {
            std::fprintf(stderr, "train: %s\n", error.empty() ? "checkpoint of another hidden size" : error.c_str());
            return 1;
        }
        std::printf("resumed after epoch %d\n", trainer.epochs_done);
    }
    std::printf("epoch 0: held-out loss %.6f\n", learn::mean_loss(trainer, data.held_out));

    // 3. The epochs.
    while (trainer.epochs_done < o.train.epochs) {
        start = std::chrono::steady_clock::now();
        const double train_loss = learn::train_epoch(trainer, data.train);
        const double seconds = seconds_since(start);
        std::printf("epoch %d: training loss %.6f, held-out loss %.6f, %.0f positions/s\n", trainer.epochs_done,
                    train_loss, learn::mean_loss(trainer, data.held_out),
                    static_cast<double>(data.train.size()) / seconds);
        std::fflush(stdout);
        if (!o.checkpoint.empty()) {
            const std::string error = learn::save_checkpoint(trainer, o.checkpoint.c_str());
            if (!error.empty()) std::fprintf(stderr, "train: %s\n", error.c_str());
        }
    }

    // 4. The quantised network.
    auto net = std::make_unique<nnue::Network>();
    learn::quantise(trainer.net, *net);
    const std::string error = nnue::write_network_file(o.out.c_str(), *net);
    if (!error.empty()) {
        std::fprintf(stderr, "train: %s\n", error.c_str());
        return 1;
    }
    std::printf("wrote %s\n", o.out.c_str());
    return 0;
}
