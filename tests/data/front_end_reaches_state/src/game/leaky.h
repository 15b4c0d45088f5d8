// Planted: a game-layer header that passes the classic board's state on.
#pragma once
#include "board/position.h"
