// A board file that reaches up into the search: the layer check must refuse it.
#include "board/position.h"
#include "search/search.h"
