// Making and taking back moves: legality, castling, promotion, en passant,
// the undo record, and the guards against impossible positions when the
// side to move is changed between moves.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "board/attack.h"
#include "board_support.h"

namespace {

struct LegalityCase {
    const char* fen;
    const char* move;
    int legal;
};

// Every entry of the ply-0 list in turn: a refused move changes nothing, a
// made one leaves a consistent position and the right undo record, and its
// take-back restores every byte.
void try_every_move() {
    search_ply = 0;
    generate_moves();
    const std::vector<ScoredMove> list(move_list + ply_first_move[0], move_list + ply_first_move[1]);
    const PositionSnapshot before = take_snapshot();
    for (const ScoredMove& entry : list) {
        const Move m = entry.move;
        const int captured = square_piece[move_to(m)];
        if (make_move(m)) {
            ASSERT_TRUE(position_is_ok()) << position_to_fen() << " after " << move_to_text(m);
            ASSERT_EQ(side_in_check(side_not_to_move), 0);
            ASSERT_EQ(search_ply, before.search_ply + 1);
            ASSERT_EQ(history_ply, before.history_ply + 1);
            const UndoRecord& r = game_history[history_ply - 1];
            EXPECT_EQ(r.move, m);
            EXPECT_EQ(r.captured, captured);
            EXPECT_EQ(r.castle_rights, before.castle_rights);
            EXPECT_EQ(r.ep_square, before.ep_square);
            EXPECT_EQ(r.halfmove_clock, before.halfmove_clock);
            EXPECT_EQ(r.hash, before.hash);
            unmake_move();
        }
        ASSERT_EQ(take_snapshot(), before) << move_to_text(m);
    }
}

}  // namespace

