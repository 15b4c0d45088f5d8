// Refereeing a game through the real executable: move input, take-backs,
// result lines and their precedence, promotions and the colour commands.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <sstream>

#include "session.h"

namespace {

// The shortest stalemate; c8e6 makes it.
const std::string STALEMATE_BUT_ONE = moves(
    "e2e3 a7a5 d1h5 a8a6 h5a5 h7h5 h2h4 a6h6 a5c7 f7f6 c7d7 e8f7 d7b7 d8d3 b7b8 d3h7 b8c8 f7g6");

// The quiet walks below were found by a random search over the engine's own
// moves: no capture, pawn move, castling or check, no position twice.

// 100 such plies after e2e4 e7e5; White's knight on h3 and Black's on b8
// are free to shuffle afterwards.
const std::string QUIET_100 = moves(R"(
    f1d3 d8f6 d3f1 f6g6 d1f3 b8c6 g1h3 c6d4 f3f6 f8e7 f6g5 g6f6 h3g1 d4c6 b1a3 g8h6 a3c4 e7f8 g5g6 f6e6
    g6f6 e6d5 f6f5 f8a3 f1e2 a3c5 e2g4 c5b4 g1e2 b4c5 f5f6 d5d6 c4a5 c5a3 a5b3 h6f5 b3c5 a3b4 f6g6 d6d3
    g6h6 d3e3 c5e6 c6e7 g4h3 e3a3 e2f4 e7d5 f4h5 b4a5 h6g5 d5f6 h5g3 f5e7 g5e3 a3d3 e3h6 d3d5 e6g5 e7g6
    h3e6 a5b6 h6h5 d5b3 e6g4 b3c4 g5f3 c4a6 g4h3 b6d4 h5g5 g6e7 h3g4 f6d5 g3e2 e7f5 g5e3 a6e6 f3g5 e6c6
    g4h5 d4b6 e3f4 f5e7 h5f3 d5b4 e2g1 b4a6 f3e2 c6f6 g1h3 e7f5 e2c4 a6b8 c4d3 b6a5 g5f3 f6c6 d3b5 c6d6)");

// 100 plies out and back from the fool's mate position before d8h4.
const std::string FOOLS_MATE_ROUND_TRIP = moves(R"(
    g8f6 f1h3 f8d6 b1c3 b8a6 h3f1 d8e7 f1g2 e8f8 c3e4 e7e6 e4g3 e6b3 g1h3 b3b6 h3g5 b6c5 g2h3 f6e8 h3g2
    c5c4 g3f1 a6c5 g5h3 c4b5 h3f2 b5b6 f2e4 c5a4 f1g3 b6b5 e4c5 f8e7 c5b3 a4c3 b3d4 b5c6 d4e6 c6d5 e6f4
    d6c5 f4e6 c5e3 e6f4 e3b6 g3f1 d5d3 f1g3 d3f5 f4e6 f5d3 e6f4 d3d5 g3f1 b6e3 f1g3 e3c5 f4e6 c5d6 e6f4
    d5c6 f4e6 c6b5 e6d4 c3a4 d4b3 e7f8 b3c5 b5b6 c5e4 a4c5 g3f1 b6b5 e4f2 b5c4 f2h3 c5a6 h3g5 c4c5 f1g3
    e8f6 g2h3 c5b6 h3g2 b6b3 g5h3 b3e6 h3g1 e6e7 g3e4 f8e8 e4c3 e7d8 g2f1 a6b8 f1h3 d6f8 c3b1 f6g8 h3f1)");

// 100 plies out and back from the stalemate position before c8e6.
const std::string STALEMATE_ROUND_TRIP = moves(R"(
    c8c3 g6f7 c3e5 h7f5 g1e2 f5e4 e5h2 e4c4 e2g3 c4a6 f1b5 f7g6 h2g1 a6b7 b5a4 b7f3 a4b3 f3f4 g1f1 f4f5
    b3e6 f5c5 f1c4 c5f5 g3e2 g6h7 c4d5 f5h3 d5b5 h7g6 b1a3 h3f5 b5b3 f5h3 b3b6 h3g3 b6d4 g3b8 d4a7 b8c7
    a3c4 c7c5 c4b6 c5d5 b6c8 d5c6 a7c7 c6c4 e6d7 c4a4 d7e6 a4c4 c7a7 c4c6 c8b6 c6d5 b6c4 d5c5 c4a3 c5c7
    a7d4 c7b8 d4b6 b8g3 b6b3 g3h3 b3b5 h3f5 a3b1 f5h3 b5d5 g6h7 d5c4 h3f5 e2g3 h7g6 c4f1 f5c5 e6b3 c5f5
    f1g1 f5f4 b3a4 f4f3 a4b5 f3b7 g1h2 b7a6 b5f1 g6f7 g3e2 a6c4 h2e5 c4e4 e2g1 e4f5 e5c3 f5h7 c3c8 f7g6)");

// Feeds `game` one move per line with a numbered marker after each, and
// builds the expected text from the result lines due after given plies.
struct MarkedGame {
    std::string input;
    std::string expected;
};

MarkedGame marked(const std::string& game, const std::map<int, std::string>& results) {
    std::istringstream in(game);
    std::string move;
    MarkedGame out;
    for (int ply = 1; in >> move; ++ply) {
        const std::string marker = "mark" + std::to_string(ply);
        out.input += move + "\n" + marker + "\n";
        if (results.count(ply)) out.expected += results.at(ply);
        out.expected += refused(marker);
    }
    return out;
}

}  // namespace

