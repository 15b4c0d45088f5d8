// Standard input, read without stdio's buffer so that waiting lines can be
// seen during a search.
#include "protocol/input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Bytes read from the descriptor and not yet handed out: buffer[start, end).
char buffer[65536];
std::size_t start;
std::size_t end;
bool input_ended;

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
    if (!wait) {
        pollfd pending = {0, POLLIN, 0};
        if (poll(&pending, 1, 0) <= 0) return true;
    }
    for (;;) {
        const ssize_t n = read(0, buffer + end, sizeof buffer - end);
        if (n > 0) {
            end += static_cast<std::size_t>(n);
            return true;
        }
        if (n < 0 && errno == EINTR) continue;
        input_ended = true;  // end of input, or an error that ends it the same way
        return false;
    }
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
    std::size_t n = 0;
    bool any = false;
    *too_long = false;
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
    if (!fill(false)) return true;
    return newline_index() < end || end == sizeof buffer;
}
