// The engine's own turn, "go" and "hint", and how its thinking is shown.
#include "protocol/engine_turn.h"

#include <cstdio>

#include "board/move_text.h"
#include "protocol/command_loop.h"
#include "protocol/game.h"
#include "protocol/result.h"
#include "protocol/xboard_clock.h"
#include "protocol/xboard_listen.h"
#include "search/clock.h"
#include "search/driver.h"
#include "search/search.h"

namespace {

// Protocol 2 shows a mate in N moves as 100000 + N, and being mated in N
// as -100000 - N, so the interface can print it as a mate.
int score_for_protocol2(int score) {
    if (score > MATE_THRESHOLD) return 100000 + (MATE_SCORE - score + 1) / 2;
    if (score < -MATE_THRESHOLD) return -100000 - (MATE_SCORE + score) / 2;
    return score;
}

// Both versions search with the limits of their own time commands.
Move choose_for_interface(int output_mode) {
    if (protocol_version >= 2) set_search_limits();
    return game_choose_move(output_mode);
}

RepetitionRule repetition_rule() {
    return protocol_version >= 2 ? RepetitionRule::THIRD_BY_RULES : RepetitionRule::FOURTH_BY_HASH;
}

}  // namespace

void print_thinking_line(const Iteration& iteration) {
    const int score = protocol_version >= 2 ? score_for_protocol2(iteration.score) : iteration.score;
    std::printf("%d %d %d %llu", iteration.depth, score, iteration.elapsed_ms / 10,
                static_cast<unsigned long long>(iteration.nodes));
    for (int j = 0; j < iteration.pv_length; ++j) std::printf(" %s", move_to_text(iteration.pv[j]));
    std::printf("\n");
    std::fflush(stdout);
}

void engine_turn() {
    // 1. Protocol 2 does not search a game that has ended: its result was
    //    announced with the move that ended it.
    if (protocol_version >= 2 && game_first_legal_move() == 0) {
        engine_side = EMPTY;
        return;
    }

    // 2. Search; protocol 2 listens meanwhile.
    iteration_reporter = print_thinking_line;
    move_now = false;
    search_interrupted = false;
    if (protocol_version >= 2) search_should_stop = engine_search_must_stop;
    Move move = choose_for_interface(post_mode);
    search_should_stop = nullptr;

    // 3. A command that ended the search comes first, and no move is played.
    if (quit_requested || search_interrupted) return;
    if (move == 0 && move_now) move = game_first_legal_move();

    // 4. Play. A move that cannot be played (none found, or refused) ends in
    //    force mode without a word, so the engine never announces an
    //    illegal move.
    if (move == 0 || !game_play_move(move)) {
        engine_side = EMPTY;
        return;
    }
    std::printf("move %s\n", move_to_text(move));
    position_changed();
    report_result(repetition_rule());
}

// The engine plays from here on, so any analysis ends.
void cmd_go(const char*) {
    engine_side = side_to_move;
    analysing = false;
}

void cmd_hint(const char*) {
    const Move move = choose_for_interface(OUTPUT_SILENT);
    if (move != 0) std::printf("Hint: %s\n", move_to_text(move));
}
