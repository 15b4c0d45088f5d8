// Making and taking back moves: legality, castling, promotion, en passant,
// the undo record, repetitions, and the guards against impossible positions
// when the side to move is changed between moves.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/attack.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/zobrist.h"

namespace {

std::string text_of(Move m) {
    std::string t = {char('a' + (move_from(m) & 7)), char('8' - (move_from(m) >> 3)), char('a' + (move_to(m) & 7)),
                     char('8' - (move_to(m) >> 3))};
    if (move_flags(m) & MOVE_PROMOTION) t += "pnbrqk"[move_promotion(m)];
    return t;
}

// Everything make_move may touch, the live part of the history included.
struct State {
    std::array<int, 64> color{}, piece{};
    int side = 0, other = 0, castle = 0, ep = 0, clock = 0, sply = 0, hply = 0;
    std::uint32_t hash = 0;
    std::vector<std::array<std::int64_t, 6>> records;
    bool operator==(const State&) const = default;
};

std::array<std::int64_t, 6> fields_of(const UndoRecord& r) {
    return {r.move, r.captured, r.castle_rights, r.ep_square, r.halfmove_clock, r.hash};
}

State current_state() {
    State s{std::to_array(square_color), std::to_array(square_piece), side_to_move, side_not_to_move,
            castle_rights, ep_square, halfmove_clock, search_ply, history_ply, position_hash, {}};
    for (int i = 0; i < history_ply; ++i) s.records.push_back(fields_of(game_history[i]));
    return s;
}

void PrintTo(const State& s, std::ostream* os) {
    *os << "side " << s.side << " castle " << s.castle << " ep " << s.ep << " clock " << s.clock << " plies "
        << s.sply << "/" << s.hply << " hash " << s.hash << " board";
    for (int i = 0; i < 64; ++i) *os << ' ' << s.color[i] << s.piece[i];
}

// The entry of the ply-0 list with this text, generated as the front end does.
Move find_move(const char* text) {
    search_ply = 0;
    generate_moves();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        if (text_of(move_list[i].move) == text) return move_list[i].move;
    ADD_FAILURE() << "no entry " << text;
    return 0;
}

int play(const char* text) {
    const Move m = find_move(text);
    return m ? make_move(m) : -1;
}

void play_all(std::initializer_list<const char*> moves) {
    for (const char* m : moves) ASSERT_EQ(play(m), 1) << m;
}

// What the colour commands do: hand the move over, nothing else.
void hand_move_to(int colour) {
    side_to_move = colour;
    side_not_to_move = colour ^ 1;
}

void load(const char* fen) { ASSERT_EQ(load_fen(fen), nullptr) << fen; }

// Positions rich in castling, promotion and en passant for the random games.
const char* const rich_positions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "r3k2r/1pp3pp/8/pP1pPp2/8/8/PPP3PP/R3K2R w KQkq a6 0 1",
};

// Every entry of the ply-0 list in turn: a refused move changes nothing, a
// made one leaves a consistent position and the right undo record, and its
// take-back restores every byte. The legal moves are appended to `legal`.
void try_every_move(std::vector<Move>& legal) {
    search_ply = 0;
    generate_moves();
    const std::vector<ScoredMove> list(move_list + ply_first_move[0], move_list + ply_first_move[1]);
    const State before = current_state();
    for (const ScoredMove& entry : list) {
        const Move m = entry.move;
        const int captured = square_piece[move_to(m)];
        if (make_move(m)) {
            legal.push_back(m);
            ASSERT_TRUE(position_is_ok()) << position_to_fen() << " after " << text_of(m);
            ASSERT_EQ(side_in_check(side_not_to_move), 0);
            ASSERT_EQ(search_ply, before.sply + 1);
            ASSERT_EQ(history_ply, before.hply + 1);
            EXPECT_EQ(fields_of(game_history[history_ply - 1]),
                      (std::array<std::int64_t, 6>{m, captured, before.castle, before.ep, before.clock, before.hash}));
            unmake_move();
        }
        ASSERT_EQ(current_state(), before) << text_of(m);
    }
}

