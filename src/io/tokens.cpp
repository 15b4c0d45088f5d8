// Words and numbers in protocol lines: the one tokenizer and number reader
// that every front end uses.
#include "io/tokens.h"

#include <climits>

const char* skip_blanks(const char* text) {
    while (is_blank(*text)) ++text;
    return text;
}

bool next_token(const char*& p, char* word, std::size_t room) {
    p = skip_blanks(p);
    if (!*p) return false;
    std::size_t n = 0;
    for (; *p && !is_blank(*p); ++p)
        if (n + 1 < room) word[n++] = *p;
    word[n] = '\0';
    return true;
}

bool take_first_word(const char* line, char* word, std::size_t room) {
    const char* p = line;
    if (next_token(p, word, room)) return true;
    word[0] = '\0';
    return false;
}

const char* after_first_word(const char* line) {
    const char* p = skip_blanks(line);
    while (*p && !is_blank(*p)) ++p;
    return skip_blanks(p);
}

bool read_integer(const char*& p, std::int64_t* value) {
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    if (*q < '0' || *q > '9') return false;
    std::int64_t magnitude = 0;
    for (; *q >= '0' && *q <= '9'; ++q)
        magnitude = magnitude < NUMBER_CAP / 10 ? magnitude * 10 + (*q - '0') : NUMBER_CAP;
    if (magnitude > NUMBER_CAP) magnitude = NUMBER_CAP;
    *value = negative ? -magnitude : magnitude;
    p = q;
    return true;
}

bool read_integer_word(const char* word, std::int64_t* value) {
    const char* p = word;
    std::int64_t v;
    if (!read_integer(p, &v) || *p) return false;
    *value = v;
    return true;
}

std::int32_t saturate_to_int32(std::int64_t value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<std::int32_t>(value);
}
