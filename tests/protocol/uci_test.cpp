// UCI through the real executable, and listening while thinking: stop,
// isready, ponderhit and quit heard during a search, and bad input.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "session.h"

namespace {

const std::string IDENTITY =
    "id name Tavrin 1.7\nid author the Tavrin developers\n"
    "option name OwnBook type check default true\n"
    "option name BookFile type string default book.book\n"
    "option name Ponder type check default false\n"
    "option name Search type combo default strong var classic var strong\n"
    "option name Hash type spin default 16 min 1 max <memory>\n"
    "option name Clear Hash type button\n"
    "option name Move Overhead type spin default 50 min 0 max 5000\n"
    "option name Threads type spin default 1 min 1 max 256\n"
    "option name MultiPV type spin default 1 min 1 max 256\n"
    "option name UCI_LimitStrength type check default false\n"
    "option name UCI_Elo type spin default 1800 min 1350 max 2200\n"
    "option name Skill Level type spin default 20 min 0 max 20\n"
    "option name UCI_ShowWDL type check default false\n"
    "option name Eval type combo default tuned var tuned var network\n"
    "option name EvalFile type string default <built-in>\n"
    "uciok\n";

// The largest Hash offered depends on the machine's memory.
std::string mask_memory(const std::string& output) {
    return std::regex_replace(output, std::regex("(option name Hash type spin .* max )\\d+"), "$1<memory>");
}

// An engine in UCI mode, past its answer to "uci".
class UciEngine : public Conversation {
public:
    explicit UciEngine(const std::string& book = "") : Conversation(book) {
        send("uci");
        EXPECT_EQ(lines_until("uciok").size(), 18u);
    }
};

const std::regex bestmove(R"(bestmove [a-h][1-8][a-h][1-8][nbrq]?( ponder [a-h][1-8][a-h][1-8][nbrq]?)?)");
const std::regex info(R"(info depth (\d+) score (cp|mate) -?\d+ time \d+ nodes (\d+) nps \d+( pv( [a-h][1-8][a-h][1-8][nbrq]?)+)?)");

// The square a move starts from, as rank digit: tells whose move it was.
char from_rank(const std::string& best) { return best[10]; }

TEST(Uci, FirstCommandUciAnswersOnlyInUci) {
    EXPECT_EQ(mask_memory(session("uci\nisready\nucinewgame\nregister later\ndebug on\nstop\nponderhit\nquit\n")),
              IDENTITY + "readyok\n");
    // Anywhere but first, "uci" is an xboard word like any other.
    EXPECT_EQ(session("new\nuci\n"), refused("uci"));
}

TEST(Uci, GoDepthSearchesExactlyAsSdInTheXboardFrontEnd) {
    const char* positions[] = {
        "startpos moves e2e4 c7c5 g1f3",
        "fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "fen 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    };
    const std::string xboard_setup[] = {
        "force\ne2e4\nc7c5\ng1f3\n",
        "xboard\nprotover 2\noption Search=classic\nsetboard r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\n",
        "xboard\nprotover 2\noption Search=classic\nsetboard 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1\n",
    };
    for (int i = 0; i < 3; ++i) {
        UciEngine uci;
        uci.send("setoption name Search value classic");
        uci.send(std::string("position ") + positions[i]);
        uci.send("go depth 5");
        const std::vector<std::string> lines = uci.lines_until("bestmove");
        ASSERT_EQ(lines.size(), 6u) << positions[i];
        std::smatch m;
        ASSERT_TRUE(std::regex_match(lines[4], m, info)) << lines[4];
        const std::string nodes = m[3];
        const std::string move = lines[5].substr(9, 4);
        EXPECT_EQ(uci.quit(), 0);

        // The same search in xboard: "sd 5", its last thinking line and its move.
        const std::string out = session(xboard_setup[i] + "sd 5\npost\ngo\n");
        const std::regex last_line("5 -?\\d+ \\d+ " + nodes + " " + move + "[^\n]*\nmove " + move + "\n");
        EXPECT_TRUE(std::regex_search(out, last_line)) << positions[i] << "\n" << nodes << " " << move << "\n" << out;
    }
}

TEST(Uci, InfoLinesMateScoresAndNoMoveAtAll) {
    UciEngine uci;
    uci.send("setoption name Search value classic");
    uci.send("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    uci.send("go depth 3");
    const std::vector<std::string> lines = uci.lines_until("bestmove");
    ASSERT_EQ(lines.size(), 3u);  // depth 2 finds the mate and ends the deepening
    EXPECT_TRUE(std::regex_match(lines[0], info)) << lines[0];
    EXPECT_EQ(lines[1].substr(0, 27), "info depth 2 score mate 1 t");
    EXPECT_EQ(lines[2], "bestmove d1d8");
    // Mated: no legal move at all.
    uci.send("position fen 3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    uci.send("go depth 3");
    EXPECT_EQ(uci.next("bestmove"), "bestmove 0000");
    // The strong search shows the mate the same way, and has no move either.
    uci.send("setoption name Search value strong");
    uci.send("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    uci.send("go depth 3");
    EXPECT_TRUE(std::regex_search(uci.next("info"), std::regex(" score mate 1 ")));
    EXPECT_EQ(uci.next("bestmove"), "bestmove d1d8");
    uci.send("position fen 3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    uci.send("go depth 3");
    EXPECT_EQ(uci.next("bestmove"), "bestmove 0000");
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, TheBookAnswersAtOnceUnlessSwitchedOff) {
    UciEngine uci("e2e4 e7e5\n");
    uci.send("position startpos");
    uci.send("go wtime 60000 btime 60000");
    EXPECT_EQ(uci.lines_until("bestmove"), std::vector<std::string>{"bestmove e2e4"});
    uci.send("setoption name ownbook value false");
    uci.send("go depth 1");
    EXPECT_NE(uci.next("info depth 1"), "");
    EXPECT_EQ(uci.quit(), 0);
}

// Move `index` of an info line's variation, "" when it has none.
std::string pv_move(const std::string& line, int index) {
    const std::size_t pv = line.find(" pv ");
    if (pv == std::string::npos) return "";
    std::istringstream moves(line.substr(pv + 4));
    std::string move;
    for (int i = 0; i <= index; ++i)
        if (!(moves >> move)) return "";
    return move;
}

// "stop" is answered with the last finished iteration's move, the one its
// last info line shows, and the variation's next move is the ponder move.
TEST(Uci, StopAnswersWithTheLastFinishedIterationAndItsPonderMove) {
    UciEngine uci;
    for (int trial = 0; trial < 3; ++trial) {
        uci.send("position startpos moves e2e4 e7e5 g1f3 b8c6");
        uci.send("go infinite");
        ASSERT_NE(uci.next("info depth " + std::to_string(4 + trial)), "");
        uci.send("stop");
        const std::vector<std::string> lines = uci.lines_until("bestmove", 5000);
        ASSERT_TRUE(std::regex_match(lines.back(), bestmove)) << lines.back();
        std::string last_info;
        for (const std::string& line : lines)
            if (line.compare(0, 5, "info ") == 0) last_info = line;
        const std::string expected = last_info.empty() ? "" : "bestmove " + pv_move(last_info, 0);
        EXPECT_EQ(lines.back().substr(0, expected.size()), expected) << last_info;
    }
    uci.send("position startpos");
    uci.send("go depth 4");
    const std::vector<std::string> lines = uci.lines_until("bestmove");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4], "bestmove " + pv_move(lines[3], 0) + " ponder " + pv_move(lines[3], 1));
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, InfiniteAndPonderWaitForTheirReleaseEvenAfterAMate) {
    UciEngine uci;
    uci.send("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    uci.send("go infinite");
    EXPECT_NE(uci.next_with(" score mate 1 "), "");
    EXPECT_TRUE(uci.silent_for(300));
    uci.send("isready");
    EXPECT_EQ(uci.next_line(), "readyok");
    uci.send("stop");
    EXPECT_EQ(uci.next_line(), "bestmove d1d8");

    uci.send("go ponder wtime 1000 btime 1000");
    EXPECT_NE(uci.next_with(" score mate 1 "), "");
    EXPECT_TRUE(uci.silent_for(300));
    uci.send("ponderhit");
    EXPECT_EQ(uci.next("bestmove"), "bestmove d1d8");
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, PonderhitTurnsThePonderSearchIntoATimedOne) {
    UciEngine uci;
    uci.send("position startpos moves e2e4 e7e5");
    uci.send("go ponder wtime 3000 btime 3000");
    ASSERT_NE(uci.next("info depth 2"), "");
    uci.send("ponderhit");
    // A tenth of a three-second clock at most: the move comes by itself.
    EXPECT_TRUE(std::regex_match(uci.next("bestmove", 10000), bestmove));
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, QuitDuringASearchEndsTheRun) {
    UciEngine uci;
    uci.send("position startpos");
    uci.send("go infinite");
    ASSERT_NE(uci.next("info depth 2"), "");
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, ClockNodesAndMoveTimeEndASearchByThemselves) {
    UciEngine uci;
    for (const char* go : {"go wtime 1000 btime 1000 winc 10 binc 10", "go btime 500 wtime 200 movestogo 1",
                           "go nodes 5000", "go movetime 100", "go wtime -500 btime -20 winc -5"}) {
        uci.send("position startpos moves g1f3");
        uci.send(go);
        EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove)) << go;
    }
    // Without a readable limit a search runs until it is stopped.
    for (const char* go : {"go", "go wtime", "go depth x movetime", "go depth -3"}) {
        uci.send(go);
        ASSERT_NE(uci.next("info depth 2"), "") << go;
        uci.send("stop");
        EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove)) << go;
    }
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, BadPositionsKeepWhatCameBefore) {
    UciEngine uci;
    // The moves before the bad one stand: Black is to move.
    uci.send("position startpos moves e2e4 e7e9 d2d4");
    EXPECT_EQ(uci.next("info string"), "info string illegal move e7e9; it and the moves after it are ignored");
    uci.send("go depth 1");
    std::string best = uci.next("bestmove");
    EXPECT_TRUE(from_rank(best) == '7' || from_rank(best) == '8') << best;
    // A refused FEN keeps the position of before, with no moves on top.
    uci.send("position fen kkkkkkk1/8/8/8/8/8/8/4K3 w - - 0 1 moves e1e2");
    EXPECT_EQ(uci.next("info string").substr(0, 25), "info string FEN refused (");
    uci.send("go depth 1");
    best = uci.next("bestmove");
    EXPECT_TRUE(from_rank(best) == '7' || from_rank(best) == '8') << best;
    uci.send("position banana");
    uci.send("position");
    uci.send("setoption name Hsah value 64");
    uci.send("setoption");
    uci.send("frobnicate");
    EXPECT_EQ(uci.lines_until("info string unknown command"),
              (std::vector<std::string>{"info string position needs startpos or fen, not banana",
                                        "info string position needs startpos or fen",
                                        "info string unknown option Hsah", "info string setoption needs a name",
                                        "info string unknown command frobnicate"}));
    EXPECT_EQ(uci.quit(), 0);
}

