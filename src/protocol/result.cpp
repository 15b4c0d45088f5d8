// The announcement of game results.
#include "protocol/result.h"

#include <cstdio>


void report_result(RepetitionRule rule) {
    switch (game_end(rule)) {
        case GameEnd::WHITE_MATES: std::printf("1-0 {White wins}\n"); break;
        case GameEnd::BLACK_MATES: std::printf("0-1 {Black wins}\n"); break;
        case GameEnd::STALEMATE: std::printf("1/2-1/2 {Stalemate}\n"); break;
        case GameEnd::REPETITION: std::printf("1/2-1/2 {Draw by 3-x repetition}\n"); break;
        case GameEnd::FIFTY_MOVES: std::printf("1/2-1/2 {Draw by 50-move rule}\n"); break;
        case GameEnd::NONE: break;
    }
}
