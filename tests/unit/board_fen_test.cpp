// FEN in and out: round trips, rights dropped when king or rook is away,
// and refusals of malformed text that leave the position untouched.
#include <gtest/gtest.h>

#include <string>

#include "board_support.h"

namespace {

// The first five fields; the move number is not kept.
std::string without_move_number(const std::string& fen) { return fen.substr(0, fen.find_last_of(' ')); }

}  // namespace

// Over a game in progress, in the middle of a search: the start FEN and
// reset_position set the same state, and a fresh ply-0 list.
TEST(BoardFen, StartFenEqualsResetPosition) {
    for (bool by_fen : {false, true}) {
        load("r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 17 40");
        play("e5d6 a8b8");
        search_ply = 5;
        ply_first_move[0] = 9;
        if (by_fen) load(START_FEN);
        else reset_position();
        EXPECT_EQ(position_to_fen(), START_FEN);
        EXPECT_EQ(search_ply, 0);
        EXPECT_EQ(history_ply, 0);
        EXPECT_EQ(ply_first_move[0], 0);
        EXPECT_EQ(position_hash, 0x35BA767Cu);
        EXPECT_TRUE(position_is_ok());
    }
}

TEST(BoardFen, RoundTrips) {
    const char* const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
        "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3",
        "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b Kq d3 0 3",
        "4k3/8/8/8/8/8/8/4K3 b - - 99 200",
    };
    for (const char* fen : fens) {
        ASSERT_EQ(load_fen(fen), nullptr) << fen;
        EXPECT_TRUE(position_is_ok()) << fen;
        EXPECT_EQ(without_move_number(position_to_fen()), without_move_number(fen));
    }
}

TEST(BoardFen, FieldsAreRead) {
    ASSERT_EQ(load_fen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w Kq d6 37 3"), nullptr);
    EXPECT_EQ(side_to_move, WHITE);
    EXPECT_EQ(side_not_to_move, BLACK);
    EXPECT_EQ(castle_rights, CASTLE_WHITE_KINGSIDE | CASTLE_BLACK_QUEENSIDE);
    EXPECT_EQ(ep_square, 19);
    EXPECT_EQ(halfmove_clock, 37);
    const std::uint32_t with_ep = position_hash;
    ASSERT_EQ(load_fen("rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w Kq - 37 3"), nullptr);
    EXPECT_EQ(with_ep ^ position_hash, zobrist_ep[19]);

    ASSERT_EQ(load_fen("  4k3/8/8/8/8/8/8/4K3   b   -   -\n"), nullptr);  // four fields, loose blanks
    EXPECT_EQ(side_to_move, BLACK);
    EXPECT_EQ(side_not_to_move, WHITE);
    EXPECT_EQ(halfmove_clock, 0);
    EXPECT_EQ(castle_rights, 0);
}

TEST(BoardFen, RightsWithoutKingOrRookAtHomeAreDropped) {
    ASSERT_EQ(load_fen("r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq - 0 1"), nullptr);
    EXPECT_EQ(castle_rights, 14);
    ASSERT_EQ(load_fen("r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1"), nullptr);
    EXPECT_EQ(castle_rights, 12);
    ASSERT_EQ(load_fen("1r2k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1"), nullptr);
    EXPECT_EQ(castle_rights, 7);
    ASSERT_EQ(load_fen("r3k2b/8/8/8/8/8/8/R3K2R b KQkq - 0 1"), nullptr);  // a bishop is no rook
    EXPECT_EQ(castle_rights, 11);
    ASSERT_EQ(load_fen("R3k2r/8/8/8/8/8/8/rN2K2R b KQkq - 0 1"), nullptr);  // nor one of the other colour
    EXPECT_EQ(castle_rights, 5);
    // No castling entry may then appear for a missing rook.
    search_ply = 0;
    generate_moves();
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i)
        if (move_flags(move_list[i].move) & MOVE_CASTLE) {
            EXPECT_EQ(move_to(move_list[i].move), 6);
        }
}

TEST(BoardFen, MalformedTextIsRefusedAndChangesNothing) {
    const char* const bad[] = {
        "",
        "   ",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 x",
        // placement
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN0 w KQkq - 0 1",
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/ppppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8p/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/81/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq - 0 1",
        "rnbqkbnr/pppppppp//8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        // kings and pawns
        "rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w KQkq - 0 1",
        "4k3/8/8/8/8/8/8/8 w - - 0 1",
        "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/p3K3 w - - 0 1",
        // side to move, and the side not to move in check
        "4k3/8/8/8/8/8/8/4K3 x - - 0 1",
        "4k3/8/8/8/8/8/8/4K3 W - - 0 1",
        "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",
        "4k3/8/8/8/8/8/8/r3K3 b - - 0 1",
        // castling
        "r3k2r/8/8/8/8/8/8/R3K2R w KQkx - 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R w KK - 0 1",
        "r3k2r/8/8/8/8/8/8/R3K2R w -K - 0 1",
        // en passant
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e6 0 1",
        "4k3/8/4n3/4p3/8/8/8/4K3 w - e6 0 1",
        "4k3/4p3/8/4p3/8/8/8/4K3 w - e6 0 1",
        "4k3/8/8/4P3/8/8/8/4K3 w - e6 0 1",
        "4k3/8/8/8/4P3/8/8/4K3 w - e3 0 1",
        "4k3/8/8/8/4P3/8/8/4K3 b - e6 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - i6 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - e9 0 1",
        "4k3/8/8/8/8/8/8/4K3 w - e 0 1",
        "4k3/8/8/4p3/8/8/8/4K3 w - e66 0 1",
        // clocks
        "4k3/8/8/8/8/8/8/4K3 w - - x 1",
        "4k3/8/8/8/8/8/8/4K3 w - - -1 1",
        "4k3/8/8/8/8/8/8/4K3 w - - 1.5 1",
        "4k3/8/8/8/8/8/8/4K3 w - - 99999999999 1",
        "4k3/8/8/8/8/8/8/4K3 w - - 0 abc",
    };
    // A game in progress, in the middle of a search, so that every field
    // differs from what a successful load would set.
    ASSERT_EQ(load_fen("r3k2r/8/8/8/8/8/3P4/R3K2R w KQkq - 9 20"), nullptr);
    play("d2d4");  // sets ep_square
    search_ply = 3;
    const PositionSnapshot before = take_snapshot();
    const int first = ply_first_move[0] = 7;
    for (const char* fen : bad) {
        const char* message = load_fen(fen);
        ASSERT_NE(message, nullptr) << "accepted: \"" << fen << "\"";
        EXPECT_GT(std::string(message).size(), 0u);
        EXPECT_EQ(take_snapshot(), before) << fen;
        EXPECT_EQ(ply_first_move[0], first) << fen;
    }
    EXPECT_NE(load_fen(nullptr), nullptr);
    EXPECT_EQ(take_snapshot(), before);
}
