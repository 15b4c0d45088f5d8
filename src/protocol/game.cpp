// The game that every front end drives: moves from text, take-backs, set-up,
// how the game stands, and the engine's move. It prints nothing.
#include "protocol/game.h"

#include "board/attack.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "search/driver.h"
#include "search/search.h"

void regenerate_move_list() {
    search_ply = 0;
    generate_moves();
}

void game_new() {
    reset_position();
    regenerate_move_list();
}

void game_set_side_to_move(int colour) {
    side_to_move = colour;
    side_not_to_move = colour ^ 1;
    regenerate_move_list();
}

bool game_play_move(Move move) {
    if (history_ply >= GAME_PLY_LIMIT) return false;
    if (!make_move(move)) return false;
    regenerate_move_list();
    return true;
}

MoveRefusal game_play_text(const char* text) {
    const int index = parse_move_text(text);
    if (index == -1) return MoveRefusal::NOT_A_MOVE;
    if (history_ply >= GAME_PLY_LIMIT) return MoveRefusal::GAME_FULL;
    if (!game_play_move(move_list[index].move)) return MoveRefusal::ILLEGAL;
    return MoveRefusal::NONE;
}

bool game_take_back(int plies) {
    if (history_ply < plies) return false;
    for (int i = 0; i < plies; ++i) unmake_move();
    regenerate_move_list();
    return true;
}

GameEnd game_end() {
    // 1. Is any move of the ply-0 list legal?
    bool has_legal_move = false;
    for (int i = 0; i < ply_first_move[1]; ++i) {
        if (make_move(move_list[i].move)) {
            unmake_move();
            has_legal_move = true;
            break;
        }
    }
    // 2. Mate or stalemate before any draw by rule.
    if (!has_legal_move) {
        if (!side_in_check(side_to_move)) return GameEnd::STALEMATE;
        return side_to_move == WHITE ? GameEnd::BLACK_MATES : GameEnd::WHITE_MATES;
    }
    // 3. Repetition, then the fifty-move rule.
    if (repetition_count() == 3) return GameEnd::REPETITION;
    if (halfmove_clock >= 100) return GameEnd::FIFTY_MOVES;
    return GameEnd::NONE;
}

Move game_choose_move(int output_mode) {
    choose_move(output_mode);
    return pv_table[0][0];
}
