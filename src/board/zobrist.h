// Zobrist keys, the hash of the position, and the engine's one random generator.
#pragma once
#include <cstdint>

extern std::uint32_t random_state;
extern std::uint32_t zobrist_piece[2][6][64];
extern std::uint32_t zobrist_black_to_move;
extern std::uint32_t zobrist_ep[64];

void seed_random(std::uint32_t seed);  // sets the state, then discards one draw
int next_random();                     // 0..32767
std::uint32_t random32();              // 32 draws folded into one key
void init_zobrist();                   // fills all keys from seed 0, in a fixed order
void compute_hash();                   // sets position_hash from scratch
