// The network built into the engine, from networks/default.nnue.
#include "nnue/default_network.h"

#include <cstddef>
#include <memory>
#include <string>

// Written at build time from the network file (cmake/embed_network.cmake).
extern const unsigned char tavrin_default_network[];
extern const std::size_t tavrin_default_network_size;

namespace nnue {

namespace {

struct Embedded {
    std::unique_ptr<Network> net = std::make_unique<Network>();
    std::string error;
    Embedded() {
        error = decode_network(tavrin_default_network, tavrin_default_network_size, *net);
    }
};

const Embedded& embedded() {
    static const Embedded e;
    return e;
}

}  // namespace

const Network& default_network() { return *embedded().net; }

const char* default_network_error() { return embedded().error.c_str(); }

}  // namespace nnue
