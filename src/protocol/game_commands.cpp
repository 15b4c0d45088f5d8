// The interface's moves and take-backs.
#include "protocol/game_commands.h"

#include <cstdio>

#include "protocol/game.h"
#include "protocol/result.h"

void move_input(const char* line, const char* word) {
    if (game_play_text(line) != MoveRefusal::NONE) {
        std::printf("(unknown command): %s\n", word);
        return;
    }
    report_result();
}

// Neither take-back announces anything; too few moves played is no error.
void cmd_undo(const char*) { game_take_back(1); }

void cmd_remove(const char*) { game_take_back(2); }
