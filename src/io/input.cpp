// Standard input, read without stdio's buffer so that waiting lines can be
// seen during a search.
#include "io/input.h"

#include <cstring>

#include "io/input_source.h"

namespace {

// Bytes read from standard input and not yet handed out: buffer[start, end).
char buffer[65536];
std::size_t start;
std::size_t end;
bool input_ended;

// Lines read during a search and kept for later, each ended by '\n':
// deferred[deferred_start, deferred_end).
char deferred[2 * LONG_LINE_SIZE];
std::size_t deferred_start;
std::size_t deferred_end;

// Reads more bytes into the buffer, moving what is left to its front first.
// Blocks when `wait` is set, else takes only what is already there. False
// when nothing more can come (the input ended or failed).
bool fill(bool wait) {
    if (input_ended) return false;
    if (start > 0) {
        std::memmove(buffer, buffer + start, end - start);
        end -= start;
        start = 0;
    }
    if (end == sizeof buffer) return true;  // full: the caller takes from it first
    const long n = read_input_bytes(buffer + end, sizeof buffer - end, wait);
    if (n > 0) {
        end += static_cast<std::size_t>(n);
        return true;
    }
    if (n == 0) return true;  // nothing waiting yet
    input_ended = true;
    return false;
}

// Index of the first newline in the unread bytes, or end.
std::size_t newline_index() {
    const void* found = std::memchr(buffer + start, '\n', end - start);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - buffer) : end;
}

}  // namespace

bool read_line_piece(char* line, std::size_t size) {
    std::size_t n = 0;
    while (n + 1 < size) {
        if (start == end && !fill(true)) break;
        const char c = buffer[start++];
        line[n++] = c;
        if (c == '\n') break;
    }
    line[n] = '\0';
    return n > 0;
}

bool read_whole_line(char* line, std::size_t size, bool* too_long) {
    *too_long = false;
    if (deferred_start < deferred_end) {
        const char* start_of_line = deferred + deferred_start;
        const std::size_t length =
            static_cast<std::size_t>(static_cast<const char*>(std::memchr(start_of_line, '\n', deferred_end - deferred_start)) -
                                     start_of_line);
        const std::size_t copy = length < size ? length : size - 1;
        std::memcpy(line, start_of_line, copy);
        line[copy] = '\0';
        deferred_start += length + 1;
        if (deferred_start == deferred_end) deferred_start = deferred_end = 0;
        return true;
    }
    return read_new_line(line, size, too_long);
}

bool read_new_line(char* line, std::size_t size, bool* too_long) {
    *too_long = false;
    std::size_t n = 0;
    bool any = false;
    for (;;) {
        if (start == end && !fill(true)) break;
        any = true;
        const std::size_t stop = newline_index();
        const std::size_t take = stop - start;
        const std::size_t room = size - 1 - n;
        if (take > room) *too_long = true;
        const std::size_t copy = take < room ? take : room;
        std::memcpy(line + n, buffer + start, copy);
        n += copy;
        start = stop;
        if (stop < end) {
            ++start;  // the newline
            break;
        }
    }
    if (n > 0 && line[n - 1] == '\r') --n;
    line[n] = '\0';
    return any;
}

bool line_waiting() {
    if (newline_index() < end) return true;
    fill(false);
    // A last line without its newline counts once the input has ended.
    return newline_index() < end || end == sizeof buffer || (input_ended && start < end);
}

bool input_has_ended() { return input_ended && start == end; }

bool defer_line(const char* line) {
    const std::size_t length = std::strlen(line);
    if (deferred_start > 0) {
        std::memmove(deferred, deferred + deferred_start, deferred_end - deferred_start);
        deferred_end -= deferred_start;
        deferred_start = 0;
    }
    if (deferred_end + length + 1 > sizeof deferred) return false;
    std::memcpy(deferred + deferred_end, line, length);
    deferred[deferred_end + length] = '\n';
    deferred_end += length + 1;
    return true;
}

bool deferred_line_waiting() { return deferred_start < deferred_end; }
