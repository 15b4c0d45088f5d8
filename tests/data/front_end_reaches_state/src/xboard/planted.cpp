// Planted: a front end that reaches the classic state through the game layer.
#include "game/leaky.h"
