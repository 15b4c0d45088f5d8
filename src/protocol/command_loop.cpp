#include "protocol/command_loop.h"
void start_engine() {}