class BoardMakeMove : public ::testing::Test {
protected:
    void SetUp() override { init_zobrist(); }
};
using BoardRepetition = BoardMakeMove;
using BoardSafeguard = BoardMakeMove;

}  // namespace

TEST_F(BoardMakeMove, StartPositionCastlingIsRefusedChangingNothing) {
    reset_position();
    const State before = current_state();
    EXPECT_EQ(play("e1g1"), 0);
    EXPECT_EQ(current_state(), before);
    EXPECT_EQ(play("e1c1"), 0);
    EXPECT_EQ(current_state(), before);
}

TEST_F(BoardMakeMove, DoublePushRecordsAndTakesBackExactly) {
    reset_position();
    const State before = current_state();
    const Move e2e4 = find_move("e2e4");
    EXPECT_EQ(e2e4, pack_move(52, 36, 0, 24));
    ASSERT_EQ(make_move(e2e4), 1);
    EXPECT_EQ(position_to_fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    EXPECT_EQ(side_not_to_move, WHITE);
    EXPECT_EQ(search_ply, 1);
    EXPECT_EQ(history_ply, 1);
    EXPECT_EQ(fields_of(game_history[0]), (std::array<std::int64_t, 6>{e2e4, EMPTY, 15, -1, 0, 0x35BA767C}));
    unmake_move();
    EXPECT_EQ(current_state(), before);
    EXPECT_EQ(position_hash, 0x35BA767Cu);
}

// Where everything lands, written as the position after the move; the
// take-back must then restore the state before it byte for byte.
TEST_F(BoardMakeMove, CastlingPromotionAndEnPassantLandAndTakeBackExactly) {
    const char* const castling_white = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1";
    const char* const castling_black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 1";
    const char* const promotion = "r3k3/1P6/8/8/8/8/8/4K3 w q - 7 30";
    struct Landing { const char* fen; const char* move; const char* after; };
    const Landing cases[] = {
        {castling_white, "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 b kq - 4 1"},
        {castling_white, "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R b kq - 4 1"},
        {castling_black, "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R w KQ - 4 1"},
        {castling_black, "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R w KQ - 4 1"},
        {promotion, "b7a8q", "Q3k3/8/8/8/8/8/8/4K3 b - - 0 1"},  // the capture on a8 ends q too
        {promotion, "b7a8n", "N3k3/8/8/8/8/8/8/4K3 b - - 0 1"},
        {promotion, "b7b8r", "rR2k3/8/8/8/8/8/8/4K3 b q - 0 1"},
        {"4k3/8/8/8/8/8/6p1/4K2R b K - 5 9", "g2h1r", "4k3/8/8/8/8/8/8/4K2r w - - 0 1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 3 1", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 b - - 0 1"},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", "4k3/8/8/8/8/4p3/8/4K3 w - - 0 1"},
    };
    for (const Landing& c : cases) {
        load(c.fen);
        const State before = current_state();
        ASSERT_EQ(play(c.move), 1) << c.move;
        EXPECT_EQ(position_to_fen(), c.after) << c.move;
        EXPECT_TRUE(position_is_ok()) << c.move;
        unmake_move();
        EXPECT_EQ(current_state(), before) << c.move;
    }
}

struct CastlingCase {
    const char* fen;
    const char* move;
    int legal;
};

TEST_F(BoardMakeMove, CastlingNeedsEmptyPathAndNoCheckOnTheKingsWay) {
    const CastlingCase cases[] = {
        {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},  // in check
        {"4k3/4r3/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0},
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},   // crosses f1
        {"4kr2/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 1},
        {"4k1r1/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 0},  // lands on g1
        {"3rk3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0},   // crosses d1
        {"3rk3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 1},
        {"2r1k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 0},  // lands on c1
        {"1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1c1", 1},  // b1 may be attacked
        {"4k2r/8/8/8/8/8/8/R3K2R w KQ - 0 1", "e1g1", 1},   // so may the rook
        {"4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1", "e1g1", 0},  // pawn g2 covers f1
        {"4k3/8/8/8/8/8/1n6/R3K2R w KQ - 0 1", "e1c1", 0},  // knight b2 covers d1
        {"4k3/8/8/8/8/8/1n6/R3K2R w KQ - 0 1", "e1g1", 1},
        {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", "e1c1", 0},   // b1 must be empty
        {"4k3/8/8/8/8/8/8/R3K1nR w KQ - 0 1", "e1g1", 0},   // g1 must be empty
        {"r3k2r/8/8/8/8/8/4R3/4K3 b kq - 0 1", "e8g8", 0},
        {"r3k2r/8/8/8/8/8/4R3/4K3 b kq - 0 1", "e8c8", 0},
        {"r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", "e8g8", 0},
        {"r3k2r/8/8/8/8/8/8/4KR2 b kq - 0 1", "e8c8", 1},
        {"r3k2r/8/8/8/8/8/8/3RK3 b kq - 0 1", "e8c8", 0},
        {"r3k2r/8/8/8/8/8/8/1R2K3 b kq - 0 1", "e8c8", 1},
        {"r3k2r/8/B7/8/8/8/8/4K3 b kq - 0 1", "e8c8", 0},   // bishop a6 covers c8
        {"r3k2r/7P/8/8/8/8/8/4K3 b kq - 0 1", "e8g8", 0},   // pawn h7 covers g8
        {"rn2k2r/8/8/8/8/8/8/4K3 b kq - 0 1", "e8c8", 0},
    };
    for (const CastlingCase& c : cases) {
        load(c.fen);
        const State before = current_state();
        EXPECT_EQ(play(c.move), c.legal) << c.fen << " " << c.move;
        if (c.legal) unmake_move();
        EXPECT_EQ(current_state(), before) << c.fen << " " << c.move;
    }
}

TEST_F(BoardMakeMove, CastlingRightsAreLostForGood) {
    struct RightsCase { const char* fen; std::initializer_list<const char*> moves; int rights; };
    const char* white = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char* black = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
    const RightsCase cases[] = {
        {white, {"h1h8"}, 10},  // a capture on h8 takes Black's kingside right too
        {white, {"a1a8"}, 5},
        {white, {"e1d1"}, 12},
        {white, {"e1f1"}, 12},
        {white, {"a1b1"}, 13},
        {white, {"h1g1"}, 14},
        {white, {"h1h2", "a8a7", "h2h1"}, 6},  // coming home does not restore it
        {black, {"h8h7"}, 11},
        {black, {"a8b8"}, 7},
        {black, {"e8e7"}, 3},
        {black, {"h8h1"}, 10},
    };
    for (const RightsCase& c : cases) {
        load(c.fen);
        for (const char* m : c.moves) ASSERT_EQ(play(m), 1) << m;
        EXPECT_EQ(castle_rights, c.rights) << c.fen << " " << *c.moves.begin();
    }
}

TEST_F(BoardMakeMove, MoveThatLeavesTheKingAttackedIsRefusedChangingNothing) {
    const CastlingCase cases[] = {
        {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e2d3", 0},  // pinned bishop
        {"4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", "e1d1", 1},
        {"4k3/3r4/8/8/8/8/8/4K3 w - - 0 1", "e1d2", 0},    // into the rook's file
        {"4k3/3r4/8/8/8/8/8/4K3 w - - 0 1", "e1f2", 1},
        {"8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5c6", 0},   // en passant opens the rank
        {"8/8/8/KPp4r/8/8/8/4k3 w - c6 0 1", "b5b6", 1},
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1d2", 1},    // taking the checker is fine
        {"4k3/8/8/8/8/8/3q4/4K3 w - - 0 1", "e1e2", 0},
        {"4k3/8/8/8/8/5n2/8/4K3 w - - 0 1", "e1d2", 0},    // out of one knight check into the next
    };
    for (const CastlingCase& c : cases) {
        load(c.fen);
        const State before = current_state();
        EXPECT_EQ(play(c.move), c.legal) << c.fen << " " << c.move;
        if (c.legal) {
            EXPECT_EQ(side_in_check(side_not_to_move), 0);
            unmake_move();
        }
        EXPECT_EQ(current_state(), before) << c.fen << " " << c.move;
    }
}

TEST_F(BoardMakeMove, HalfmoveClockCountsQuietPiecesAndCastlingOnly) {
    load("r3k2r/p6p/8/3pP3/8/8/P4P1P/RN2K2R w KQkq d6 5 1");
    const std::pair<const char*, int> steps[] = {
        {"e5d6", 0}, {"a7a6", 0}, {"b1c3", 1}, {"e8g8", 2},
        {"e1g1", 3}, {"f8f2", 0}, {"g1f2", 0}, {"a8a7", 1},
    };
    for (const auto& [move, clock] : steps) {
        ASSERT_EQ(play(move), 1) << move;
        EXPECT_EQ(halfmove_clock, clock) << move;
    }
}

TEST_F(BoardRepetition, KnightShufflesCountEarlierOccurrences) {
    reset_position();
    play_all({"g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(repetition_count(), 1);
    play_all({"g1f3"});
    EXPECT_EQ(repetition_count(), 1);  // the position after g1f3 occurred once before
    play_all({"g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(repetition_count(), 2);
    play_all({"e2e4"});
    EXPECT_EQ(repetition_count(), 0);
    play_all({"g8f6", "g1f3", "f6g8", "f3g1"});
    EXPECT_EQ(repetition_count(), 0);  // right after e2e4 the ep square was in the hash
    play_all({"g8f6"});
    EXPECT_EQ(repetition_count(), 1);  // only since the pawn move
}

TEST_F(BoardRepetition, LostCastlingRightsDoNotMakeADifferentPosition) {
    reset_position();
    play_all({"e2e4", "e7e5", "g1f3", "g8f6", "e1e2", "e8e7", "e2e1", "e7e8"});
    EXPECT_EQ(castle_rights, 0);
    EXPECT_EQ(repetition_count(), 1);
}

// A clock loaded from FEN may exceed the moves in the history.
TEST_F(BoardRepetition, ClockFromFenLongerThanTheHistory) {
    load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 40 60");
    EXPECT_EQ(repetition_count(), 0);
    play_all({"g1f3", "g8f6", "f3g1", "f6g8"});
    EXPECT_EQ(repetition_count(), 1);
}

// Random games from positions rich in castling, promotion and en passant.
TEST_F(BoardMakeMove, EveryMoveTakesBackExactlyAlongRandomGames) {
    std::mt19937 random(99);
    for (const char* fen : rich_positions) {
        load(fen);
        const State start = current_state();
        for (int ply = 0; ply < 50; ++ply) {
            std::vector<Move> legal;
            ASSERT_NO_FATAL_FAILURE(try_every_move(legal));
            if (legal.empty()) break;
            ASSERT_EQ(make_move(legal[random() % legal.size()]), 1);
        }
        while (history_ply > 0) unmake_move();
        search_ply = 0;
        EXPECT_EQ(current_state(), start) << fen;
    }
}

// After e2e4 the colour command hands the move back to White with ep_square
// still e3; d2 and f2 stand where an en passant capture of e3 would start.
TEST_F(BoardSafeguard, StaleEnPassantSquareAfterHandingTheMoveOver) {
    reset_position();
    play_all({"e2e4"});
    hand_move_to(WHITE);
    search_ply = 0;
    generate_moves();
    const State before = current_state();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        const Move m = move_list[i].move;
        EXPECT_FALSE(move_flags(m) & MOVE_EN_PASSANT) << text_of(m);
        if (make_move(m)) {
            EXPECT_TRUE(position_is_ok());
            unmake_move();
        }
        EXPECT_EQ(current_state(), before) << text_of(m);
    }
    play_all({"g1f3", "e7e5"});  // Black's own double push, then hand it back to Black
    hand_move_to(BLACK);
    std::vector<Move> legal;
    ASSERT_NO_FATAL_FAILURE(try_every_move(legal));
    for (const Move m : legal) EXPECT_FALSE(move_flags(m) & MOVE_EN_PASSANT) << text_of(m);
}

// unmake_move must put back the mover's piece in the mover's colour even
// when the move was handed back to the mover in between.
TEST_F(BoardSafeguard, TakeBackAfterHandingTheMoveBackKeepsTheMoversColour) {
    const CastlingCase cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", WHITE},  // a White pawn back on e2
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", WHITE},
        {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", WHITE},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1c1", WHITE},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", BLACK},
        {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", "d4e3", BLACK},
        {"4k3/8/8/8/8/8/6p1/4K2R b - - 0 1", "g2h1n", BLACK},
    };
    for (const CastlingCase& c : cases) {
        load(c.fen);
        const State before = current_state();
        ASSERT_EQ(play(c.move), 1) << c.move;
        hand_move_to(c.legal);  // the mover is to move again
        unmake_move();
        EXPECT_EQ(current_state(), before) << c.move;
        EXPECT_TRUE(position_is_ok()) << c.move;
    }
}

// White gives check and is handed the move again: every capture of the
// king, which the capture generator puts first, is refused.
TEST_F(BoardSafeguard, KingInCheckCannotBeCapturedBySideHandedTheMove) {
    const std::pair<const char*, const char*> cases[] = {
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", "h1h8"},
        {"4k3/8/8/8/8/8/3P4/4K3 w - - 0 1", "d2d4"},  // no check: nothing to capture
        {"4k3/8/8/1N6/8/8/8/4K3 w - - 0 1", "b5d6"},
        {"3k4/8/4P3/8/8/8/8/4K3 w - - 0 1", "e6e7"},  // then e7 takes d8 four ways
    };
    for (const auto& [fen, move] : cases) {
        load(fen);
        ASSERT_EQ(play(move), 1) << move;
        hand_move_to(WHITE);
        search_ply = 0;
        const State before = current_state();
        for (int pass = 0; pass < 2; ++pass) {
            pass == 0 ? generate_moves() : generate_captures();
            for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
                const Move m = move_list[i].move;
                const bool takes_king = square_piece[move_to(m)] == KING;
                const int result = make_move(m);
                if (takes_king) {
                    EXPECT_EQ(result, 0) << fen << " " << text_of(m);
                }
                if (result) {
                    EXPECT_TRUE(position_is_ok()) << text_of(m);
                    unmake_move();
                }
                EXPECT_EQ(current_state(), before) << text_of(m);
            }
        }
    }
}

// Games in which the colour commands hand the move over at random points,
// as in force mode: the board stays a chess position throughout and
// taking everything back returns to the start.
TEST_F(BoardSafeguard, RandomPlayWithColourChangesStaysConsistent) {
    std::mt19937 random(5);
    for (const char* fen : rich_positions) {
        for (int game = 0; game < 2; ++game) {
            load(fen);
            const State start = current_state();
            for (int ply = 0; ply < 80; ++ply) {
                if (random() % 4 == 0) hand_move_to(random() % 2);
                std::vector<Move> legal;
                ASSERT_NO_FATAL_FAILURE(try_every_move(legal));
                if (legal.empty()) break;
                ASSERT_EQ(make_move(legal[random() % legal.size()]), 1);
            }
            while (history_ply > 0) {
                unmake_move();
                search_ply = 0;  // as the front end does after a take-back
                ASSERT_TRUE(position_is_ok(false));
            }
            const State end = current_state();
            EXPECT_EQ(end.color, start.color) << fen;
            EXPECT_EQ(end.piece, start.piece) << fen;
            EXPECT_EQ(end.hash, start.hash) << fen;
        }
    }
}
