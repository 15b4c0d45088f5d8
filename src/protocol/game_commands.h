// The interface's moves and take-backs.
#pragma once

// The line as a move; refused with "(unknown command): " and its first word.
void move_input(const char* line, const char* word);
void cmd_undo(const char* line);
void cmd_remove(const char* line);
