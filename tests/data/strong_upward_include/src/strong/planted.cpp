// A strong-board file that reaches into the classic search: the layer check must refuse it.
#include "board/position.h"
#include "search/search.h"
