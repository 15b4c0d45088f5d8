// Planted: two units that include each other.
#include "game/b.h"
