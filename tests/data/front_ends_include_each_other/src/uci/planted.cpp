// Planted: one front end that includes the other.
#include "xboard/session.h"
