// The command table through the real executable: word matching, sides,
// search limits, thinking output and hints.
#include <gtest/gtest.h>

#include <algorithm>

#include "session.h"

TEST(ProtocolCommands, StartUpTextComesBeforeAnyInputAndNoMoveFollows) {
    TempDir dir;
    EngineProcess engine(dir.path);
    EXPECT_EQ(engine.read_start_up(10000), banner(false));
    engine.send("quit");
    EXPECT_EQ(engine.wait(10000), 0);
    // Limits alone give the engine no side: nothing more is printed.
    EXPECT_EQ(session("sd 1\n"), "");
}

TEST(ProtocolCommands, QuitEndsTheRunAtOnce) {
    EXPECT_EQ(session("quit\nfoo\n"), "");
    EXPECT_EQ(session("quit now\nfoo\n"), "");
    EXPECT_EQ(session("quitx\nQuit\n"), refused("quitx") + refused("Quit"));
}

TEST(ProtocolCommands, CommandWordsMatchWholeAndCaseSensitive) {
    // "new" after two moves is visible: e2e4 is playable again.
    EXPECT_EQ(session("force\ne2e4\ne7e5\n new\ne2e4\n"), "");
    EXPECT_EQ(session("force\ne2e4\ne7e5\n\tnew\ne2e4\n"), "");
    EXPECT_EQ(session("force\ne2e4\ne7e5\nnew game\ne2e4\n"), "");
    // Near misses change nothing: f1c4 needs the e-pawn already moved.
    EXPECT_EQ(session("force\ne2e4\ne7e5\nNEW\nnews\nNew\nne\nf1c4\n"),
              refused("NEW") + refused("news") + refused("New") + refused("ne"));
    EXPECT_EQ(session("sd3\nSD 3\nGO\nforcE\nundo2\n"),
              refused("sd3") + refused("SD") + refused("GO") + refused("forcE") + refused("undo2"));
}

TEST(ProtocolCommands, ForceModePlaysMovesForBothSides) {
    EXPECT_EQ(session("sd 1\nnew\nforce\n" + moves("e2e4 e7e5 g1f3 b8c6")), "");
    // "new" gives the engine Black again, and the limit survives it.
    EXPECT_EQ(mask_search(session("sd 1\nforce\ne2e4\nnew\ne2e4\n")), "move <m>\n");
}

TEST(ProtocolCommands, GoWithoutLimitOrBookFallsIntoForceMode) {
    // Had "go" left the engine on White, "sd 2" would make it answer e7e5
    // and g1f3 would be refused.
    EXPECT_EQ(session("go\ne2e4\nsd 2\ne7e5\ng1f3\n"), "");
    EXPECT_EQ(session("sd 0\ngo\ne2e4\nsd 2\ne7e5\ng1f3\n"), "");
    EXPECT_EQ(session("sd -5\ngo\ne2e4\nsd 2\ne7e5\ng1f3\n"), "");
    // With a limit, a later "go" plays again.
    EXPECT_EQ(mask_search(session("go\nsd 1\ngo\n")), "move <m>\n");
}

TEST(ProtocolCommands, GoPlaysTheSideToMoveThenWaits) {
    EXPECT_EQ(mask_search(session("sd 2\ngo\n")), "move <m>\n");
    // One move per turn: the engine answers Black's move and waits again.
    EXPECT_EQ(mask_search(session("sd 2\ngo\na7a6\n")), "move <m>\nmove <m>\n");
}

TEST(ProtocolCommands, WhiteAndBlackHandTheMoveToTheInterface) {
    EXPECT_EQ(session("sd 1\nwhite\n"), "");
    EXPECT_EQ(mask_search(session("sd 1\nwhite\ne2e4\n")), "move <m>\n");
    EXPECT_EQ(session("sd 1\nblack\n"), "");
    EXPECT_EQ(mask_search(session("sd 1\nblack\ne7e5\n")), "move <m>\n");
    // After "black", "go" makes the engine play Black instead.
    EXPECT_EQ(mask_search(session("sd 1\nblack\ngo\n")), "move <m>\n");
    // White to move in the start position: Black's move is refused.
    EXPECT_EQ(session("sd 1\nblack\nwhite\ne7e5\n"), refused("e7e5"));
}

