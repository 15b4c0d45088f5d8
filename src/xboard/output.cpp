// What the xboard front end prints of the game and the engine's thinking.
#include "xboard/output.h"

#include <cstdio>


void print_thinking_line(void* context, const IterationReport& iteration) {
    const XboardSession& session = *static_cast<const XboardSession*>(context);
    int score = iteration.score;
    // Protocol 2 shows a mate in N moves as 100000 + N and being mated in N
    // as -100000 - N, so the interface can print it as a mate.
    if (session.rules->shows_mates_as_100000 && iteration.is_mate)
        score = iteration.mate_moves > 0 ? 100000 + iteration.mate_moves : -100000 + iteration.mate_moves;
    std::printf("%d %d %d %llu", iteration.depth, score, iteration.elapsed_ms / 10,
                static_cast<unsigned long long>(iteration.nodes));
    for (int j = 0; j < iteration.pv_length; ++j) std::printf(" %s", game_move_text(iteration.pv[j]));
    std::printf("\n");
    std::fflush(stdout);
}

void report_result(const XboardSession& session) {
    switch (game_end(session.rules->repetition)) {
        case GameEnd::WHITE_MATES: std::printf("1-0 {White wins}\n"); break;
        case GameEnd::BLACK_MATES: std::printf("0-1 {Black wins}\n"); break;
        case GameEnd::STALEMATE: std::printf("1/2-1/2 {Stalemate}\n"); break;
        case GameEnd::REPETITION: std::printf("1/2-1/2 {Draw by 3-x repetition}\n"); break;
        case GameEnd::FIFTY_MOVES: std::printf("1/2-1/2 {Draw by 50-move rule}\n"); break;
        case GameEnd::NONE: break;
    }
}

void print_dropped_line(void*, const char* line) {
    std::printf("Error (too much input while thinking, dropped): %.40s\n", line);
}
