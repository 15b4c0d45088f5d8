// Playing at a chosen strength: a small node budget per move and a choice
// among the best few moves, weighted by how much worse each one is, so that
// a weaker setting errs as a weaker player does rather than at random.
#pragma once
#include <cstdint>

#include "common/limits.h"
#include "strong/search.h"

namespace strong {

struct Skill {
    std::uint64_t nodes;  // per move
    int min_depth;        // iterations finished whatever the node budget says
    int lines;            // candidates searched as separate lines
    int margin;           // no candidate more than this much worse than the best (centipawns)
    int temperature;      // centipawns of score that halve a move's chance
};

// The settings for `elo`, clamped to the range; weaker means fewer nodes,
// more candidates, a wider margin and a hotter choice.
Skill skill_for_elo(int elo);

// One of the result's lines, each within the margin, chosen with weight
// 2^(-(best - score) / temperature); `random` is any 64-bit value. A forced
// mate or being mated is never given away: then the best line is played.
Move pick_with_skill(const Result& result, const Skill& skill, std::uint64_t random);

}  // namespace strong
