// The learned evaluation's network: its architecture, its quantised weights
// and the file that holds them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nnue {

// 768 inputs, one per colour, piece and square, seen from each side: from
// Black's side the colours are swapped and the board mirrored (s ^ 56), so
// both perspectives share one feature transformer. Each side's features sum
// into HIDDEN int16 values (its accumulator); SCReLU (clamp to [0, QA], then
// square) feeds one output per material bucket.
constexpr int INPUTS = 768;
constexpr int HIDDEN = 256;
constexpr int BUCKETS = 8;
constexpr int ACTIVATION_SCRELU = 1;
constexpr int QA = 255;    // the accumulator's 1.0
constexpr int QB = 64;     // the output weights' 1.0
constexpr int SCALE = 400; // centipawns per unit of output
static_assert(HIDDEN % 16 == 0, "the AVX2 path takes 16 values at a time");

// The bounds that keep the integer inference exact. Feature weights and
// biases within FT_LIMIT: 32 pieces and the bias sum to at most 33 * 505 in
// int16. Output weights within OUT_LIMIT, so that an activation times a
// weight (255 * 127) fits in int16, as the AVX2 path multiplies them.
constexpr int FT_LIMIT = 505;
constexpr int OUT_LIMIT = 127;
static_assert(33 * FT_LIMIT <= 32767 && QA * OUT_LIMIT <= 32767);

// Piece codes as the boards use them: colour * 8 + piece, pieces 0..5 from
// pawn to king; white 0, black 1.
constexpr int feature_index(int perspective, int piece_code, int square) {
    const int colour = piece_code >> 3, piece = piece_code & 7;
    return perspective == 0 ? (colour * 6 + piece) * 64 + square : ((colour ^ 1) * 6 + piece) * 64 + (square ^ 56);
}

// The output bucket of a position with `pieces` pieces on the board, kings included.
constexpr int bucket_of(int pieces) {
    const int b = (pieces - 2) / 4;
    return b < 0 ? 0 : b > BUCKETS - 1 ? BUCKETS - 1 : b;
}

struct Network {
    alignas(32) std::int16_t ft_weights[INPUTS][HIDDEN];
    alignas(32) std::int16_t ft_bias[HIDDEN];
    // Per bucket: HIDDEN weights for the side to move, then HIDDEN for the other.
    alignas(32) std::int16_t out_weights[BUCKETS][2 * HIDDEN];
    std::int32_t out_bias[BUCKETS];  // in units of 1 / (QA * QB)
};

// The file, little-endian:
//   8 bytes "TVNNUE\r\n", u32 format version,
//   u32 inputs, u32 hidden, u32 buckets, u32 activation, u32 QA, u32 QB,
//   u32 scale, u64 FNV-1a hash of the weight bytes that follow;
//   then i16 ft_weights (feature-major), i16 ft_bias, i16 out_weights
//   (bucket-major), i32 out_bias.
constexpr char FILE_MAGIC[8] = {'T', 'V', 'N', 'N', 'U', 'E', '\r', '\n'};
constexpr std::uint32_t FILE_VERSION = 1;
constexpr std::size_t FILE_HEADER_BYTES = 8 + 4 * 8 + 8;
constexpr std::size_t WEIGHT_BYTES = 2 * (INPUTS * HIDDEN + HIDDEN + BUCKETS * 2 * HIDDEN) + 4 * BUCKETS;
constexpr std::size_t FILE_BYTES = FILE_HEADER_BYTES + WEIGHT_BYTES;

std::uint64_t fnv1a64(const std::uint8_t* data, std::size_t size);

std::vector<std::uint8_t> encode_network(const Network& net);

// Fills `net` from a file's bytes. Returns an empty string, or why the bytes
// were refused (another version or architecture, a wrong size, a hash that
// does not match, weights out of bounds); `net` then is unchanged.
std::string decode_network(const std::uint8_t* data, std::size_t size, Network& net);

// The same for a file on disk, and writing one.
std::string read_network_file(const char* path, Network& net);
std::string write_network_file(const char* path, const Network& net);

}  // namespace nnue
