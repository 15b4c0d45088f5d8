// A recorded game played again, position by position, with what a trainer
// filters on.
#include "learn/replay.h"

#include <cstdlib>

#include "strong/tt.h"

namespace learn {

using namespace strong;

void describe_ply(const Position& pos, int index, const PlyRecord& ply, int white_result, ReplayedPly& out) {
    out.pos = &pos;
    out.ply = index;
    out.move = ply.move;
    out.score = ply.score;
    out.white_result = white_result;
    out.result = result_for_side(white_result, pos.side);
    out.in_check = in_check(pos);
    out.is_capture = pos.board[move_to(ply.move)] != NO_PIECE || move_kind(ply.move) == EN_PASSANT;
    out.is_promotion = is_promotion(ply.move);
    out.is_mate_score = std::abs(ply.score) >= SCORE_MATE_IN_MAX;
}

}  // namespace learn
