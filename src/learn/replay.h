// A recorded game played again, position by position, with what a trainer
// filters on.
#pragma once
#include <string>

#include "learn/game_record.h"
#include "strong/movegen.h"
#include "strong/position.h"

namespace learn {

// One position of a game, before its move.
struct ReplayedPly {
    const strong::Position* pos;
    int ply;               // 0 for the game's start
    strong::Move move;     // the move played here
    int score;             // the search's score, side to move's view
    int result;            // the game's result for the side to move: 0 lost, 1 drawn, 2 won
    int white_result;      // the game's result for White, RESULT_*
    bool in_check;         // the side to move is in check
    bool is_capture;       // the move takes a piece (en passant included)
    bool is_promotion;
    bool is_mate_score;
};

// The result for the side to move, from White's.
inline int result_for_side(int white_result, int side) { return side == WHITE ? white_result : 2 - white_result; }

// Fills `out` for the position in `pos` about to play `ply`, the game's
// `index`-th.
void describe_ply(const strong::Position& pos, int index, const PlyRecord& ply, int white_result, ReplayedPly& out);

// Calls visit(const ReplayedPly&) for each position of the game, playing its
// moves on `scratch`. Returns false, with the reason, at a bad start or a
// move that is not legal (the positions before it were visited).
template <class Visit>
bool replay(const GameRecord& game, strong::Position& scratch, Visit&& visit, std::string& error) {
    if (!unpack_board(game.start, scratch, error)) return false;
    ReplayedPly out;
    for (std::size_t i = 0; i < game.plies.size(); ++i) {
        describe_ply(scratch, static_cast<int>(i), game.plies[i], game.result, out);
        visit(static_cast<const ReplayedPly&>(out));
        if (!push_history_move(scratch, game.plies[i].move)) {
            error = "illegal move at ply " + std::to_string(i);
            return false;
        }
    }
    return true;
}

}  // namespace learn
