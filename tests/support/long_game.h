// Long legal games from a seeded random walk, played in-process with the
// engine's own rules: no position stands twice since the last capture or
// pawn move, the fifty-move count stays below 100, and no side is ever left
// without a legal move. So a referee must announce nothing on the way.
#pragma once
#include <random>
#include <string>
#include <vector>

#include "board/make_move.h"
#include "board/move_text.h"
#include "board/zobrist.h"
#include "game/game.h"

// The game's moves as text, or fewer when the walk runs out of moves that
// keep to the rules above. Leaves the global game at the start position.
inline std::vector<std::string> long_legal_game(int plies, unsigned seed) {
    std::mt19937 random(seed);
    init_zobrist();
    game_new();
    std::vector<std::string> played;
    while (static_cast<int>(played.size()) < plies) {
        std::vector<Move> quiet, irreversible;
        for (int i = 0; i < ply_first_move[1]; ++i) {
            const Move move = move_list[i].move;
            if (!game_play_move(move)) continue;
            const bool fine = repetition_count() == 0 && game_end(RepetitionRule::THIRD_BY_RULES) == GameEnd::NONE;
            game_take_back(1);
            if (!fine) continue;
            (move_flags(move) & (MOVE_PAWN | MOVE_CAPTURE) ? irreversible : quiet).push_back(move);
        }
        // Pieces wander while they may; a pawn move or a capture resets the count in time.
        const bool reset_now = (halfmove_clock >= 90 && !irreversible.empty()) || quiet.empty();
        const std::vector<Move>& pool = reset_now ? irreversible : quiet;
        if (pool.empty()) break;
        const Move move = pool[random() % pool.size()];
        played.push_back(move_to_text(move));
        game_play_move(move);
    }
    game_new();
    return played;
}
