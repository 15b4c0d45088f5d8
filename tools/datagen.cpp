// datagen: games of Tavrin's strong search against itself at a fixed number
// of nodes per move, for training the evaluation.
//
//   datagen [--dir DIR] [--chunks N | --hours H] [--games-per-chunk G]
//           [--threads T] [--nodes N] [--random-plies R] [--openings PGN]
//           [--seed S]
//   datagen --text FILE [--games N] [the same game options]
//
// Each game starts from an opening of the PGN file chosen at random, then R
// random legal plies; a game whose first search scores beyond
// MAX_OPENING_SCORE either way is dropped as too unbalanced. The searches
// count nodes, not time, and every random choice is drawn from a generator
// seeded by the game's place, so the same options give the same games
// whatever the number of threads. Games won beyond doubt or dead drawn are
// adjudicated early.
//
// Chunk mode (the default) writes game records (learn/game_record.h), every
// position kept, G games to a chunk file DIR/chunk-NNNNNN.tvg. Chunk k's
// games are seeded by (S, k), and one thread plays all of a chunk, in order.
// A chunk is written under a temporary name and renamed when complete; a
// run starts at the first chunk not in the folder, so a killed run loses
// only the chunks under way, and a run never repeats one already there. The
// run ends when chunks 0 to N-1 are all there, or after H hours (the chunks
// under way are finished first).
//
// Text mode (--text, or --out, its old name) writes N games' positions
// where the side to move is not in check and the move is quiet, one line
// each, as tools/tune reads them:
//   FEN | score | result
// with the search's score in centipawns and the result (1.0, 0.5, 0.0),
// both from White's point of view.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "learn/game_record.h"
#include "learn/replay.h"
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
constexpr int MAX_OPENING_SCORE = 400;

struct Options {
    std::string dir = learn::default_games_dir();
    std::string text;
    std::string openings = "../shared/openings/8moves_v3.pgn";
    long chunks = 0;  // 0: no bound but the hours
    double hours = 0;
    long games_per_chunk = 2000;
    long games = 10000;  // text mode
    int threads = 2;
    std::uint64_t nodes = 5000;
    int random_plies = 6;
    std::uint64_t seed = 1;
};

// splitmix64's finaliser: seeds of neighbouring indices far apart.
std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
    std::uint64_t z = a * 0x9E3779B97F4A7C15ULL + b + 0x632BE59BD9B4E019ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

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

bool game_over(const Position& pos, int* white_result) {
    MoveList legal;
    generate_all(pos, legal);
    if (legal.count == 0) {
        *white_result = !in_check(pos) ? learn::RESULT_DRAW
                        : pos.side == WHITE ? learn::RESULT_BLACK_WON
                                            : learn::RESULT_WHITE_WON;
        return true;
    }
    if (is_fifty_move_draw(pos) || has_insufficient_material(pos) || is_repetition(pos, 0)) {
        *white_result = learn::RESULT_DRAW;
        return true;
    }
    return false;
}

struct Stats {
    std::mutex mutex;
    long games = 0;
    long positions = 0;
    long chunks = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    void add_game(long plies) {
        std::lock_guard<std::mutex> lock(mutex);
        ++games;
        positions += plies;
        if (games % 100 == 0) print("");
    }
    void print(const char* end) {
        const double hours =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 3600.0;
        std::fprintf(stderr, "%ld games, %ld positions, %.0f positions/hour, %ld chunks%s\n", games, positions,
                     hours > 0 ? positions / hours : 0.0, chunks, end);
    }
};

// One worker's engine and board.
struct Player {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::unique_ptr<Position> pos = std::make_unique<Position>();
    Player() { set_hash(*engine, 16); }
};

