// The engine's entry: banner, hash keys, start position, book, command loop.
#include "protocol/command_loop.h"

int main() {
    start_engine();
    return 0;
}