// Where everything lands, written as the position after the move; the
// take-back must then restore the state before it byte for byte.
TEST(BoardMakeMove, EveryKindOfMoveLandsAndTakesBackExactly) {
    const char* const castling_white = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1";
    const char* const castling_black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 1";
    const char* const promotion = "r3k3/1P6/8/8/8/8/8/4K3 w q - 7 30";
    struct Landing { const char* fen; const char* move; const char* after; };
    const Landing cases[] = {
        {START_FEN, "e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},
        {castling_white, "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 4 1"},
        {castling_black, "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 4 1"},
        {promotion, "b7a8Q", "Q3k3/8/8/8/8/8/8/4K3 b - - 0 1"},  // the capture on a8 ends q too
        {promotion, "b7b8R", "rR2k3/8/8/8/8/8/8/4K3 b q - 0 1"},
        {"4k3/8/8/8/8/8/6p1/4K2R b K - 5 9", "g2h1R", "4k3/8/8/8/8/8/8/4K2r w - - 0 1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 3 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "4k3/8/8/8/8/4p3/8/4K3 w - - 0 1"},
    };
    for (const Landing& c : cases) {
        load(c.fen);
        const PositionSnapshot before = take_snapshot();
        ASSERT_EQ(make_move(move_of(c.move)), 1) << c.move;
        EXPECT_EQ(position_to_fen(), c.after) << c.move;
        EXPECT_TRUE(position_is_ok()) << c.move;
        unmake_move();
        EXPECT_EQ(take_snapshot(), before) << c.move;
    }
}

TEST(BoardMakeMove, RefusedMovesChangeNothing) {
    const LegalityCase cases[] = {
        {START_FEN, "e1g1", 0},                             // pieces in the way
        {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},  // in check
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},   // crosses f1
        {"4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},  // lands on g1
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0},  // lands on c1
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 1},  // b1 may be attacked
        {"4k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 1},   // so may the rook
        {"4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1", "e1g1", 0},  // pawn g2 covers f1
        {"r3k2r/8/8/8/8/8/4R3/4K3 b kq - 0 1", "e8g8", 0},
        {"r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", "e8g8", 0},
        {"r3k2r/8/B7/8/8/8/8/4K3 b kq - 0 1", "e8c8", 0},   // bishop a6 covers c8
        {"r3k2r/7P/8/8/8/8/8/4K3 b kq - 0 1", "e8g8", 0},   // pawn h7 covers g8
        {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2d3", 0},   // pinned bishop
        {"8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5c6", 0},    // en passant opens the rank
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1d2", 1},     // taking the checker is fine
        {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", "e1d2", 0},     // out of one knight check into the next
    };
    for (const LegalityCase& c : cases) {
        load(c.fen);
        const PositionSnapshot before = take_snapshot();
        EXPECT_EQ(make_move(move_of(c.move)), c.legal) << c.fen << " " << c.move;
        if (c.legal) unmake_move();
        EXPECT_EQ(take_snapshot(), before) << c.fen << " " << c.move;
    }
}

TEST(BoardMakeMove, CastlingRightsAreLostForGood) {
    struct RightsCase { const char* fen; const char* moves; int rights; };
    const char* white = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char* black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
    const RightsCase cases[] = {
        {white, "h1h8", 10},  // a capture on h8 takes Black's kingside right too
        {white, "a1a8", 5},
        {white, "e1d1", 12},
        {white, "a1b1", 13},
        {white, "h1g1", 14},
        {white, "h1h2 a8a7 h2h1", 6},  // coming home does not restore it
        {black, "h8h7", 11},
        {black, "a8b8", 7},
        {black, "e8e7", 3},
        {black, "h8h1", 10},
    };
    for (const RightsCase& c : cases) {
        load(c.fen);
        play(c.moves);
        EXPECT_EQ(castle_rights, c.rights) << c.fen << " " << c.moves;
    }
}

TEST(BoardMakeMove, HalfmoveClockCountsQuietPiecesAndCastlingOnly) {
    load("r3k2r/p6p/8/3pP3/8/8/P4P1P/RN2K2R w KQkq d6 5 1");
    const std::pair<const char*, int> steps[] = {
        {"e5d6", 0}, {"a7a6", 0}, {"b1c3", 1}, {"e8g8", 2},
        {"e1g1", 3}, {"f8f2", 0}, {"g1f2", 0}, {"a8a7", 1},
    };
    for (const auto& [move, clock] : steps) {
        play(move);
        EXPECT_EQ(halfmove_clock, clock) << move;
    }
}

// Random games from positions rich in castling, promotion and en passant,
// half of them with the move handed over at random points as the colour
// commands do in force mode: every move takes back exactly, and taking the
// whole game back returns to the start.
TEST(BoardMakeMove, EveryMoveTakesBackExactlyAlongRandomGames) {
    std::mt19937 random(99);
    for (const char* fen : rich_positions) {
        for (bool colour_changes : {false, true}) {
            load(fen);
            const PositionSnapshot start = take_snapshot();
            random_walk(random, 60, [&] {
                if (colour_changes && random() % 4 == 0) hand_move_to(random() % 2);
                try_every_move();
            });
            while (history_ply > 0) {
                unmake_move();
                search_ply = 0;  // as the front end does after a take-back
                ASSERT_TRUE(position_is_ok(false));
            }
            PositionSnapshot end = take_snapshot();
            if (colour_changes) {  // the side to move is whatever the last hand-over left
                end.side_to_move = start.side_to_move;
                end.side_not_to_move = start.side_not_to_move;
            }
            EXPECT_EQ(end, start) << fen;
        }
    }
}

// After e2e4 the colour command hands the move back to White with ep_square
// still e3; d2 and f2 stand where an en passant capture of e3 would start.
TEST(BoardSafeguard, StaleEnPassantSquareAfterHandingTheMoveOver) {
    reset_position();
    play("e2e4");
    hand_move_to(WHITE);
    ASSERT_NO_FATAL_FAILURE(try_every_move());
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        EXPECT_FALSE(move_flags(move_list[i].move) & MOVE_EN_PASSANT) << move_to_text(move_list[i].move);
    play("g1f3 e7e5");  // Black's own double push, then hand it back to Black
    hand_move_to(BLACK);
    ASSERT_NO_FATAL_FAILURE(try_every_move());
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        EXPECT_FALSE(move_flags(move_list[i].move) & MOVE_EN_PASSANT) << move_to_text(move_list[i].move);
}

// unmake_move must put back the mover's piece in the mover's colour even
// when the move was handed back to the mover in between.
TEST(BoardSafeguard, TakeBackAfterHandingTheMoveBackKeepsTheMoversColour) {
    const LegalityCase cases[] = {
        {START_FEN, "e2e4", WHITE},  // a White pawn back on e2
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", WHITE},
        {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8Q", WHITE},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", WHITE},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", BLACK},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", BLACK},
        {"4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", "g2h1N", BLACK},
    };
    for (const LegalityCase& c : cases) {
        load(c.fen);
        const PositionSnapshot before = take_snapshot();
        ASSERT_EQ(make_move(move_of(c.move)), 1) << c.move;
        hand_move_to(c.legal);  // the mover is to move again
        unmake_move();
        EXPECT_EQ(take_snapshot(), before) << c.move;
        EXPECT_TRUE(position_is_ok()) << c.move;
    }
}

// White gives check and is handed the move again: every capture of the
// king, which the capture generator puts first, is refused.
TEST(BoardSafeguard, KingInCheckCannotBeCapturedBySideHandedTheMove) {
    const std::pair<const char*, const char*> cases[] = {
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8"},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "d2d4"},  // no check: nothing to capture
        {"4k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "b5d6"},
        {"3k4/8/4P3/8/8/8/8/4K3 w - - 0 1", "e6e7"},  // then e7 takes d8 four ways
    };
    for (const auto& [fen, move] : cases) {
        load(fen);
        play(move);
        hand_move_to(WHITE);
        search_ply = 0;
        const PositionSnapshot before = take_snapshot();
        for (int (*generate)() : {generate_moves, generate_captures}) {
            generate();
            for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
                const Move m = move_list[i].move;
                const bool takes_king = square_piece[move_to(m)] == KING;
                const int result = make_move(m);
                EXPECT_FALSE(takes_king && result) << fen << " " << move_to_text(m);
                if (result) {
                    EXPECT_TRUE(position_is_ok()) << move_to_text(m);
                    unmake_move();
                }
                EXPECT_EQ(take_snapshot(), before) << move_to_text(m);
            }
        }
    }
}
