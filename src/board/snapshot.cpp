// A copy of the whole position state, to check that a take-back restores it.
#include "board/snapshot.h"

#include <cstring>

#include "board/position.h"

PositionSnapshot take_snapshot() {
    PositionSnapshot s;
    std::memcpy(s.color, square_color, sizeof s.color);
    std::memcpy(s.piece, square_piece, sizeof s.piece);
    s.side_to_move = side_to_move;
    s.side_not_to_move = side_not_to_move;
    s.castle_rights = castle_rights;
    s.ep_square = ep_square;
    s.halfmove_clock = halfmove_clock;
    s.search_ply = search_ply;
    s.history_ply = history_ply;
    s.hash = position_hash;
    return s;
}
