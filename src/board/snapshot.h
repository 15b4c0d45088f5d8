// A copy of the whole position state, to check that a take-back restores it.
#pragma once
#include <cstdint>

struct PositionSnapshot {
    int color[64];
    int piece[64];
    int side_to_move;
    int side_not_to_move;
    int castle_rights;
    int ep_square;
    int halfmove_clock;
    int search_ply;
    int history_ply;
    std::uint32_t hash;

    bool operator==(const PositionSnapshot&) const = default;
};

PositionSnapshot take_snapshot();
