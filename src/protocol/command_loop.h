// Start-up and the xboard command loop, in protocol version 1 or 2.
#pragma once
#include <cstddef>

// 1 from start-up; 2 for good once "protover" names version 2 or later.
// Written only by the command loop.
extern int protocol_version;
// Set by "quit", or by the end of input heard during a search.
extern bool quit_requested;
// Side the engine plays: WHITE, BLACK, or EMPTY in force mode. Written by
// the commands and by the engine's turn, which falls into force mode when
// it finds no move.
extern int engine_side;
// Thinking output handed to choose_move on the engine's turn: OUTPUT_SILENT
// or OUTPUT_THINKING, set by "nopost" and "post".
extern int post_mode;

// Banner, hash keys, start position, book, then the command loop.
void start_engine();

// Reads and carries out protocol lines until "quit" or the end of input.
void command_loop();

// Carries out one line as the loop does: the command its first word names,
// or else a move. Returns false once "quit" has been read.
bool carry_out_line(const char* line);

// The first word of the line, cut to fit `room`; false for a line of only
// white space.
bool take_first_word(const char* line, char* word, std::size_t room);

// "%d" after the command's letters, as the time commands read it: the
// letters from the first character, any white space, an optionally signed
// integer. Values beyond the 32-bit range saturate. Returns 0 (and leaves
// `value`) when the line does not match.
int read_command_number(const char* line, const char* name, int* value);
