// The learned evaluation's network: its architecture, its quantised weights
// and the file that holds them.
#include "nnue/network.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace nnue {

namespace {

void put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t get(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return value;
}

// The header's fields after the magic, in file order.
constexpr std::uint32_t EXPECTED[8] = {FILE_VERSION, INPUTS, HIDDEN, BUCKETS, ACTIVATION_SCRELU, QA, QB, SCALE};
constexpr const char* FIELD_NAMES[8] = {"format version", "inputs", "hidden size", "buckets",
                                        "activation", "QA", "QB", "output scale"};

}  // namespace

std::uint64_t fnv1a64(const std::uint8_t* data, std::size_t size) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 0x100000001b3ULL;
    return h;
}

std::vector<std::uint8_t> encode_network(const Network& net) {
    std::vector<std::uint8_t> weights;
    weights.reserve(WEIGHT_BYTES);
    for (int f = 0; f < INPUTS; ++f)
        for (int i = 0; i < HIDDEN; ++i) put(weights, static_cast<std::uint16_t>(net.ft_weights[f][i]), 2);
    for (int i = 0; i < HIDDEN; ++i) put(weights, static_cast<std::uint16_t>(net.ft_bias[i]), 2);
    for (int b = 0; b < BUCKETS; ++b)
        for (int i = 0; i < 2 * HIDDEN; ++i) put(weights, static_cast<std::uint16_t>(net.out_weights[b][i]), 2);
    for (int b = 0; b < BUCKETS; ++b) put(weights, static_cast<std::uint32_t>(net.out_bias[b]), 4);
    std::vector<std::uint8_t> out(FILE_MAGIC, FILE_MAGIC + 8);
    for (std::uint32_t field : EXPECTED) put(out, field, 4);
    put(out, fnv1a64(weights.data(), weights.size()), 8);
    out.insert(out.end(), weights.begin(), weights.end());
    return out;
}

std::string decode_network(const std::uint8_t* data, std::size_t size, Network& net) {
    if (size < FILE_HEADER_BYTES || std::memcmp(data, FILE_MAGIC, 8) != 0) return "not a Tavrin network file";
    for (int i = 0; i < 8; ++i) {
        const std::uint64_t value = get(data + 8 + 4 * i, 4);
        if (value != EXPECTED[i])
            return "network of " + std::string(FIELD_NAMES[i]) + " " + std::to_string(value) + ", this engine's is " +
                   std::to_string(EXPECTED[i]);
    }
    if (size != FILE_BYTES)
        return "network file of " + std::to_string(size) + " bytes, expected " + std::to_string(FILE_BYTES) +
               (size < FILE_BYTES ? " (truncated)" : " (too long)");
    const std::uint8_t* w = data + FILE_HEADER_BYTES;
    if (fnv1a64(w, WEIGHT_BYTES) != get(data + 8 + 32, 8)) return "network file damaged: its weights do not match its hash";

    // Decoded aside, so that a refusal leaves `net` as it was.
    auto fresh = std::make_unique<Network>();
    for (int f = 0; f < INPUTS; ++f)
        for (int i = 0; i < HIDDEN; ++i, w += 2) fresh->ft_weights[f][i] = static_cast<std::int16_t>(get(w, 2));
    for (int i = 0; i < HIDDEN; ++i, w += 2) fresh->ft_bias[i] = static_cast<std::int16_t>(get(w, 2));
    for (int b = 0; b < BUCKETS; ++b)
        for (int i = 0; i < 2 * HIDDEN; ++i, w += 2) fresh->out_weights[b][i] = static_cast<std::int16_t>(get(w, 2));
    for (int b = 0; b < BUCKETS; ++b, w += 4) fresh->out_bias[b] = static_cast<std::int32_t>(get(w, 4));
    for (int f = 0; f < INPUTS; ++f)
        for (int i = 0; i < HIDDEN; ++i)
            if (fresh->ft_weights[f][i] < -FT_LIMIT || fresh->ft_weights[f][i] > FT_LIMIT)
                return "network with a feature weight beyond " + std::to_string(FT_LIMIT);
    for (int i = 0; i < HIDDEN; ++i)
        if (fresh->ft_bias[i] < -FT_LIMIT || fresh->ft_bias[i] > FT_LIMIT)
            return "network with a feature bias beyond " + std::to_string(FT_LIMIT);
    for (int b = 0; b < BUCKETS; ++b)
        for (int i = 0; i < 2 * HIDDEN; ++i)
            if (fresh->out_weights[b][i] < -OUT_LIMIT || fresh->out_weights[b][i] > OUT_LIMIT)
                return "network with an output weight beyond " + std::to_string(OUT_LIMIT);
    std::memcpy(&net, fresh.get(), sizeof net);
    return "";
}

std::string read_network_file(const char* path, Network& net) {
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) return std::string("cannot read ") + path;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0 && bytes.size() <= 2 * FILE_BYTES;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(in);
    const std::string error = decode_network(bytes.data(), bytes.size(), net);
    return error.empty() ? error : std::string(path) + ": " + error;
}

std::string write_network_file(const char* path, const Network& net) {
    const std::vector<std::uint8_t> bytes = encode_network(net);
    std::FILE* out = std::fopen(path, "wb");
    if (out == nullptr) return std::string("cannot write ") + path;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) return std::string("cannot write ") + path;
    return "";
}

}  // namespace nnue
