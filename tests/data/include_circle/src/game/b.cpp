// Planted: two units that include each other.
#include "game/a.h"
