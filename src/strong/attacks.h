// Sliding attacks by magic bitboards, and the between and line tables, for the strong board.
#pragma once
#include <cassert>
#include <cstdint>

#include "common/bitboard.h"
#include "common/chess.h"

namespace strong {

// Squares 0..63 in the classic numbering: a8 is 0, h1 is 63.
constexpr Bitboard FILE_A = 0x0101010101010101ull;
constexpr Bitboard FILE_H = 0x8080808080808080ull;
constexpr Bitboard row_bits(int row) { return Bitboard{0xFF} << (8 * row); }
constexpr Bitboard DARK_SQUARES = 0x55AA55AA55AA55AAull;  // a1 (56) is dark: row + file odd

// The magic lookup of one square: attacks[((occupied & mask) * magic) >> shift].
// The mask leaves out the edge square of each ray, whose occupant never
// changes the attack set.
struct Magic {
    Bitboard mask;
    Bitboard magic;
    const Bitboard* attacks;  // null until init_strong has run
    unsigned shift;
};

namespace attack_detail {

struct LineTables {
    Bitboard between[64][64];  // squares strictly between s and t on a shared line, else 0
    Bitboard line[64][64];     // the whole line through s and t, both included, else 0
};

// From the classic ray tables: the direction opposite d is 7 - d.
constexpr LineTables build_line_tables() {
    LineTables t{};
    for (int s = 0; s < 64; ++s)
        for (int u = 0; u < 64; ++u) {
            const int d = line_direction[s][u];
            if (d < 0) continue;
            t.between[s][u] = ray[s][d] & ~ray[u][d] & ~square_bit(u);
            t.line[s][u] = ray[s][d] | ray[s][7 - d] | square_bit(s);
        }
    return t;
}

inline constexpr LineTables line_tables = build_line_tables();

}  // namespace attack_detail

inline constexpr const auto& between = attack_detail::line_tables.between;
inline constexpr const auto& line = attack_detail::line_tables.line;

extern Magic bishop_magics[64];
extern Magic rook_magics[64];

// Fills the attack tables the first time it is called; later calls return at
// once. Safe to call from several threads. set_fen and set_from_classic call
// it, so the tables are ready wherever a Position has been set up.
void init_strong();

inline Bitboard bishop_attacks(int s, Bitboard occupied) {
    const Magic& m = bishop_magics[s];
    assert(m.attacks != nullptr);
    return m.attacks[((occupied & m.mask) * m.magic) >> m.shift];
}

inline Bitboard rook_attacks(int s, Bitboard occupied) {
    const Magic& m = rook_magics[s];
    assert(m.attacks != nullptr);
    return m.attacks[((occupied & m.mask) * m.magic) >> m.shift];
}

inline Bitboard queen_attacks(int s, Bitboard occupied) { return bishop_attacks(s, occupied) | rook_attacks(s, occupied); }

// The squares a knight, bishop, rook, queen or king on s attacks (not pawns).
inline Bitboard piece_attacks(int piece, int s, Bitboard occupied) {
    switch (piece) {
        case KNIGHT: return knight_attacks[s];
        case BISHOP: return bishop_attacks(s, occupied);
        case ROOK: return rook_attacks(s, occupied);
        case QUEEN: return queen_attacks(s, occupied);
        default: return king_attacks[s];
    }
}

// The plain version the magics are checked against: each ray traced to its
// first occupied square. `diagonal` picks the bishop's rays, else the rook's.
Bitboard slider_attacks_by_rays(int s, Bitboard occupied, bool diagonal);

inline bool more_than_one(Bitboard b) { return (b & (b - 1)) != 0; }

}  // namespace strong
