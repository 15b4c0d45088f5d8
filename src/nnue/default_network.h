// The network built into the engine, from networks/default.nnue.
#pragma once
#include "nnue/network.h"

namespace nnue {

// Decoded once, on first use. A build whose embedded file does not decode
// (which a test rules out) gets a network of zeros, and the reason here.
const Network& default_network();
const char* default_network_error();

}  // namespace nnue
