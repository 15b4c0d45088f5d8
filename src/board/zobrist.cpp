// Zobrist keys, the hash of the position, and the engine's one random generator.
#include "board/zobrist.h"

#include "board/position.h"

std::uint32_t random_state;
std::uint32_t zobrist_piece[2][6][64];
std::uint32_t zobrist_black_to_move;
std::uint32_t zobrist_ep[64];

// The piece keys of the board arrays alone.
static std::uint32_t hash_of_pieces() {
    std::uint32_t hash = 0;
    for (int square = 0; square < 64; ++square)
        if (square_color[square] != EMPTY)
            hash ^= zobrist_piece[square_color[square]][square_piece[square]][square];
    return hash;
}

void seed_random(std::uint32_t seed) {
    random_state = seed;
    next_random();
}

// A linear congruential step modulo 2^32 (unsigned, so the wrap is defined).
int next_random() {
    random_state = random_state * 22695477u + 1u;
    return static_cast<int>((random_state >> 16) & 32767u);
}

std::uint32_t random32() {
    std::uint32_t key = 0;
    for (int i = 0; i < 32; ++i) key ^= static_cast<std::uint32_t>(next_random()) << i;
    return key;
}

// The draw order is part of the keys' definition: changing it changes every hash.
void init_zobrist() {
    seed_random(0);
    for (int colour = WHITE; colour <= BLACK; ++colour)
        for (int piece = PAWN; piece <= KING; ++piece)
            for (int square = 0; square < 64; ++square) zobrist_piece[colour][piece][square] = random32();
    zobrist_black_to_move = random32();
    for (int square = 0; square < 64; ++square) zobrist_ep[square] = random32();
    // The kept piece part follows the keys it was built from.
    piece_hash = hash_of_pieces();
}

void compute_hash() {
    std::uint32_t hash = hash_of_pieces();
    if (side_to_move == BLACK) hash ^= zobrist_black_to_move;
    if (ep_square != -1) hash ^= zobrist_ep[ep_square];
    position_hash = hash;
}
