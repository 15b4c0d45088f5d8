// What a score means in games: the chances of a win, a draw and a loss.
#include "strong/wdl.h"

#include <algorithm>
#include <cmath>

namespace strong {

// Fitted by tools/wdl_fit (maximum likelihood over the three results) to
// the games of ~/.cache/tavrin/games: see README, "What a score means".
const WdlModel WDL_MODEL = {{812.523, -1246.268, 550.032}, {273.165, -129.698, 0.134}};

int wdl_material(const Position& pos) {
    int material = 0;
    for (int side : {WHITE, BLACK}) {
        const Bitboard* p = pos.pieces[side];
        material += __builtin_popcountll(p[PAWN]) + 3 * __builtin_popcountll(p[KNIGHT] | p[BISHOP]) +
                    5 * __builtin_popcountll(p[ROOK]) + 9 * __builtin_popcountll(p[QUEEN]);
    }
    return material;
}

Wdl wdl_from_score(int score, int material, const WdlModel& model) {
    const double x = std::clamp(material, 17, 78) / 58.0;
    const double a = model.a[0] + model.a[1] * x + model.a[2] * x * x;
    const double b = std::max(model.b[0] + model.b[1] * x + model.b[2] * x * x, 1.0);
    const double s = std::clamp(score, -4000, 4000);
    const int win = static_cast<int>(std::lround(1000.0 / (1.0 + std::exp((a - s) / b))));
    const int loss = static_cast<int>(std::lround(1000.0 / (1.0 + std::exp((a + s) / b))));
    // Rounded apart they may not sum to 1000: the draw takes the rest.
    const int w = std::clamp(win, 0, 1000), l = std::clamp(loss, 0, 1000 - w);
    return {w, 1000 - w - l, l};
}

}  // namespace strong
