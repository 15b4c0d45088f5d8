// Where standard input's bytes come from: the descriptor in the native
// build; in the browser, nowhere, for the page's lines arrive as messages.
#pragma once
#include <cstddef>

// Reads at most `room` bytes into `to`. With `wait`, blocks until at least
// one byte is there or no more can come; without, takes only what is there
// already. Returns the number read, 0 when nothing is waiting (only without
// `wait`), or -1 when nothing more can come (the end, or an error).
long read_input_bytes(char* to, std::size_t room, bool wait);
