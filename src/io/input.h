// Standard input, read without stdio's buffer so that waiting lines can be
// seen during a search.
#pragma once
#include <cstddef>

// The longest line read whole: a move list of the longest game fits.
constexpr std::size_t LONG_LINE_SIZE = 131072;

// Like fgets with a buffer of `size`: the characters up to and including
// the first newline, at most size - 1 of them, then a terminator. The rest
// of a longer line is left for the next call. False at the end of input
// when nothing was read.
bool read_line_piece(char* line, std::size_t size);

// A whole line without its line end ("\n" or "\r\n"), blocking until one is
// there. A line longer than size - 1 is read to its end and dropped, and
// `too_long` is set. False at the end of input when nothing was read.
bool read_whole_line(char* line, std::size_t size, bool* too_long);

// The same, but only from new input, passing over deferred lines: what a
// search reads while it listens.
bool read_new_line(char* line, std::size_t size, bool* too_long);

// True when a whole line is waiting; never blocks. Deferred lines do not count.
bool line_waiting();

// True when the input has ended and every line of it has been read.
bool input_has_ended();

// Keeps a line read during a search for later: read_whole_line hands out
// deferred lines, in order, before any new input. False (the line is
// dropped) when they would not fit.
bool defer_line(const char* line);

// True while deferred lines wait to be read.
bool deferred_line_waiting();
