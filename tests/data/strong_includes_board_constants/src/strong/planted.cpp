// Planted: the strong search reading the classic board's constants.
#include "board/types.h"
