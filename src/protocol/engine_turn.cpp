// The engine's own turn, "go" and "hint".
#include "protocol/engine_turn.h"

#include <cstdio>

#include "protocol/command_loop.h"
#include "protocol/game_commands.h"
#include "protocol/move_text.h"
#include "search/driver.h"
#include "search/search.h"

void engine_turn() {
    choose_move(post_mode);
    const Move move = pv_table[0][0];
    // A move that cannot be played (none found, or refused) ends in force
    // mode without a word, so the engine never announces an illegal move.
    if (move == 0 || !play_game_move(move)) {
        engine_side = EMPTY;
        return;
    }
    std::printf("move %s\n", move_to_text(move));
    report_result();
}

void cmd_go() { engine_side = side_to_move; }

void cmd_hint() {
    choose_move(0);
    if (pv_table[0][0] != 0) std::printf("Hint: %s\n", move_to_text(pv_table[0][0]));
}
