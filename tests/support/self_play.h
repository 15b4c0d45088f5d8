// Two engine processes playing each other, moves relayed through their pipes.
#pragma once
#include <cctype>
#include <string>
#include <vector>

#include "engine_process.h"

struct SelfPlayGame {
    std::vector<std::string> moves;  // as the engines printed them
    std::string result;              // the first result line, empty if the ply cap came first
    std::string failure;             // empty when both engines behaved
};

namespace self_play_detail {

inline bool is_result_line(const std::string& line) {
    return line.rfind("1-0 {", 0) == 0 || line.rfind("0-1 {", 0) == 0 || line.rfind("1/2-1/2 {", 0) == 0;
}

}  // namespace self_play_detail

// Each engine gets "new" and its setup lines (limits); White's is then told
// "go". Moves are relayed until a result line, a failure or `max_plies`.
// Both engines are asked to quit at the end and must exit with code 0.
inline SelfPlayGame play_self_game(const std::string& workdir, const std::vector<std::string>& white_setup,
                                   const std::vector<std::string>& black_setup, int max_plies,
                                   int move_timeout_ms) {
    using namespace self_play_detail;
    SelfPlayGame game;
    EngineProcess white(workdir);
    EngineProcess black(workdir);
    EngineProcess* engines[2] = {&white, &black};
    const char* names[2] = {"white", "black"};
    const std::vector<std::string>* setups[2] = {&white_setup, &black_setup};
    for (int side = 0; side < 2; ++side) {
        if (engines[side]->read_start_up(move_timeout_ms).empty()) {
            game.failure = std::string(names[side]) + ": no start-up text";
            return game;
        }
        engines[side]->send("new");
        for (const std::string& line : *setups[side]) engines[side]->send(line);
    }
    white.send("go");

    int mover = 0;
    while (game.failure.empty() && game.result.empty() && static_cast<int>(game.moves.size()) < max_plies) {
        std::string line;
        if (!engines[mover]->read_line(line, move_timeout_ms)) {
            game.failure = std::string(names[mover]) + ": no move after " + std::to_string(game.moves.size()) + " plies";
            break;
        }
        if (is_result_line(line)) {
            game.result = line;
        } else if (line.rfind("move ", 0) == 0) {
            game.moves.push_back(line.substr(5));
            engines[mover ^ 1]->send(line.substr(5));
            mover ^= 1;
        } else if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) {
            // Anything but a thinking line: a refusal or garbage.
            game.failure = std::string(names[mover]) + " printed '" + line + "' after " +
                           std::to_string(game.moves.size()) + " plies";
        }
    }
    for (int side = 0; side < 2; ++side) {
        engines[side]->send("quit");
        const int code = engines[side]->wait(10000);
        if (code != 0 && game.failure.empty())
            game.failure = std::string(names[side]) + " exited with code " + std::to_string(code);
    }
    return game;
}
