// Planted: a front end that reads the board beyond its position and move text.
#include "board/movegen.h"
