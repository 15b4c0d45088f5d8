// Bitboards (bit s stands for square s, bit 0 is a8), shared by both boards,
// and the constant attack, ray and line tables built from them at compile time.
#pragma once
#include <cstdint>

using Bitboard = std::uint64_t;

// The eight line directions in the order of the queen's row of
// piece_directions: north-west, north, north-east, west, east, south-west,
// south, south-east. The first four lead towards lower squares.
constexpr int DIRECTION_COUNT = 8;
constexpr int direction_row_step[DIRECTION_COUNT] = {-1, -1, -1, 0, 0, 1, 1, 1};
constexpr int direction_file_step[DIRECTION_COUNT] = {-1, 0, 1, -1, 1, -1, 0, 1};
constexpr bool direction_is_diagonal(int d) { return direction_row_step[d] != 0 && direction_file_step[d] != 0; }
constexpr bool direction_descends(int d) { return d < 4; }

// The lines of the bishop and the rook, in the order of their rows of piece_directions.
constexpr int bishop_directions[4] = {0, 2, 5, 7};
constexpr int rook_directions[4] = {1, 3, 4, 6};

constexpr Bitboard square_bit(int s) { return Bitboard{1} << s; }

// Both need b != 0.
inline int lowest_square(Bitboard b) { return __builtin_ctzll(b); }
inline int highest_square(Bitboard b) { return 63 - __builtin_clzll(b); }

// Returns the lowest square of b and clears it; b != 0.
inline int pop_lowest_square(Bitboard& b) {
    const int s = lowest_square(b);
    b &= b - 1;
    return s;
}

namespace bitboard_detail {

constexpr bool on_board(int row, int file) { return row >= 0 && row < 8 && file >= 0 && file < 8; }

constexpr Bitboard steps_from(int s, const int (&rows)[8], const int (&files)[8]) {
    Bitboard b = 0;
    for (int i = 0; i < 8; ++i)
        if (on_board(s / 8 + rows[i], s % 8 + files[i])) b |= square_bit((s / 8 + rows[i]) * 8 + s % 8 + files[i]);
    return b;
}

struct Tables {
    Bitboard knight[64];
    Bitboard king[64];
    Bitboard pawn[2][64];              // squares a pawn of that colour on s attacks
    Bitboard ray[64][DIRECTION_COUNT];  // squares beyond s in a direction, up to the edge
    Bitboard lines[2][64];             // union of the diagonal [0] or the straight [1] rays
    std::int8_t line_direction[64][64];  // direction from s to t when they share a line, else -1
};

constexpr Tables build_tables() {
    Tables t{};
    constexpr int knight_rows[8] = {-2, -2, -1, -1, 1, 1, 2, 2};
    constexpr int knight_files[8] = {-1, 1, -2, 2, -2, 2, -1, 1};
    for (int s = 0; s < 64; ++s) {
        t.knight[s] = steps_from(s, knight_rows, knight_files);
        t.king[s] = steps_from(s, direction_row_step, direction_file_step);
        const int row = s / 8, file = s % 8;
        if (file != 0 && row != 0) t.pawn[0][s] |= square_bit(s - 9);
        if (file != 7 && row != 0) t.pawn[0][s] |= square_bit(s - 7);
        if (file != 0 && row != 7) t.pawn[1][s] |= square_bit(s + 7);
        if (file != 7 && row != 7) t.pawn[1][s] |= square_bit(s + 9);
        for (int u = 0; u < 64; ++u) t.line_direction[s][u] = -1;
        for (int d = 0; d < DIRECTION_COUNT; ++d) {
            for (int r = row + direction_row_step[d], f = file + direction_file_step[d]; on_board(r, f);
                 r += direction_row_step[d], f += direction_file_step[d]) {
                t.ray[s][d] |= square_bit(r * 8 + f);
                t.line_direction[s][r * 8 + f] = static_cast<std::int8_t>(d);
            }
            t.lines[direction_is_diagonal(d) ? 0 : 1][s] |= t.ray[s][d];
        }
    }
    return t;
}

inline constexpr Tables tables = build_tables();

}  // namespace bitboard_detail

inline constexpr const auto& knight_attacks = bitboard_detail::tables.knight;
inline constexpr const auto& king_attacks = bitboard_detail::tables.king;
inline constexpr const auto& pawn_attacks = bitboard_detail::tables.pawn;
inline constexpr const auto& ray = bitboard_detail::tables.ray;
inline constexpr const auto& diagonal_lines = bitboard_detail::tables.lines[0];
inline constexpr const auto& straight_lines = bitboard_detail::tables.lines[1];
inline constexpr const auto& line_direction = bitboard_detail::tables.line_direction;

// The first occupied square met from the ray's origin; `blockers` holds
// at least one square of ray[origin][d].
inline int first_blocker(Bitboard blockers, int d) {
    return direction_descends(d) ? highest_square(blockers) : lowest_square(blockers);
}
