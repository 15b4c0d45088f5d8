// Where the two boards meet: the game's position copied onto the strong
// board, and moves carried from one encoding to the other.
#include "game/board_bridge.h"

#include <algorithm>

#include "board/fen.h"
#include "board/position.h"

bool copy_game_position(strong::Position& pos) {
    FenPosition fen = current_fen_position();
    // The classic board counts plies from its setup; keep the parity of the side to move.
    int game_ply = std::max(history_ply, 0);
    if ((game_ply & 1) != (side_to_move & 1)) ++game_ply;
    fen.fullmove = game_ply / 2 + 1;
    return strong::set_position(pos, fen);
}

strong::Move to_strong_move(Move move) {
    const int from = move_from(move), to = move_to(move), flags = move_flags(move);
    if (flags & MOVE_CASTLE) return strong::make_move16(from, to, strong::CASTLE);
    if (flags & MOVE_EN_PASSANT) return strong::make_move16(from, to, strong::EN_PASSANT);
    if (flags & MOVE_PROMOTION) return strong::make_move16(from, to, move_promotion(move));
    return strong::make_move16(from, to);
}

Move to_game_move(strong::Move move) {
    if (move == strong::NO_MOVE) return 0;
    const int promotion = strong::promotion_piece(move);
    for (int i = 0; i < ply_first_move[1]; ++i) {
        const Move c = move_list[i].move;
        if (move_from(c) != strong::move_from(move) || move_to(c) != strong::move_to(move)) continue;
        if ((move_flags(c) & MOVE_PROMOTION) ? move_promotion(c) == promotion : promotion == EMPTY) return c;
    }
    return 0;
}

Move to_text_move(strong::Move move) {
    const int promotion = strong::promotion_piece(move);
    return pack_move(strong::move_from(move), strong::move_to(move), promotion == EMPTY ? 0 : promotion,
                     promotion == EMPTY ? 0 : MOVE_PROMOTION);
}
