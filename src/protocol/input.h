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

// True when a whole line is waiting, or the input has ended; never blocks.
bool line_waiting();
