// Planted: the browser's entry reaching past the UCI front end into xboard's.
#include "xboard/commands.h"