TEST(ProtocolReferee, MoveTextMustNameAMoveOfTheSideToMove) {
    EXPECT_EQ(session("force\ni2i4\ne9e4\ne0e1\ne2\nE2E4\n e2e4\ne2e5\ne7e5\n"
                      "e2e4 with more words\ne2e4\nd2d4\ne7e5\n"),
              refused("i2i4") + refused("e9e4") + refused("e0e1") + refused("e2") + refused("E2E4") +
                  refused("e2e4") + refused("e2e5") + refused("e7e5") + refused("e2e4") + refused("d2d4"));
}

TEST(ProtocolReferee, IllegalMovesAreRefusedAndLeaveTheSideToMove) {
    // In check from b4: a move ignoring it, then the pinned blocker leaving
    // the line, are refused; moving along the line is not.
    EXPECT_EQ(session("force\n" + moves("e2e4 e7e5 d2d3 f8b4 g1f3 c1d2 a7a6 d2e3 d2c3 a6a5")),
              refused("g1f3") + refused("d2e3"));
    // Black may not castle across f8, which the bishop on a3 attacks; White may.
    EXPECT_EQ(session("force\n" + moves("b2b3 e7e6 e2e3 f8c5 c1a3 c5b6 g1f3 g8f6 f1e2 e8g8 h7h6 e1g1")),
              refused("e8g8"));
    // En passant right after the double step takes the pawn; a move later it is gone.
    EXPECT_EQ(session("force\n" + moves("e2e4 a7a6 e4e5 d7d5 e5d6 d8d6") + "remove\n" +
                      moves("g1f3 a6a5 e5d6")),
              refused("e5d6"));
}

TEST(ProtocolReferee, UndoTakesBackOneMoveAndRemoveTwo) {
    // Nothing to take back at the start; "remove" needs two moves.
    EXPECT_EQ(session("undo\nremove\nforce\ne2e4\nremove\ne7e5\n"), "");
    EXPECT_EQ(session("force\ne2e4\nundo\ne7e5\ne2e4\n"), refused("e7e5"));
    EXPECT_EQ(session("force\ne2e4\ne7e5\nremove\ne2e4\ne7e5\n"), "");
    // "undo" of the engine's reply gives it the move again at once; "remove"
    // takes back the pair and waits for White.
    EXPECT_EQ(mask_search(session("sd 1\nnew\ne2e4\nundo\nremove\ne2e4\n")), "move <m>\nmove <m>\nmove <m>\n");
    // A result is announced again only when the move is played again.
    EXPECT_EQ(session("force\n" + FOOLS_MATE + "undo\nd8h4\nundo\nd8g5\n"), BLACK_WINS + BLACK_WINS);
}

