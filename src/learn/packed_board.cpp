// A position packed into 30 bytes, as the game records store a game's start.
#include "learn/packed_board.h"

#include <bit>

namespace learn {

using namespace strong;

PackedBoard pack_board(const Position& pos) {
    PackedBoard p{};
    const std::uint64_t occupied = pos.occupied;
    for (int i = 0; i < 8; ++i) p.bytes[i] = static_cast<std::uint8_t>(occupied >> (8 * i));
    int n = 0;
    for (int s = 0; s < 64; ++s) {
        if (pos.board[s] == NO_PIECE) continue;
        p.bytes[8 + n / 2] |= static_cast<std::uint8_t>(pos.board[s] << (4 * (n & 1)));
        ++n;
    }
    p.bytes[24] = static_cast<std::uint8_t>(pos.side);
    p.bytes[25] = static_cast<std::uint8_t>(pos.castling);
    p.bytes[26] = static_cast<std::uint8_t>(pos.ep_square < 0 ? 64 : pos.ep_square);
    p.bytes[27] = static_cast<std::uint8_t>(pos.rule50 > 255 ? 255 : pos.rule50);
    const int fullmove = pos.game_ply / 2 + 1;
    p.bytes[28] = static_cast<std::uint8_t>(fullmove);
    p.bytes[29] = static_cast<std::uint8_t>(fullmove >> 8);
    return p;
}

// Goes through FEN, so that a packed board passes every test set_fen makes.
bool unpack_board(const PackedBoard& p, Position& pos, std::string& error) {
    std::uint64_t occupied = 0;
    for (int i = 0; i < 8; ++i) occupied |= static_cast<std::uint64_t>(p.bytes[i]) << (8 * i);
    if (std::popcount(occupied) > 32) {
        error = "packed board with more than 32 pieces";
        return false;
    }
    static const char letters[] = "pnbrqk";
    std::string fen;
    int n = 0, gap = 0;
    for (int s = 0; s < 64; ++s) {
        if (occupied >> s & 1) {
            const int code = p.bytes[8 + n / 2] >> (4 * (n & 1)) & 15;
            ++n;
            if (piece_type(code) > KING) {
                error = "packed board with a bad piece code";
                return false;
            }
            if (gap) fen += static_cast<char>('0' + gap);
            gap = 0;
            const char c = letters[piece_type(code)];
            fen += piece_colour(code) == WHITE ? static_cast<char>(c - 32) : c;
        } else {
            ++gap;
        }
        if ((s & 7) == 7) {
            if (gap) fen += static_cast<char>('0' + gap);
            gap = 0;
            if (s != 63) fen += '/';
        }
    }
    const int side = p.bytes[24], castling = p.bytes[25], ep = p.bytes[26];
    const int fullmove = p.bytes[28] | p.bytes[29] << 8;
    if (side > 1 || castling > 15 || ep > 64 || fullmove < 1) {
        error = "packed board with a bad side, castling, en passant square or move number";
        return false;
    }
    fen += side == WHITE ? " w " : " b ";
    if (castling == 0) fen += '-';
    if (castling & CASTLE_WHITE_KINGSIDE) fen += 'K';
    if (castling & CASTLE_WHITE_QUEENSIDE) fen += 'Q';
    if (castling & CASTLE_BLACK_KINGSIDE) fen += 'k';
    if (castling & CASTLE_BLACK_QUEENSIDE) fen += 'q';
    fen += ' ';
    if (ep == 64) {
        fen += '-';
    } else {
        fen += static_cast<char>('a' + (ep & 7));
        fen += static_cast<char>('8' - (ep >> 3));
    }
    fen += ' ' + std::to_string(p.bytes[27]) + ' ' + std::to_string(fullmove);

    // set_fen drops rights and en passant squares the board would not keep;
    // a packed board made from a position never holds any.
    if (!set_fen(pos, fen.c_str())) {
        error = "packed board that is no legal position: " + fen;
        return false;
    }
    if (pos.castling != castling || (pos.ep_square < 0 ? 64 : pos.ep_square) != ep) {
        error = "packed board with castling rights or an en passant square it cannot have: " + fen;
        return false;
    }
    return true;
}

}  // namespace learn
