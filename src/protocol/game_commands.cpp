// The interface's moves, take-backs and set-up.
#include "protocol/game_commands.h"

#include <cstdio>
#include <cstring>

#include "board/position.h"
#include "protocol/command_loop.h"
#include "protocol/game.h"
#include "protocol/result.h"
#include "protocol/xboard_listen.h"

namespace {

// Coordinate text in shape: letter, digit, letter, digit, and perhaps a
// piece letter.
bool looks_like_a_move(const char* word) {
    const std::size_t n = std::strlen(word);
    if (n != 4 && n != 5) return false;
    for (int i = 0; i < 4; ++i) {
        const char c = word[i];
        if (i % 2 == 0 ? (c < 'a' || c > 'z') : (c < '0' || c > '9')) return false;
    }
    return true;
}

}  // namespace

void move_input(const char* line, const char* word) {
    if (game_play_text(line) == MoveRefusal::NONE) {
        position_changed();
        report_result(protocol_version >= 2 ? RepetitionRule::THIRD_BY_RULES : RepetitionRule::FOURTH_BY_HASH);
        return;
    }
    if (protocol_version == 1)
        std::printf("(unknown command): %s\n", word);
    else if (looks_like_a_move(word))
        std::printf("Illegal move: %s\n", word);
    else
        std::printf("Error (unknown command): %s\n", word);
}

// Neither take-back announces anything; too few moves played is no error.
void cmd_undo(const char*) {
    if (game_take_back(1)) position_changed();
}

void cmd_remove(const char*) {
    if (game_take_back(2)) position_changed();
}

void cmd_setboard(const char* line) {
    const char* fen = std::strstr(line, "setboard") + 8;
    if (game_set_fen(fen) != nullptr) {
        std::printf("tellusererror Illegal position\n");
        return;
    }
    engine_side = EMPTY;
    position_changed();
}
