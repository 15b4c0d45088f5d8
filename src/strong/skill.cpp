// Playing at a chosen strength: a small node budget per move and a choice
// among the best few moves, weighted by how much worse each one is, so that
// a weaker setting errs as a weaker player does rather than at random.
#include "strong/skill.h"

#include <algorithm>
#include <cmath>

namespace strong {

Skill skill_for_elo(int elo) {
    const double t = (std::clamp(elo, SKILL_MIN_ELO, SKILL_MAX_ELO) - SKILL_MIN_ELO) /
                     static_cast<double>(SKILL_MAX_ELO - SKILL_MIN_ELO);
    Skill skill;
    // Fitted against Stockfish's UCI_Elo (doc/strength.md): four plies and
    // quiescence always, so that nothing hangs to a simple capture; nodes
    // grow geometrically from 1,000 to 1,000,000 (about 85 Elo a doubling);
    // the choice narrows until the top plays its best move only.
    skill.min_depth = 4;
    skill.nodes = static_cast<std::uint64_t>(1000.0 * std::pow(1000.0, t));
    skill.lines = t < 0.9 ? 3 : 1;
    skill.margin = static_cast<int>(100 * (1 - t));
    skill.temperature = std::max(static_cast<int>(30 * (1 - t)), 1);
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