TEST(Uci, HeavyInputDuringASearchIsAnsweredAndOversizedLinesAreDropped) {
    UciEngine uci;
    uci.send("position startpos");
    uci.send("go infinite");
    ASSERT_NE(uci.next("info depth 1"), "");
    for (int batch = 0; batch < 10; ++batch) {
        std::string many;
        for (int i = 0; i < 1000; ++i) many += "isready\n";
        many.pop_back();
        uci.send(many);
        int answered = 0;
        while (answered < 1000 && uci.next("readyok") == "readyok") ++answered;
        ASSERT_EQ(answered, 1000) << batch;
    }
    uci.send("stop");
    EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
    uci.send(std::string(100000, 'x'));
    uci.send(std::string(200000, 'y'));
    uci.send("isready");
    EXPECT_EQ(uci.lines_until("readyok"),
              (std::vector<std::string>{"info string unknown command " + std::string(40, 'x'),
                                        "info string line too long, ignored", "readyok"}));
    EXPECT_EQ(uci.quit(), 0);
}

// "go searchmoves" restricts the root in both searches; what is no legal
// move is dropped and said so, and with nothing left every move is searched.
TEST(Uci, SearchmovesRestrictsTheRootInBothSearches) {
    UciEngine uci;
    uci.send("setoption name OwnBook value false");
    for (const char* search : {"strong", "classic"}) {
        uci.send(std::string("setoption name Search value ") + search);
        uci.send("position startpos");
        uci.send("go depth 6 searchmoves a2a3 h2h3");
        const std::string best = uci.next("bestmove");
        EXPECT_TRUE(best.substr(0, 13) == "bestmove a2a3" || best.substr(0, 13) == "bestmove h2h3") << search << best;
        uci.send("go depth 3 searchmoves e2e5 g1f3 zz9");
        EXPECT_EQ(uci.next("info string"), "info string searchmoves: e2e5 is no legal move here; dropped");
        EXPECT_EQ(uci.next("info string"), "info string searchmoves: zz9 is no legal move here; dropped");
        EXPECT_EQ(uci.next("bestmove").substr(0, 13), "bestmove g1f3") << search;
        uci.send("go depth 2 searchmoves e7e5");
        EXPECT_EQ(uci.next("info string"), "info string searchmoves: e7e5 is no legal move here; dropped");
        EXPECT_EQ(uci.next("info string"), "info string searchmoves names no legal move here; every move is searched");
        EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
        // Without searchmoves the book answers again, and the root is whole.
        uci.send("position startpos moves e2e4 e7e5 g1f3 b8c6 f1b5 a7a6");
        uci.send("go depth 4 searchmoves b5a4 b5c6");
        const std::string bishop = uci.next("bestmove");
        EXPECT_TRUE(bishop.substr(0, 13) == "bestmove b5a4" || bishop.substr(0, 13) == "bestmove b5c6") << bishop;
    }
    EXPECT_EQ(uci.quit(), 0);
}