TEST(ProtocolReferee, MateAndStalemateAreAnnounced) {
    EXPECT_EQ(session("force\n" + SCHOLARS_MATE_BUT_ONE + "h5f7\ne8e7\n"), WHITE_WINS + refused("e8e7"));
    EXPECT_EQ(session("force\n" + FOOLS_MATE + "a2a3\ne1f2\n"), BLACK_WINS + refused("a2a3") + refused("e1f2"));
    EXPECT_EQ(session("force\n" + STALEMATE_BUT_ONE + "c8e6\ng6f7\ng6g5\n"),
              STALEMATE + refused("g6f7") + refused("g6g5"));
}

TEST(ProtocolReferee, EngineMateIsAnnouncedAfterItsMove) {
    // Taken back, the mate is played again: the engine keeps its side.
    EXPECT_EQ(session("sd 2\nforce\n" + moves("f2f3 e7e5 g2g4") + "go\nundo\n"),
              "move d8h4\n" + BLACK_WINS + "move d8h4\n" + BLACK_WINS);
    // The only mate in one; the engine, then to play Black, finds no move.
    EXPECT_EQ(session("sd 2\nforce\n" + SCHOLARS_MATE_BUT_ONE + "go\ngo\nundo\nh5f7\n"),
              "move h5f7\n" + WHITE_WINS + WHITE_WINS);
    // Mated by the interface, the engine falls silent into force mode.
    EXPECT_EQ(session("sd 1\nforce\nf2f3\ne7e5\ng2g4\nblack\nd8h4\ne2e3\nundo\nd8h4\n"),
              BLACK_WINS + refused("e2e3") + BLACK_WINS);
}

TEST(ProtocolReferee, RepetitionIsAnnouncedOnTheFourthOccurrenceOnly) {
    // Every position of the knight dance stands for the fourth time from
    // ply 12 to 15; the fifth and sixth times are not announced.
    const MarkedGame game = marked(moves("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 "
                                         "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8 g1f3"),
                                   {{12, REPETITION}, {13, REPETITION}, {14, REPETITION}, {15, REPETITION}});
    EXPECT_EQ(session("force\n" + game.input), game.expected);
}

TEST(ProtocolReferee, FiftyMoveLineAfterEveryMoveFromTheHundredthQuietPly) {
    // Plies 1 and 2 are pawn moves, so the counter reaches 100 at ply 102.
    // The knight dance then repeats its positions: repetition wins over the
    // fifty-move line, and a pawn move ends both.
    const std::string dance = "h3g1 b8a6 g1h3 a6b8 h3g1 b8a6 g1h3 a6b8 h3g1 b8a6 g1h3 a6b8 "
                              "h3g1 b8a6 g1h3 a6b8 h3g1 a7a6 g1h3";
    std::map<int, std::string> results;
    for (int ply = 102; ply <= 119; ++ply) results[ply] = FIFTY_MOVES;
    for (int ply = 114; ply <= 117; ++ply) results[ply] = REPETITION;
    const MarkedGame game = marked("e2e4 e7e5 " + QUIET_100 + dance, results);
    EXPECT_EQ(session("force\n" + game.input), game.expected);
}

TEST(ProtocolReferee, MateAndStalemateWinOverTheFiftyMoveRule) {
    // The counter reaches 100 on the round trip's last ply; the mate comes at 101.
    EXPECT_EQ(session("force\n" + moves("f2f3 e7e5 g2g4") + FOOLS_MATE_ROUND_TRIP + "d8h4\n"),
              FIFTY_MOVES + BLACK_WINS);
    // Here it counts from g6 (one ply before the trip): 100 and 101, then 102 with stalemate.
    EXPECT_EQ(session("force\n" + STALEMATE_BUT_ONE + STALEMATE_ROUND_TRIP + "c8e6\n"),
              FIFTY_MOVES + FIFTY_MOVES + STALEMATE);
}

