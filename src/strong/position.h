// The strong board: one position in a struct, made and unmade in place, so
// that every search and thread can own its own.
#pragma once
#include <cstdint>
#include <string>

#include "common/bitboard.h"
#include "common/chess.h"
#include "common/fen.h"
#include "strong/attacks.h"
#include "strong/move.h"
#include "strong/zobrist.h"

namespace strong {

// Capacities of the undo stack. A game keeps at most MAX_GAME_PLY plies of
// history (push_history_move drops the oldest beyond that). A search on top
// of it makes at most MAX_SEARCH_PLY moves, null moves included, plus up to
// SEARCH_PLY_MARGIN more for whatever it plays past its last ply (a move
// tried at a leaf), so HISTORY_CAPACITY undo states never overflow: 1024
// game plies and a search to depth 256 at the most.
constexpr int MAX_GAME_PLY = 1024;
constexpr int MAX_SEARCH_PLY = 246;
constexpr int SEARCH_PLY_MARGIN = 10;
constexpr int HISTORY_CAPACITY = MAX_GAME_PLY + MAX_SEARCH_PLY + SEARCH_PLY_MARGIN;
static_assert(MAX_SEARCH_PLY + SEARCH_PLY_MARGIN == 256);

// A piece code holds colour and kind: colour * 8 + piece. An empty square
// holds NO_PIECE, whose kind (code & 7) is EMPTY.
constexpr int NO_PIECE = EMPTY;
constexpr int make_piece(int colour, int piece) { return colour * 8 + piece; }
constexpr int piece_type(int code) { return code & 7; }
constexpr int piece_colour(int code) { return code >> 3; }
static_assert(piece_type(NO_PIECE) == EMPTY && piece_type(make_piece(BLACK, KING)) == KING);

// Everything unmake needs that the move itself does not say, and the key of
// the position the move was made in, for repetitions.
struct UndoState {
    Key key;
    Key pawn_key;
    Bitboard checkers;
    std::int32_t rule50;
    std::int32_t plies_from_null;
    Move move;              // NO_MOVE for a null move
    std::int8_t captured;   // piece code taken (the pawn, en passant), NO_PIECE if none
    std::int8_t castling;
    std::int8_t ep_square;
};

struct Position {
    Bitboard pieces[2][6];  // by colour and piece
    Bitboard colors[2];
    Bitboard occupied;
    Bitboard checkers;      // pieces of the side not to move that attack the king of the side to move
    Key key;                // pieces, side to move, castling rights, en passant file
    Key pawn_key;           // the pawns alone
    std::int8_t board[64];  // piece codes, NO_PIECE when empty
    int side;               // WHITE or BLACK to move
    int castling;           // CASTLE_* bits; each right's king and rook stand at home
    // The square passed over by a double push, kept only when a pawn of the
    // side to move can take on it legally, else -1: two positions that offer
    // the same moves then have the same key, as the rules count repetitions.
    int ep_square;
    int rule50;             // plies since the last capture or pawn move
    int plies_from_null;    // plies since the last null move, or since setup
    int game_ply;           // fullmove number = game_ply / 2 + 1
    int history_count;      // undo states in use: moves made since setup, less any dropped
    UndoState history[HISTORY_CAPACITY];
};

// Sets the position from FEN (four or six fields). On what read_fen refuses,
// or the side not to move in check, returns false and leaves `pos` as it
// was. Castling rights whose king or rook is not at home are dropped, and so
// is an en passant square no pawn can take on. The history starts empty.
bool set_fen(Position& pos, const char* fen);
std::string to_fen(const Position& pos);

// Sets the position from its description, with an empty history. Returns
// false, leaving `pos` as it was, when it is no position the strong board
// can hold (the same conditions as set_fen, checked again here for a
// description from anywhere).
bool set_position(Position& pos, const FenPosition& fen);

// Plays a legal move, and takes back the last one.
void make(Position& pos, Move m);
void unmake(Position& pos);
// Hands the move over; not when in check.
void make_null(Position& pos);
void unmake_null(Position& pos);


inline int king_square(const Position& pos, int colour) { return lowest_square(pos.pieces[colour][KING]); }

// Pieces of both colours that attack `s` with `occupied` as the board's occupancy.
inline Bitboard attackers_to(const Position& pos, int s, Bitboard occupied) {
    const Bitboard(&p)[2][6] = pos.pieces;
    return (pawn_attacks[BLACK][s] & p[WHITE][PAWN]) | (pawn_attacks[WHITE][s] & p[BLACK][PAWN]) |
           (knight_attacks[s] & (p[WHITE][KNIGHT] | p[BLACK][KNIGHT])) |
           (king_attacks[s] & (p[WHITE][KING] | p[BLACK][KING])) |
           (bishop_attacks(s, occupied) & (p[WHITE][BISHOP] | p[BLACK][BISHOP] | p[WHITE][QUEEN] | p[BLACK][QUEEN])) |
           (rook_attacks(s, occupied) & (p[WHITE][ROOK] | p[BLACK][ROOK] | p[WHITE][QUEEN] | p[BLACK][QUEEN]));
}

// Whether a piece of `by` attacks `s` with `occupied` as the occupancy.
inline bool is_attacked_by(const Position& pos, int s, int by, Bitboard occupied) {
    const Bitboard* p = pos.pieces[by];
    return (pawn_attacks[by ^ 1][s] & p[PAWN]) || (knight_attacks[s] & p[KNIGHT]) || (king_attacks[s] & p[KING]) ||
           (bishop_attacks(s, occupied) & (p[BISHOP] | p[QUEEN])) || (rook_attacks(s, occupied) & (p[ROOK] | p[QUEEN]));
}

inline Bitboard checkers(const Position& pos) { return pos.checkers; }
inline bool in_check(const Position& pos) { return pos.checkers != 0; }

// Pieces of `colour` that alone stand between their own king and an enemy
// bishop, rook or queen on the line.
Bitboard pinned_pieces(const Position& pos, int colour);

// Whether the position counts as drawn by repetition inside a search whose
// root lies `plies_from_root` plies back: an earlier occurrence after the
// root (within the search) counts at once; occurrences at or before the root
// count only when there are two (the third time in all). Only positions since
// the last capture, pawn move or null move are compared.
bool is_repetition(const Position& pos, int plies_from_root);

// How often the position has stood before since the last capture, pawn
// move or null move, as far as the history goes back.
int earlier_occurrences(const Position& pos);

// The fifty-move counter has run out. A side in check may be mated instead,
// which the search decides: it must look for legal moves first.
inline bool is_fifty_move_draw(const Position& pos) { return pos.rule50 >= 100; }

// No sequence of legal moves can mate: no pawns, rooks or queens, and either
// at most one knight or bishop in all, or bishops only, all on squares of one
// colour (K v K, K+minor v K, K+B v K+B with the bishops on one colour).
bool has_insufficient_material(const Position& pos);

// Recomputes from scratch what must agree: bitboards from the board array,
// one king each, no pawn on a back rank, castling rights with their pieces
// at home, the en passant rule, both keys, the checkers (by tracing rays),
// the side not to move not in check, the counters in range.
bool is_ok(const Position& pos);

// The keys from scratch, as make keeps them.
Key compute_key(const Position& pos);
Key compute_pawn_key(const Position& pos);

}  // namespace strong
