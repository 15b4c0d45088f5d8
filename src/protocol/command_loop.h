// Start-up and the protocol command loop.
#pragma once

// Side the engine plays: WHITE, BLACK, or EMPTY in force mode.
extern int engine_side;
// Thinking output handed to choose_move on the engine's turn: 0 none, 2 per iteration.
extern int post_mode;
// The current input line (newline included) and its first word.
extern char line_buffer[256];
extern char command_word[256];

// Banner, hash keys, start position, book, then the command loop.
void start_engine();

// Reads and carries out protocol lines until "quit" or the end of input.
void command_loop();

// "%d" after the command's letters, as the time commands read it: the
// letters from the first character, any white space, an optionally signed
// integer. Values beyond the 32-bit range saturate. Returns 0 (and leaves
// `value`) when the line does not match.
int read_command_number(const char* line, const char* name, int* value);
