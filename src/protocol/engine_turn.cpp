// The engine's own turn, "go" and "hint", and how its thinking is shown.
#include "protocol/engine_turn.h"

#include <cstdio>

#include "board/move_text.h"
#include "protocol/command_loop.h"
#include "protocol/game.h"
#include "protocol/result.h"
#include "search/driver.h"

void print_thinking_line(const Iteration& iteration) {
    std::printf("%d %d %d %llu", iteration.depth, iteration.score, iteration.elapsed_ms / 10,
                static_cast<unsigned long long>(iteration.nodes));
    for (int j = 0; j < iteration.pv_length; ++j) std::printf(" %s", move_to_text(iteration.pv[j]));
    std::printf("\n");
    std::fflush(stdout);
}

void engine_turn() {
    const Move move = game_choose_move(post_mode);
    // A move that cannot be played (none found, or refused) ends in force
    // mode without a word, so the engine never announces an illegal move.
    if (move == 0 || !game_play_move(move)) {
        engine_side = EMPTY;
        return;
    }
    std::printf("move %s\n", move_to_text(move));
    report_result();
}

void cmd_go(const char*) { engine_side = side_to_move; }

void cmd_hint(const char*) {
    const Move move = game_choose_move(OUTPUT_SILENT);
    if (move != 0) std::printf("Hint: %s\n", move_to_text(move));
}
