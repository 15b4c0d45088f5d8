// xboard protocol 2 through the real executable: the features, the commands
// every interface sends, set-up, claims by the rules, and bad input.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "long_game.h"
#include "session.h"

namespace {

const std::string PROTOVER = "xboard\nprotover 2\n";
const std::string FEATURES =
    "feature done=0 myname=\"Tavrin 1.7\" variants=\"normal\" setboard=1 ping=1 playother=1 usermove=0\n"
    "feature option=\"Search -combo classic /// *strong\"\n"
    "feature option=\"Move Overhead -spin 50 0 5000\"\n"
    "feature option=\"Clear Hash -button\"\n"
    "feature option=\"MultiPV -spin 1 1 256\"\n"
    "feature option=\"UCI_LimitStrength -check 0\"\n"
    "feature option=\"UCI_Elo -spin 1800 1350 2200\"\n"
    "feature option=\"Skill Level -spin 20 0 20\"\n"
    "feature option=\"BookFile -file book.book\"\n"
    "feature option=\"Eval -combo *tuned /// network\"\n"
    "feature option=\"EvalFile -file <built-in>\"\n"
    "feature memory=1 smp=1 time=1 draw=0 sigint=0 sigterm=0 reuse=1 colors=0 analyze=1 done=1\n";

// What the engine printed after its features.
std::string session2(const std::string& input, const std::string& book = "") {
    const std::string out = session(PROTOVER + input, book);
    EXPECT_EQ(out.substr(0, FEATURES.size()), FEATURES);
    return out.size() >= FEATURES.size() ? out.substr(FEATURES.size()) : out;
}

TEST(Xboard2, FeaturesAnswerProtoverAndOnlyVersionTwoOrLaterSwitches) {
    EXPECT_EQ(session(PROTOVER), FEATURES);
    // Protocol 1 stays as it was; "xboard" is taken silently in both.
    EXPECT_EQ(session("xboard\nprotover 1\nfoo\n"), refused("protover") + refused("foo"));
    EXPECT_EQ(session("xboard\nprotover 3\nfoo\n"), FEATURES + "Error (unknown command): foo\n");
}

TEST(Xboard2, WhatEveryInterfaceSendsIsTakenSilently) {
    const std::string input = "new\nrandom\nlevel 40 5 0\nhard\neasy\ncomputer\npost\nname Fairy-Max 5.0\nrating 2100 1800\nics -\naccepted setboard\nrejected san\n"
                              "time 30000\notim 30000\nforce\nresult 1-0 {White mates}\nxboard\n";
    EXPECT_EQ(session2(input), "");
}

TEST(Xboard2, PingIsAnsweredAfterEverythingBeforeIt) {
    EXPECT_EQ(mask_search(session2("new\nsd 2\ne2e4\nping 17\nping -3\nping\nping x\n")),
              "move <m>\npong 17\npong -3\nError (bad parameters): ping\nError (bad parameters): ping x\n");
}

TEST(Xboard2, RefusalsInTheProtocolsOwnWords) {
    EXPECT_EQ(session2("force\nfoo\ne2e5\ni2i4\ne7e5\ne2e4\ne1g1\n"),
              "Error (unknown command): foo\nIllegal move: e2e5\nIllegal move: i2i4\nIllegal move: e7e5\n"
              "Illegal move: e1g1\n");
}

TEST(Xboard2, SetboardStartsAGameInForceModeAndPlayotherHandsTheEngineTheOtherSide) {
    // Force mode: both moves are accepted and the engine stays quiet.
    EXPECT_EQ(session2("new\nsd 2\nsetboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\nb7b8n\ne8e7\nundo\nundo\nundo\n"), "");
    // The under-promotion is on the engine's board: only a knight reaches d7 from b8.
    EXPECT_EQ(session2("setboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\nb7b8n\ne8e7\nb8d7\n"), "");
    EXPECT_EQ(session2("setboard 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1\nb7b8q\ne8e7\nb8d7\n"), "Illegal move: b8d7\n");
    // playother: the engine takes the side not to move and answers the move.
    EXPECT_EQ(mask_search(session2("sd 2\nsetboard 4k3/8/8/8/8/8/3P4/4K3 b - - 0 1\nplayother\ne8d7\n")),
              "move <m>\n");
}

TEST(Xboard2, RefusedPositionsLeaveTheGameAsItWas) {
    const std::string kings7 = "setboard kkkkkkk1/8/8/8/8/8/8/4K3 w - - 0 1\n";
    const std::string huge = "setboard " + std::string(5000, 'p') + " w - - 0 1\n";
    const std::string illegal = "tellusererror Illegal position\n";
    EXPECT_EQ(session2("force\ne2e4\n" + kings7 + huge + "setboard\nsetboard \ne7e5\n"),
              illegal + illegal + illegal + illegal);
}

TEST(Xboard2, BadClockCommandsAreRefusedAndChangeNothing) {
    EXPECT_EQ(session2("level\nlevel 40\nlevel 40 5\nlevel x 5 0\nlevel 40 5 0 extra\nst\nsd\nsd 0\ntime\notim x\n"),
              "Error (bad parameters): level\nError (bad parameters): level 40\nError (bad parameters): level 40 5\n"
              "Error (bad parameters): level x 5 0\nError (bad parameters): level 40 5 0 extra\n"
              "Error (bad parameters): st\nError (bad parameters): sd\nError (bad parameters): sd 0\n"
              "Error (bad parameters): time\nError (bad parameters): otim x\n");
    // Huge numbers are clamped: the engine still moves.
    EXPECT_EQ(mask_search(session2("new\nlevel 99999999999 99999999999:99999 99999999999\nsd 2\n"
                                   "time 99999999999\ne2e4\n")),
              "move <m>\n");
}

TEST(Xboard2, SdCapsTheDepthWithAClockOrAlone) {
    const std::string out = session2("new\nlevel 40 5 0\nsd 3\npost\ntime 30000\ne2e4\n");
    EXPECT_EQ(mask_search(out), "1 <thinking>\n2 <thinking>\n3 <thinking>\nmove <m>\n");
    // Without a time control the depth alone ends the search.
    EXPECT_EQ(mask_search(session2("new\nsd 2\npost\ne2e4\n")), "1 <thinking>\n2 <thinking>\nmove <m>\n");
}

TEST(Xboard2, RepetitionIsClaimedAtTheThirdOccurrenceEvenByTheEnginesOwnMove) {
    // White's king can only step between a1 and a2; the bishop keeps a3 covered.
    const std::string setup = "setboard 8/8/8/2b5/8/8/2k5/K7 b - - 0 1\nsd 1\nplayother\n";
    EXPECT_EQ(session2(setup + moves("c5d6 d6c5 c5d6 d6c5")),
              "move a1a2\nmove a2a1\nmove a1a2\nmove a2a1\n" + REPETITION);
    // Protocol 1 claims only the fourth occurrence.
    const std::string v1 = session("new\nforce\n" + moves("g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1 f6g8"));
    EXPECT_EQ(v1, "");
}

TEST(Xboard2, MateScoresReadAsMates) {
    // White mates in one with Rd8, seen by the classic search from depth 2
    // on, by the strong one at once.
    std::string out = session2("option Search=classic\nsetboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\nsd 2\npost\ngo\n");
    EXPECT_TRUE(std::regex_search(out, std::regex("\n2 100001 \\d+ \\d+ d1d8\n"))) << out;
    EXPECT_NE(out.find("move d1d8\n1-0 {White wins}\n"), std::string::npos) << out;
    out = session2("setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\nsd 2\npost\ngo\n");
    EXPECT_TRUE(std::regex_search(out, std::regex("(^|\n)1 100001 \\d+ \\d+ d1d8\n"))) << out;
    EXPECT_NE(out.find("move d1d8\n1-0 {White wins}\n"), std::string::npos) << out;
    // A mated engine does not think any more.
    EXPECT_EQ(session2("setboard 3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1\nsd 2\npost\ngo\nping 1\n"), "pong 1\n");
}

TEST(Xboard2, GamesOfThousandsOfPliesArePlayedToTheirEndInBothVersions) {
    std::string game;
    for (const std::string& move : long_legal_game(2400, 11)) game += move + "\n";
    // Nothing to announce on the way; then the engine answers at ply 2400.
    EXPECT_EQ(mask_search(session("force\n" + game + "sd 2\ngo\n", "", 60000)), "move <m>\n");
    EXPECT_EQ(mask_search(session2("force\n" + game + "sd 2\ngo\n")), "move <m>\n");
}

// An engine in protocol 2, past its features.
class Xboard2Engine : public Conversation {
public:
    Xboard2Engine() {
        send("xboard");
        send("protover 2");
        EXPECT_NE(next("feature memory=1"), "");
    }
};

TEST(Xboard2Listening, MoveNowPlaysTheBestMoveSoFar) {
    Xboard2Engine xb;
    xb.send("new");
    xb.send("st 600");
    xb.send("post");
    xb.send("e2e4");
    ASSERT_NE(xb.next("3 "), "");
    xb.send("?");
    xb.send("ping 1");
    EXPECT_TRUE(std::regex_match(xb.next("move "), std::regex("move [a-h][1-8][a-h][1-8]")));
    EXPECT_EQ(xb.next_line(), "pong 1");
    EXPECT_EQ(xb.quit(), 0);
}

TEST(Xboard2Listening, PingWaitsForTheMoveAndForceOrUndoEndsTheSearchWithoutOne) {
    for (const std::string ender : {"force", "undo"}) {
        Xboard2Engine xb;
        xb.send("new");
        xb.send("st 600");
        xb.send("post");
        xb.send("e2e4");
        xb.send("ping 2");
        ASSERT_NE(xb.next("2 "), "");
        xb.send(ender);
        xb.send("ping 3");
        // No move: the search ended for the command. Both pings in order.
        EXPECT_EQ(xb.next("pong"), "pong 2") << ender;
        EXPECT_EQ(xb.next_line(), "pong 3") << ender;
        // After "undo" White is to move again; after "force" Black is.
        xb.send("force");
        xb.send(ender == "undo" ? "e2e4" : "e7e5");
        xb.send("ping 4");
        EXPECT_EQ(xb.next_line(), "pong 4") << ender;
        EXPECT_EQ(xb.quit(), 0);
    }
}

TEST(Xboard2Listening, AnalysisSearchesWithoutEndAndStartsAgainAfterEveryChange) {
    Xboard2Engine xb;
    xb.send("new");
    xb.send("post");
    xb.send("analyze");
    ASSERT_NE(xb.next("4 "), "");
    xb.send(".");
    EXPECT_TRUE(std::regex_match(xb.next("stat01:"), std::regex("stat01: \\d+ \\d+ \\d+ \\d+ 20")));
    xb.send("e2e4");  // Black's 20 replies now
    const std::string first = xb.next("1 ");
    EXPECT_TRUE(std::regex_match(first, std::regex("1 -?\\d+ \\d+ \\d+ [a-h][27][a-h][56]"))) << first;
    xb.send("undo");
    ASSERT_NE(xb.next("1 "), "");
    xb.send("setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    EXPECT_NE(xb.next_with(" 100001 "), "");  // finds the mate, and rests
    xb.send("ping 5");
    EXPECT_EQ(xb.next_line(), "pong 5");
    EXPECT_TRUE(xb.silent_for(300));
    // At rest it still analyses every new position: Black's replies to Kf1.
    xb.send("g1f1");
    EXPECT_TRUE(std::regex_match(xb.next("1 "), std::regex("1 -?\\d+ \\d+ \\d+ [a-h][78][a-h][5-8]")));
    xb.send("exit");
    xb.send("ping 6");
    EXPECT_EQ(xb.next("pong"), "pong 6");
    xb.send("new");
    xb.send("ping 7");
    EXPECT_EQ(xb.next_line(), "pong 7");  // no analysis, no move: White to move, engine Black
    EXPECT_EQ(xb.quit(), 0);
}

}  // namespace
