// The interface's moves and take-backs.
#include "protocol/game_commands.h"

#include <cstdio>

#include "board/make_move.h"
#include "board/movegen.h"
#include "protocol/command_loop.h"
#include "protocol/move_text.h"

void regenerate_move_list() {
    search_ply = 0;
    generate_moves();
}

int play_game_move(Move move) {
    if (history_ply >= GAME_PLY_LIMIT) return 0;
    if (!make_move(move)) return 0;
    regenerate_move_list();
    return 1;
}

void move_input() {
    const int index = parse_move_text(line_buffer);
    if (index == -1 || !play_game_move(move_list[index].move)) {
        std::printf("(unknown command): %s\n", command_word);
        return;
    }
    report_result();
}

void cmd_undo() {
    if (history_ply == 0) return;
    unmake_move();
    regenerate_move_list();
}

void cmd_remove() {
    if (history_ply < 2) return;
    unmake_move();
    unmake_move();
    regenerate_move_list();
}