// "go mate N" ends once a mate in N or fewer is found, and by itself where
// there is none; a mate of no moves is refused.
TEST(Uci, GoMateEndsAtTheMateOrWhereNoneCanBe) {
    UciEngine uci;
    uci.send("setoption name OwnBook value false");
    for (const char* search : {"strong", "classic"}) {
        uci.send(std::string("setoption name Search value ") + search);
        uci.send("position fen r1b1kbnr/pppp1ppp/2n5/4p3/2B1P3/5Q2/PPPP1PPP/RNB1K1NR w KQkq - 2 3");
        uci.send("go mate 2");
        EXPECT_NE(uci.next_with(" score mate "), "") << search;
        EXPECT_EQ(uci.next("bestmove").substr(0, 13), "bestmove f3f7") << search;
        uci.send("position startpos");
        uci.send("go mate 2");
        EXPECT_TRUE(std::regex_match(uci.next("bestmove", 30000), bestmove)) << search;
        uci.send("go mate 0 depth 1");
        EXPECT_EQ(uci.next("info string"), "info string go mate takes a number of moves from 1, not 0; ignored");
        EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
    }
    EXPECT_EQ(uci.quit(), 0);
}

// Engines started in the same second choose their book moves each for
// itself: a book of 64 equally likely two-move lines gives six engines at
// least three different lines (with one seed per second, at most two).
TEST(Uci, EnginesStartedTogetherChooseTheirBookMovesIndependently) {
    std::string book;
    for (const char white : std::string("abcdefgh"))
        for (const char black : std::string("abcdefgh"))
            book += std::string{white} + "2" + white + "3 " + black + "7" + black + "6\n";
    std::vector<std::unique_ptr<UciEngine>> engines;
    for (int i = 0; i < 6; ++i) engines.push_back(std::make_unique<UciEngine>(book));
    std::set<std::string> lines;
    for (auto& uci : engines) {
        uci->send("position startpos");
        uci->send("go depth 1");
        const std::string white = uci->next("bestmove").substr(9, 4);
        uci->send("position startpos moves " + white);
        uci->send("go depth 1");
        lines.insert(white + " " + uci->next("bestmove").substr(9, 4));
        EXPECT_EQ(uci->quit(), 0);
    }
    EXPECT_GE(lines.size(), 3u);
}

