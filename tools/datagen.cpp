// datagen: positions for tuning the evaluation, from games Tavrin's strong
// search plays against itself at a fixed number of nodes per move.
//
//   datagen --out FILE [--games N] [--threads T] [--nodes N]
//           [--random-plies R] [--openings PGN] [--seed S]
//
// Game i starts from an opening of the PGN file chosen at random, then R
// random legal plies, all drawn from a generator seeded by S and i, and the
// searches count nodes, not time: the same options give the same games,
// whatever the number of threads (the lines may come in another order). Every position where the side to move is not in
// check and the search's move is quiet is written as one line,
//   FEN | score | result
// with the search's score in centipawns and the game's result, both from
// White's point of view (result 1.0, 0.5 or 0.0). Games won beyond doubt or
// dead drawn are adjudicated early.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "strong/movegen.h"
#include "strong/notation.h"
#include "strong/search.h"

using namespace strong;

namespace {

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr int WIN_SCORE = 1500;      // a score this high for both sides, several moves running, is a win
constexpr int WIN_MOVES = 4;
constexpr int DRAW_SCORE = 8;        // this close to 0 for long enough, late enough, is a draw
constexpr int DRAW_MOVES = 10;
constexpr int DRAW_FROM_PLY = 80;
constexpr int MAX_PLIES = 400;

struct Options {
    std::string out;
    std::string openings = "../shared/openings/8moves_v3.pgn";
    long games = 10000;
    int threads = 2;
    std::uint64_t nodes = 5000;
    int random_plies = 2;
    std::uint64_t seed = 1;
};

// The move lists (SAN) of the PGN's games.
std::vector<std::vector<std::string>> read_openings(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<std::string>> games;
    std::vector<std::string> moves;
    std::string line;
    auto finish = [&] {
        if (!moves.empty()) games.push_back(moves);
        moves.clear();
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            finish();
            continue;
        }
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            if (word.find('.') != std::string::npos) {
                word = word.substr(word.rfind('.') + 1);
                if (word.empty()) continue;
            }
            if (word == "1-0" || word == "0-1" || word == "1/2-1/2" || word == "*") continue;
            moves.push_back(word);
        }
    }
    finish();
    return games;
}

struct Shared {
    const Options& options;
    const std::vector<std::vector<std::string>>& openings;
    std::mutex mutex;
    std::FILE* out;
    std::atomic<long> written{0};
    std::atomic<long> next_game{0};
    std::atomic<long> games{0};
};

bool game_over(const Position& pos, double* white_result) {
    MoveList legal;
    generate_all(pos, legal);
    if (legal.count == 0) {
        *white_result = !in_check(pos) ? 0.5 : pos.side == WHITE ? 0.0 : 1.0;
        return true;
    }
    if (is_fifty_move_draw(pos) || has_insufficient_material(pos) || is_repetition(pos, 0)) {
        *white_result = 0.5;
        return true;
    }
    return false;
}

void play_games(Shared& shared, int index) {
    const Options& options = shared.options;
    (void)index;
    auto engine = std::make_unique<Engine>();
    set_hash(*engine, 16);
    auto pos = std::make_unique<Position>();
    SearchLimits limits;
    limits.nodes = options.nodes;

    for (long game = shared.next_game++; game < options.games; game = shared.next_game++) {
        std::mt19937_64 random(options.seed * 1000003 + static_cast<std::uint64_t>(game));
        // 1. The opening, and a few random plies.
        set_fen(*pos, START_FEN);
        const auto& opening = shared.openings[random() % shared.openings.size()];
        bool playable = true;
        for (const std::string& san : opening) {
            const strong::Move m = parse_san(*pos, san.c_str());
            if (m == NO_MOVE || !push_history_move(*pos, m)) {
                playable = false;
                break;
            }
        }
        double result = 0.5;
        for (int i = 0; playable && i < options.random_plies; ++i) {
            MoveList legal;
            generate_all(*pos, legal);
            if (legal.count == 0) playable = false;
            else push_history_move(*pos, legal.moves[random() % legal.count]);
        }
        if (!playable || game_over(*pos, &result)) continue;
        clear_hash(*engine);

        // 2. The game, noting the quiet positions.
        std::vector<std::pair<std::string, int>> noted;
        int winning = 0, drawn = 0;
        bool decided = false;
        for (int ply = 0; ply < MAX_PLIES && !decided; ++ply) {
            const Result r = think(*engine, *pos, limits, {});
            if (r.best == NO_MOVE) break;
            const int white_score = pos->side == WHITE ? r.score : -r.score;
            const bool quiet = !in_check(*pos) && pos->board[move_to(r.best)] == NO_PIECE &&
                               move_kind(r.best) != EN_PASSANT && !is_promotion(r.best);
            if (quiet && std::abs(r.score) < SCORE_MATE_IN_MAX) noted.emplace_back(to_fen(*pos), white_score);
            winning = std::abs(r.score) >= WIN_SCORE ? winning + 1 : 0;
            drawn = ply >= DRAW_FROM_PLY && std::abs(r.score) <= DRAW_SCORE ? drawn + 1 : 0;
            if (winning >= 2 * WIN_MOVES) {
                result = white_score > 0 ? 1.0 : 0.0;
                decided = true;
            } else if (drawn >= 2 * DRAW_MOVES) {
                result = 0.5;
                decided = true;
            }
            push_history_move(*pos, r.best);
            if (!decided) decided = game_over(*pos, &result);
        }

        // 3. The game's positions with its result.
        std::lock_guard<std::mutex> lock(shared.mutex);
        for (const auto& [fen, score] : noted)
            std::fprintf(shared.out, "%s | %d | %.1f\n", fen.c_str(), score, result);
        shared.written += static_cast<long>(noted.size());
        const long games = ++shared.games;
        if (games % 100 == 0) {
            std::fprintf(stderr, "%ld games, %ld positions\n", games, shared.written.load());
            std::fflush(shared.out);
        }
    }
}

bool parse_options(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--out") o.out = value;
        else if (arg == "--openings") o.openings = value;
        else if (arg == "--games") o.games = std::atol(value);
        else if (arg == "--threads") o.threads = std::atoi(value);
        else if (arg == "--nodes") o.nodes = std::strtoull(value, nullptr, 10);
        else if (arg == "--random-plies") o.random_plies = std::atoi(value);
        else if (arg == "--seed") o.seed = std::strtoull(value, nullptr, 10);
        else return false;
    }
    return !o.out.empty() && o.threads >= 1 && o.games > 0 && o.nodes > 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse_options(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: datagen --out FILE [--games N] [--threads T] [--nodes N] [--random-plies R] "
                     "[--openings PGN] [--seed S]\n");
        return 2;
    }
    const auto openings = read_openings(options.openings);
    if (openings.empty()) {
        std::fprintf(stderr, "datagen: no openings in %s\n", options.openings.c_str());
        return 1;
    }
    std::FILE* out = std::fopen(options.out.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "datagen: cannot write %s\n", options.out.c_str());
        return 1;
    }
    Shared shared{options, openings, {}, out};
    std::vector<std::thread> threads;
    for (int i = 0; i < options.threads; ++i) threads.emplace_back(play_games, std::ref(shared), i);
    for (std::thread& t : threads) t.join();
    std::fclose(out);
    std::fprintf(stderr, "%ld games, %ld positions written to %s\n", shared.games.load(), shared.written.load(),
                 options.out.c_str());
    return 0;
}
