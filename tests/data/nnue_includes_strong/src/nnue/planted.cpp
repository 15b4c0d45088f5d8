// Planted: the network's layer includes nothing of the engine.
#include "strong/position.h"
