// Words and numbers in protocol lines: the one tokenizer and number reader
// that every front end uses.
#pragma once
#include <cstddef>
#include <cstdint>

// Numbers saturate here: far beyond any clock, depth or node count a GUI
// sends, and far from overflowing the products the front ends form.
constexpr std::int64_t NUMBER_CAP = 1000000000000000;  // 10^15

// Space, tab, newline, vertical tab, form feed, carriage return.
inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The text from the first character that is not blank.
const char* skip_blanks(const char* text);

// Copies the next blank-separated word of `p` into `word` (cut to fit
// `room`), and moves `p` past the whole word. False when only blanks are left.
bool next_token(const char*& p, char* word, std::size_t room);

// The first word of the line, cut to fit `room`; false for a line of only blanks.
bool take_first_word(const char* line, char* word, std::size_t room);

// The text after the first word and the blanks behind it.
const char* after_first_word(const char* line);

// An optionally signed decimal integer right at `p` (no blanks skipped),
// saturating at NUMBER_CAP in magnitude. Moves `p` past its digits; false,
// with `p` unmoved, when no digit follows the sign.
bool read_integer(const char*& p, std::int64_t* value);

// The same for a whole word: true only when nothing follows the digits.
bool read_integer_word(const char* word, std::int64_t* value);

// The value clamped to the 32-bit range.
std::int32_t saturate_to_int32(std::int64_t value);
