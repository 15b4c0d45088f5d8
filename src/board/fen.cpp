// Setting the position from FEN text and writing it back, for tests and tools.
#include "board/fen.h"

#include <cstring>

#include "board/attack.h"
#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"

const char* load_fen(const char* text) {
    FenPosition fen;
    if (const char* error = read_fen(text, fen)) return error;

    // The check test reads the global board, so the new one goes in first
    // and the old one comes back if the test fails.
    int old_color[64], old_piece[64];
    std::memcpy(old_color, square_color, sizeof old_color);
    std::memcpy(old_piece, square_piece, sizeof old_piece);
    const int old_side = side_to_move;
    std::memcpy(square_color, fen.colour, sizeof fen.colour);
    std::memcpy(square_piece, fen.piece, sizeof fen.piece);
    side_to_move = fen.side;
    side_not_to_move = fen.side ^ 1;
    rebuild_board_state();
    if (side_in_check(side_not_to_move)) {
        std::memcpy(square_color, old_color, sizeof old_color);
        std::memcpy(square_piece, old_piece, sizeof old_piece);
        side_to_move = old_side;
        side_not_to_move = old_side ^ 1;
        rebuild_board_state();
        return "bad FEN: the side not to move is in check";
    }
    castle_rights = fen.castling;
    ep_square = fen.ep_square;
    halfmove_clock = static_cast<int>(fen.halfmove_clock);
    search_ply = 0;
    history_ply = 0;
    ply_first_move[0] = 0;
    compute_hash();
    return nullptr;
}

FenPosition current_fen_position() {
    FenPosition fen;
    std::memcpy(fen.colour, square_color, sizeof fen.colour);
    std::memcpy(fen.piece, square_piece, sizeof fen.piece);
    fen.side = side_to_move;
    fen.castling = castle_rights;
    fen.ep_square = ep_square;
    fen.halfmove_clock = halfmove_clock;
    fen.fullmove = 1;
    return fen;
}

std::string position_to_fen() { return write_fen(current_fen_position()); }
