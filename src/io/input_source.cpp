// Where standard input's bytes come from: descriptor 0, read with poll and
// read so that waiting bytes can be seen without blocking.
#include "io/input_source.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

long read_input_bytes(char* to, std::size_t room, bool wait) {
    if (!wait) {
        pollfd pending = {0, POLLIN, 0};
        if (poll(&pending, 1, 0) <= 0) return 0;
    }
    for (;;) {
        const ssize_t n = read(0, to, room);
        if (n > 0) return static_cast<long>(n);
        if (n < 0 && errno == EINTR) continue;
        return -1;  // end of input, or an error that ends it the same way
    }
}