// Plays the game that `seed` chooses. False when it is dropped: an opening
// that does not parse, a position over before the game starts, or one too
// unbalanced.
bool play_game(Player& player, const Options& options, const std::vector<std::vector<std::string>>& openings,
               std::uint64_t seed, learn::GameRecord& game) {
    std::mt19937_64 random(seed);
    Position& pos = *player.pos;
    // 1. The opening, and a few random plies.
    set_fen(pos, START_FEN);
    for (const std::string& san : openings[random() % openings.size()]) {
        const strong::Move m = parse_san(pos, san.c_str());
        if (m == NO_MOVE || !push_history_move(pos, m)) return false;
    }
    int result = learn::RESULT_DRAW;
    for (int i = 0; i < options.random_plies; ++i) {
        MoveList legal;
        generate_all(pos, legal);
        if (legal.count == 0) return false;
        push_history_move(pos, legal.moves[random() % legal.count]);
    }
    if (game_over(pos, &result)) return false;
    game.start = learn::pack_board(pos);
    game.plies.clear();
    game.flags = 0;
    clear_hash(*player.engine);

    // 2. The game, every move and score noted.
    SearchLimits limits;
    limits.nodes = options.nodes;
    int winning = 0, drawn = 0;
    bool decided = false;
    for (int ply = 0; !decided; ++ply) {
        if (ply == MAX_PLIES) {
            game.flags = learn::GAME_ADJUDICATED;
            result = learn::RESULT_DRAW;
            break;
        }
        const Result r = think(*player.engine, pos, limits, {});
        if (r.best == NO_MOVE) break;
        if (ply == 0 && std::abs(r.score) > MAX_OPENING_SCORE) return false;
        game.plies.push_back({r.best, learn::clamp_score(r.score)});
        const int white_score = pos.side == WHITE ? r.score : -r.score;
        winning = std::abs(r.score) >= WIN_SCORE ? winning + 1 : 0;
        drawn = ply >= DRAW_FROM_PLY && std::abs(r.score) <= DRAW_SCORE ? drawn + 1 : 0;
        if (winning >= 2 * WIN_MOVES) {
            result = white_score > 0 ? learn::RESULT_WHITE_WON : learn::RESULT_BLACK_WON;
            game.flags = learn::GAME_ADJUDICATED;
            decided = true;
        } else if (drawn >= 2 * DRAW_MOVES) {
            result = learn::RESULT_DRAW;
            game.flags = learn::GAME_ADJUDICATED;
            decided = true;
        }
        push_history_move(pos, r.best);
        if (!decided) decided = game_over(pos, &result);
    }
    game.result = static_cast<std::uint8_t>(result);
    return true;
}

struct Shared {
    const Options& options;
    const std::vector<std::vector<std::string>>& openings;
    Stats stats;
    std::atomic<long> next{0};
    std::chrono::steady_clock::time_point deadline;
    std::atomic<bool> failed{false};
    // Text mode.
    std::mutex out_mutex;
    std::FILE* out = nullptr;
};

// Chunk mode: takes the next chunk not in the folder, plays its games in
// order and writes it, until the bound.
void write_chunks(Shared& shared) {
    const Options& o = shared.options;
    Player player;
    learn::GameRecord game;
    std::vector<learn::GameRecord> games;
    for (;;) {
        long index = shared.next++;
        while (learn::chunk_exists(o.dir, index)) index = shared.next++;
        if (o.chunks > 0 && index >= o.chunks) return;
        if (o.hours > 0 && std::chrono::steady_clock::now() >= shared.deadline) return;
        if (shared.failed) return;
        const std::uint64_t chunk_seed = mix(o.seed, static_cast<std::uint64_t>(index));
        games.clear();
        for (std::uint64_t attempt = 0; static_cast<long>(games.size()) < o.games_per_chunk; ++attempt) {
            if (!play_game(player, o, shared.openings, mix(chunk_seed, attempt), game)) continue;
            games.push_back(game);
            shared.stats.add_game(static_cast<long>(game.plies.size()));
        }
        std::string error;
        if (!learn::write_chunk_file(o.dir, index, chunk_seed, games, error)) {
            std::fprintf(stderr, "datagen: %s\n", error.c_str());
            shared.failed = true;
            return;
        }
        std::lock_guard<std::mutex> lock(shared.stats.mutex);
        ++shared.stats.chunks;
        std::fprintf(stderr, "datagen: wrote %s\n", learn::chunk_path(o.dir, index).c_str());
    }
}