// The table is made when it is asked for and ready when "readyok" says so.
TEST(Uci, HashIsReadyBeforeReadyok) {
    UciEngine uci;
    uci.send("setoption name Hash value 64");
    uci.send("isready");
    EXPECT_EQ(uci.next_line(), "readyok");
    uci.send("setoption name Hash value 0");
    uci.send("setoption name Hash value 99999999");
    EXPECT_EQ(uci.next("info string").substr(0, 27), "info string Hash takes 1 to");
    EXPECT_EQ(uci.next("info string").substr(0, 27), "info string Hash takes 1 to");
    uci.send("ucinewgame");
    uci.send("isready");
    EXPECT_EQ(uci.next_line(), "readyok");
    uci.send("position startpos moves e2e4");
    uci.send("go depth 4");
    EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
    EXPECT_EQ(uci.quit(), 0);
}

// The network evaluates when asked for; a file that is no network of ours is
// refused, and the network in use stays.
TEST(Uci, EvalFileRefusesWhatIsNoNetworkAndKeepsItsOwn) {
    UciEngine uci;
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name Eval value network");
    uci.send("setoption name EvalFile value /nonexistent/net.nnue");
    EXPECT_EQ(uci.next("info string").substr(0, 33), "info string EvalFile refused: can");
    uci.send("setoption name Eval value sideways");
    EXPECT_EQ(uci.next("info string"), "info string Eval is tuned or network, not sideways");
    uci.send("position startpos moves e2e4");
    uci.send("go depth 5");
    EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
    uci.send("setoption name EvalFile value <built-in>");
    uci.send("go depth 5");
    EXPECT_TRUE(std::regex_match(uci.next("bestmove"), bestmove));
    EXPECT_EQ(uci.quit(), 0);
}

