// What a score means in games: the chances of a win, a draw and a loss for
// the side to move, per mille, from a model fitted to Tavrin's own games.
#pragma once

#include "strong/position.h"

namespace strong {

struct Wdl {
    int win;
    int draw;
    int loss;
};

// The model: a win comes with probability 1 / (1 + exp((a - score) / b)),
// a loss with 1 / (1 + exp((a + score) / b)), where a (the score that is an
// even chance of a win) and b (how quickly the chance grows) are quadratics
// in the material on the board, in pawns (1, 3, 3, 5, 9), from 17 to 78,
// scaled by 1/58.
struct WdlModel {
    double a[3];  // constant, linear, quadratic
    double b[3];
};

// The model fitted by tools/wdl_fit to the self-play games (README says how).
extern const WdlModel WDL_MODEL;

// The material both sides have, in pawns: pawns 1, knights and bishops 3,
// rooks 5, queens 9.
int wdl_material(const Position& pos);

// The chances for `score` (side to move's view, centipawns, not a mate)
// with `material` on the board, per mille; they sum to 1000.
Wdl wdl_from_score(int score, int material, const WdlModel& model = WDL_MODEL);

}  // namespace strong