// Text mode: game i seeded by (S, i), its quiet positions as lines.
void write_text(Shared& shared) {
    const Options& o = shared.options;
    Player player;
    auto scratch = std::make_unique<Position>();
    learn::GameRecord game;
    for (long i = shared.next++; i < o.games; i = shared.next++) {
        if (!play_game(player, o, shared.openings, mix(o.seed, static_cast<std::uint64_t>(i)), game)) continue;
        std::string lines, error;
        learn::replay(game, *scratch, [&](const learn::ReplayedPly& p) {
            if (p.in_check || p.is_capture || p.is_promotion || p.is_mate_score) return;
            const int white_score = p.pos->side == WHITE ? p.score : -p.score;
            lines += to_fen(*p.pos) + " | " + std::to_string(white_score) + " | " +
                     (p.white_result == learn::RESULT_WHITE_WON ? "1.0"
                      : p.white_result == learn::RESULT_DRAW    ? "0.5"
                                                                : "0.0") +
                     "\n";
        }, error);
        {
            std::lock_guard<std::mutex> lock(shared.out_mutex);
            std::fputs(lines.c_str(), shared.out);
        }
        shared.stats.add_game(static_cast<long>(game.plies.size()));
    }
}

bool parse_options(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--dir") o.dir = value;
        else if (arg == "--text" || arg == "--out") o.text = value;
        else if (arg == "--openings") o.openings = value;
        else if (arg == "--chunks") o.chunks = std::atol(value);
        else if (arg == "--hours") o.hours = std::atof(value);
        else if (arg == "--games-per-chunk") o.games_per_chunk = std::atol(value);
        else if (arg == "--games") o.games = std::atol(value);
        else if (arg == "--threads") o.threads = std::atoi(value);
        else if (arg == "--nodes") o.nodes = std::strtoull(value, nullptr, 10);
        else if (arg == "--random-plies") o.random_plies = std::atoi(value);
        else if (arg == "--seed") o.seed = std::strtoull(value, nullptr, 10);
        else return false;
    }
    const bool bounded = !o.text.empty() || o.chunks > 0 || o.hours > 0;
    return bounded && o.threads >= 1 && o.games > 0 && o.games_per_chunk > 0 && o.nodes > 0 && o.random_plies >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse_options(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: datagen [--dir DIR] (--chunks N | --hours H) [--games-per-chunk G] [--threads T]\n"
                     "               [--nodes N] [--random-plies R] [--openings PGN] [--seed S]\n"
                     "       datagen --text FILE [--games N] [--threads T] [--nodes N] [--random-plies R]\n"
                     "               [--openings PGN] [--seed S]\n");
        return 2;
    }
    const auto openings = read_openings(options.openings);
    if (openings.empty()) {
        std::fprintf(stderr, "datagen: no openings in %s\n", options.openings.c_str());
        return 1;
    }
    Shared shared{options, openings, {}, {}, {}, {}, {}, nullptr};
    shared.deadline = shared.stats.start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(options.hours * 3600.0));
    void (*work)(Shared&) = write_chunks;
    if (!options.text.empty()) {
        shared.out = std::fopen(options.text.c_str(), "w");
        if (shared.out == nullptr) {
            std::fprintf(stderr, "datagen: cannot write %s\n", options.text.c_str());
            return 1;
        }
        work = write_text;
    } else {
        std::error_code ec;
        std::filesystem::create_directories(options.dir, ec);
        if (ec) {
            std::fprintf(stderr, "datagen: cannot make %s: %s\n", options.dir.c_str(), ec.message().c_str());
            return 1;
        }
        std::fprintf(stderr, "datagen: chunks of %ld games into %s\n", options.games_per_chunk, options.dir.c_str());
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < options.threads; ++i) threads.emplace_back(work, std::ref(shared));
    for (std::thread& t : threads) t.join();
    if (shared.out != nullptr) std::fclose(shared.out);
    shared.stats.print(shared.failed ? " (stopped by an error)" : "");
    return shared.failed ? 1 : 0;
}