// UCI_ShowWDL: every info line with a score also gives the chances of a
// win, a draw and a loss, per mille, after the score; a mate is certain.
TEST(Uci, ShowWdlAddsTheChancesToEveryScore) {
    UciEngine uci;
    uci.send("setoption name OwnBook value false");
    uci.send("setoption name UCI_ShowWDL value true");
    uci.send("position startpos moves e2e4");
    uci.send("go depth 4");
    const std::regex wdl(R"(info depth \d+ seldepth \d+ score cp -?\d+ wdl (\d+) (\d+) (\d+) time .*)");
    for (const std::string& line : uci.lines_until("bestmove")) {
        if (line.compare(0, 5, "info ") != 0) continue;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, wdl)) << line;
        EXPECT_EQ(std::stoi(m[1]) + std::stoi(m[2]) + std::stoi(m[3]), 1000) << line;
    }
    uci.send("position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    uci.send("go depth 2");
    EXPECT_NE(uci.next_with(" score mate 1 wdl 1000 0 0 "), "");
    uci.send("setoption name UCI_ShowWDL value false");
    uci.send("go depth 2");
    EXPECT_EQ(uci.next_with(" wdl ", 2000).find(" wdl "), std::string::npos);
    EXPECT_EQ(uci.quit(), 0);
}

}  // namespace