TEST(ProtocolReferee, PromotionTextSelectsItsPieceAfterAHintReorderedTheMoves) {
    // White's pawn reaches h7 with h8 free; from h8 the new piece is probed
    // by g6 (knight), g7 (bishop, queen) and h7 (rook, queen).
    const std::string to_h7 = "force\n" + moves("h2h4 g7g5 h4g5 g8f6 g5g6 h8g8 g6h7 b8c6") + "sd 2\n";
    struct Case {
        const char* suffix;
        bool knight, diagonal, straight;
    };
    for (const Case& c : {Case{"N", true, false, false}, Case{"B", false, true, false},
                          Case{"R", false, false, true}, Case{"Q", false, true, true},
                          Case{"q", false, true, true}, Case{"n", true, false, false},
                          Case{"b", false, true, false}, Case{"r", false, false, true},
                          Case{"", false, true, true}, Case{"R\r", false, false, true},
                          Case{"N extra", true, false, false}}) {
        std::string input = to_h7 + "hint\nh7h8" + c.suffix + "\na7a6\n";
        std::string expected = "Hint: <m>\n";
        const std::pair<std::string, bool> probes[] = {{"h8g6", c.knight}, {"h8g7", c.diagonal}, {"h8h7", c.straight}};
        for (const auto& [probe, fits] : probes) {
            input += probe + (fits ? "\nundo\n" : "\n");
            if (!fits) expected += refused(probe);
        }
        EXPECT_EQ(mask_search(session(input)), expected) << "h7h8" << c.suffix;
    }
}

TEST(ProtocolReferee, ColourCommandsKeepPositionsPossible) {
    // Taking back after "white": the pawn goes home as White's.
    EXPECT_EQ(session("force\ne2e4\nwhite\nundo\ne2e4\ne7e5\n"), "");
    EXPECT_EQ(session("force\ne2e4\nblack\nundo\ne2e4\n"), "");
    // No en passant onto the square that one's own pawn just passed.
    EXPECT_EQ(session("force\nd2d4\nwhite\ne2d3\nc2d3\ne2e3\n"), refused("e2d3") + refused("c2d3"));
    EXPECT_EQ(session("force\ne2e4\ne7e5\nblack\nd7e6\nf7e6\nd7d6\n"), refused("d7e6") + refused("f7e6"));
    // Handed the move after mating, the mating side may not take the king.
    EXPECT_EQ(session("force\n" + FOOLS_MATE + "black\nh4e1\nd7d6\n"), BLACK_WINS + refused("h4e1") + BLACK_WINS);
    EXPECT_EQ(session("force\n" + SCHOLARS_MATE_BUT_ONE + "h5f7\nwhite\nf7e8\n"), WHITE_WINS + refused("f7e8"));
}

TEST(ProtocolReferee, EngineNeverTakesAKingAfterAColourCommand) {
    // After the mate the engine is given the mating side again; the king
    // stands en prise but may not be taken.
    const std::string tail = "new\nforce\n" + FOOLS_MATE;
    const std::string black_again =
        session("sd 2\nforce\n" + FOOLS_MATE + "black\ngo\nwhite\ngo\nhint\nundo\nundo\nundo\n" + tail);
    EXPECT_EQ(black_again.find("h4e1"), std::string::npos) << black_again;
    EXPECT_EQ(mask_search(black_again).substr(0, BLACK_WINS.size() + 9), BLACK_WINS + "move <m>\n") << black_again;
    EXPECT_EQ(black_again.substr(black_again.size() - BLACK_WINS.size()), BLACK_WINS);

    const std::string white_again =
        session("sd 2\nforce\n" + SCHOLARS_MATE_BUT_ONE + "h5f7\nwhite\ngo\ngo\nhint\nremove\n" + tail);
    EXPECT_EQ(white_again.find("f7e8"), std::string::npos) << white_again;
    EXPECT_EQ(mask_search(white_again).substr(0, WHITE_WINS.size() + 9), WHITE_WINS + "move <m>\n") << white_again;
    EXPECT_EQ(white_again.substr(white_again.size() - BLACK_WINS.size()), BLACK_WINS);
}
