// Planted: a front end that reaches into the search.
#include "search/driver.h"
