// Playing at a chosen strength: a small node budget per move and a choice
// among the best few moves, weighted by how much worse each one is, so that
// a weaker setting errs as a weaker player does rather than at random.
#include "strong/skill.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace strong {

namespace {

// Settings measured against Stockfish's UCI_Elo (doc/strength.md). The
// iterations a row always finishes, with quiescence, keep a piece from
// hanging to a simple capture. Between two rows the nodes grow
// geometrically and the margin and temperature shrink linearly; at the top
// only the best move is played.
struct Anchor {
    int elo;
    int min_depth;  // up to the next row
    double nodes;
    double margin;
    double temperature;
};
constexpr Anchor ANCHORS[] = {
    {1350, 3, 300, 160, 50},
    {1500, 4, 300, 120, 40},
    {1600, 4, 7626, 70, 21},
    {1800, 4, 38746, 47, 14},
    {2000, 4, 196841, 23, 7},
    {2200, 4, 1000000, 0, 0},
};
static_assert(ANCHORS[0].elo == ELO_MIN && std::end(ANCHORS)[-1].elo == ELO_MAX);

}  // namespace

Skill skill_for_elo(int elo) {
    elo = std::clamp(elo, ELO_MIN, ELO_MAX);
    int row = 0;
    while (ANCHORS[row + 1].elo < elo) ++row;
    const Anchor& low = ANCHORS[row];
    const Anchor& high = ANCHORS[row + 1];
    const double t = static_cast<double>(elo - low.elo) / (high.elo - low.elo);
    Skill skill;
    skill.min_depth = t < 1 ? low.min_depth : high.min_depth;
    skill.nodes = static_cast<std::uint64_t>(low.nodes * std::pow(high.nodes / low.nodes, t));
    skill.margin = static_cast<int>(low.margin + (high.margin - low.margin) * t);
    skill.temperature = std::max(static_cast<int>(low.temperature + (high.temperature - low.temperature) * t), 1);
    skill.lines = skill.margin >= 10 ? 3 : 1;
    return skill;
}

Move pick_with_skill(const Result& result, const Skill& skill, std::uint64_t random) {
    if (result.line_count <= 1) return result.best;
    const int best = result.line_scores[0];
    if (std::abs(best) >= SCORE_MATE_IN_MAX) return result.best;
    double weights[MAX_MULTIPV];
    double total = 0;
    int count = 0;
    for (int i = 0; i < result.line_count && i < skill.lines; ++i) {
        const int loss = best - result.line_scores[i];
        if (loss > skill.margin || result.line_scores[i] <= -SCORE_MATE_IN_MAX) break;
        weights[count] = std::exp2(-static_cast<double>(loss) / std::max(skill.temperature, 1));
        total += weights[count++];
    }
    if (count <= 1) return result.best;
    double r = static_cast<double>(random >> 11) / static_cast<double>(1ull << 53) * total;
    for (int i = 0; i < count; ++i) {
        r -= weights[i];
        if (r < 0) return result.line_moves[i];
    }
    return result.line_moves[count - 1];
}

}  // namespace strong
