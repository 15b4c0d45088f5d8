// Where standard input's bytes come from in the browser build: nowhere. The
// page hands each line to the UCI front end as a message, between searches,
// so a search that looks for waiting input finds none and is never ended by
// it; only a read that would block (none is made there) finds the end.
#include "io/input_source.h"

long read_input_bytes(char*, std::size_t, bool wait) { return wait ? -1 : 0; }
