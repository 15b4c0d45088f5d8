// wdl_fit: fits the model of what a score means (strong/wdl.h) to the
// self-play games: for every position whose score is no mate, the score,
// the material and the game's result for the side to move; then the six
// coefficients that make the results most likely.
//
//   wdl_fit [--dir DIR] [--iterations N]
//
// Positions are counted by material and by score in steps of 8 centipawns,
// so the fit runs over a few thousand cells whatever the data. It prints
// the results per score, the log-likelihood before and after, and the model
// as strong/wdl.cpp writes it.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "learn/game_record.h"
#include "learn/replay.h"
#include "strong/wdl.h"

namespace {

constexpr int SCORE_STEP = 8;
constexpr int SCORE_LIMIT = 2000;

struct Cell {
    int material;
    int score;
    double results[3];  // lost, drawn, won, for the side to move
};

double log_likelihood(const std::vector<Cell>& cells, const strong::WdlModel& m, double* gradient) {
    double total = 0;
    if (gradient) std::fill(gradient, gradient + 6, 0.0);
    for (const Cell& c : cells) {
        const double x = std::clamp(c.material, 17, 78) / 58.0;
        const double xs[3] = {1, x, x * x};
        const double a = m.a[0] + m.a[1] * x + m.a[2] * x * x;
        const double b = std::max(m.b[0] + m.b[1] * x + m.b[2] * x * x, 1.0);
        const double win = 1 / (1 + std::exp((a - c.score) / b));
        const double loss = 1 / (1 + std::exp((a + c.score) / b));
        const double draw = std::max(1 - win - loss, 1e-9);
        const double p[3] = {std::max(loss, 1e-9), draw, std::max(win, 1e-9)};
        for (int r = 0; r < 3; ++r) total += c.results[r] * std::log(p[r]);
        if (!gradient) continue;
        // d win / d a = -win (1 - win) / b; d win / d b = -win (1 - win) (c.score - a) / b^2, and
        // for the loss with -score.
        const double dwin_da = -win * (1 - win) / b, dloss_da = -loss * (1 - loss) / b;
        const double dwin_db = -win * (1 - win) * (c.score - a) / (b * b);
        const double dloss_db = loss * (1 - loss) * (c.score + a) / (b * b);
        const double g_win = c.results[2] / p[2] - c.results[1] / draw;
        const double g_loss = c.results[0] / p[0] - c.results[1] / draw;
        const double ga = g_win * dwin_da + g_loss * dloss_da, gb = g_win * dwin_db + g_loss * dloss_db;
        for (int k = 0; k < 3; ++k) {
            gradient[k] += ga * xs[k];
            gradient[3 + k] += gb * xs[k];
        }
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = learn::default_games_dir();
    int iterations = 20000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--dir") == 0) dir = argv[i + 1];
        else if (std::strcmp(argv[i], "--iterations") == 0) iterations = std::atoi(argv[i + 1]);
        else {
            std::fprintf(stderr, "usage: wdl_fit [--dir DIR] [--iterations N]\n");
            return 2;
        }
    }
    // 1. Count the results by material and score.
    std::map<std::pair<int, int>, std::array<double, 3>> counts;
    auto scratch = std::make_unique<strong::Position>();
    long games = 0, positions = 0;
    for (const std::string& path : learn::list_chunks(dir)) {
        learn::Chunk chunk;
        std::string error;
        if (!learn::read_chunk_file(path, chunk, error)) {
            std::fprintf(stderr, "wdl_fit: %s: %s\n", path.c_str(), error.c_str());
            continue;
        }
        for (const learn::GameRecord& game : chunk.games) {
            ++games;
            learn::replay(game, *scratch, [&](const learn::ReplayedPly& p) {
                if (p.is_mate_score || std::abs(p.score) > SCORE_LIMIT) return;
                const int bucket = static_cast<int>(std::lround(static_cast<double>(p.score) / SCORE_STEP)) * SCORE_STEP;
                counts[{strong::wdl_material(*p.pos), bucket}][p.result] += 1;
                ++positions;
            }, error);
        }
    }
    if (positions == 0) {
        std::fprintf(stderr, "wdl_fit: no positions in %s\n", dir.c_str());
        return 1;
    }
    std::vector<Cell> cells;
    for (const auto& [key, r] : counts) cells.push_back({key.first, key.second, {r[0], r[1], r[2]}});
    std::printf("%ld games, %ld positions, %zu cells\n", games, positions, cells.size());

    // 2. Adam on the log-likelihood, per position.
    strong::WdlModel model = {{150, 0, 0}, {70, 0, 0}};
    double param[6] = {150, 0, 0, 70, 0, 0}, m1[6] = {}, m2[6] = {}, g[6];
    const double before = log_likelihood(cells, model, nullptr) / positions;
    for (int t = 1; t <= iterations; ++t) {
        log_likelihood(cells, model, g);
        for (int k = 0; k < 6; ++k) {
            const double grad = -g[k] / positions;
            m1[k] = 0.9 * m1[k] + 0.1 * grad;
            m2[k] = 0.999 * m2[k] + 0.001 * grad * grad;
            const double step = 0.5 * (m1[k] / (1 - std::pow(0.9, t))) / (std::sqrt(m2[k] / (1 - std::pow(0.999, t))) + 1e-9);
            param[k] -= step;
        }
        model = {{param[0], param[1], param[2]}, {param[3], param[4], param[5]}};
    }
    const double after = log_likelihood(cells, model, nullptr) / positions;
    std::printf("log-likelihood per position: %.5f before, %.5f after\n", before, after);
    std::printf("const WdlModel WDL_MODEL = {{%.3f, %.3f, %.3f}, {%.3f, %.3f, %.3f}};\n", model.a[0], model.a[1],
                model.a[2], model.b[0], model.b[1], model.b[2]);
    // 3. The fit against the games at a middlegame's material.
    for (int score : {-300, -100, 0, 100, 200, 300}) {
        const strong::Wdl w = strong::wdl_from_score(score, 58, model);
        std::printf("score %4d, material 58: win %d draw %d loss %d\n", score, w.win, w.draw, w.loss);
    }
    return 0;
}