TEST(ProtocolCommands, DepthCommandReadsItsNumberByThePattern) {
    const std::string two = first_move_thinking("sd 2\n");
    EXPECT_EQ(mask_search(two), "1 <thinking>\n2 <thinking>\nmove <m>\n");
    const std::string three = first_move_thinking("sd 3\n");
    EXPECT_EQ(mask_search(three), "1 <thinking>\n2 <thinking>\n3 <thinking>\nmove <m>\n");

    // No readable number: the depth stays, the budget is set all the same.
    for (const char* settings : {"sd 2\n sd 5\n", "sd 2\nsd\n", "sd 2\nsd x3\n", "sd 2\nsd - 3\n",
                                 "sd 2 plies\n", "sd 2\notim 100000\notim\n",
                                 "sd 99999999999\nsd 2\n", "st 0\nsd 2\n", "sd 2\nnew\n"})
        EXPECT_EQ(mask_elapsed(first_move_thinking(settings)), mask_elapsed(two)) << settings;
    for (const char* settings : {"sd\t3\n", "sd +3\n", "sd 3x\n", "sd    3\n", "sd 03\n"})
        EXPECT_EQ(mask_elapsed(first_move_thinking(settings)), mask_elapsed(three)) << settings;
}

TEST(ProtocolCommands, TimeCommandsSetDepthSixteenAndTheirBudget) {
    // A budget of 0 ms ends the search at its first clock test, node 1024;
    // depth 16 would otherwise take long, so this is deterministic.
    const std::string raw = first_move_thinking("st 0\n");
    const std::string zero = mask_elapsed(raw);
    const std::string masked = mask_search(raw);
    EXPECT_EQ(masked.substr(0, 26), "1 <thinking>\n2 <thinking>\n") << zero;
    EXPECT_LT(std::count(zero.begin(), zero.end(), '\n'), 16) << zero;

    // Budgets that come out as 0 or below, an unread number keeping 0, and
    // "st" replacing an earlier depth limit.
    for (const char* settings : {"time 0\n", "time 2\n", "time -5\n", "st -0\n", "sd 1\nst 0\n",
                                 "st 0\n st 5\n", "st 0\nst\nst\nst\n", "st 0\ntime\n", "st 0\nst x\n",
                                 "st 0\ntime abc\n", "sd 2\ntime 1\n", "st 0\notim 5\n"})
        EXPECT_EQ(mask_elapsed(first_move_thinking(settings)), zero) << settings;
}

TEST(ProtocolCommands, PostShowsOneLinePerIterationFromTheNextTurnOn) {
    EXPECT_EQ(mask_search(session("sd 2\npost\nnew\ne2e4\n")), "1 <thinking>\n2 <thinking>\nmove <m>\n");
    EXPECT_EQ(mask_search(session("sd 2\npost\nnopost\nnew\ne2e4\n")), "move <m>\n");
    EXPECT_EQ(mask_search(session("post\nnopost\npost\nsd 1\ngo\n")), "1 <thinking>\nmove <m>\n");
}

TEST(ProtocolCommands, HintNamesAMoveAndChangesNothing) {
    EXPECT_EQ(session("hint\n"), "");
    // Still White to move in force mode afterwards, with no thinking shown.
    EXPECT_EQ(mask_search(session("sd 2\npost\nhint\ne2e4\ne7e5\nhint\n")), "Hint: <m>\nHint: <m>\n");
    // The engine's side is untouched: after "white" it still answers e2e4.
    EXPECT_EQ(mask_search(session("sd 1\nwhite\nhint\ne2e4\n")), "Hint: <m>\nmove <m>\n");
    // Nothing to hint when mated.
    EXPECT_EQ(session("sd 2\nforce\n" + FOOLS_MATE + "hint\n"), BLACK_WINS);
}

TEST(ProtocolCommands, BookMovesNeedNoLimitAndShowNoThinking) {
    const std::string book = "e2e4 e7e5\n";
    // Out of book after e7e5 and no limit: the engine falls into force mode.
    EXPECT_EQ(session("post\ngo\ne7e5\ng1f3\n", book), "move e2e4\n");
    const std::string searched = session("post\nsd 2\ngo\ne7e5\n", book);
    EXPECT_EQ(searched.substr(0, 10), "move e2e4\n");
    EXPECT_EQ(mask_search(searched), "move <m>\n1 <thinking>\n2 <thinking>\nmove <m>\n");
}
