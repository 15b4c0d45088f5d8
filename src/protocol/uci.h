// The UCI front end: taken up when the first command is "uci".
#pragma once

// Answers "uci" and reads UCI commands until "quit" or the end of input.
void uci_loop();
