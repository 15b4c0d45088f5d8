// The interface's moves, take-backs and set-up.
#pragma once

// The line as a move. Protocol 1 refuses anything else with "(unknown
// command): " and the first word; protocol 2 with "Illegal move: " for a
// word shaped like a move, "Error (unknown command): " otherwise.
void move_input(const char* line, const char* word);
void cmd_undo(const char* line);
void cmd_remove(const char* line);
// "setboard FEN": a new game from the position, in force mode.
void cmd_setboard(const char* line);
