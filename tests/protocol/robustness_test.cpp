// Bad input through the real executable: it is answered or ignored, never
// crashes or hangs the engine, and leaves the game playable.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>
#include <vector>

#include "session.h"

namespace {

// A line of the engine's output that the protocol allows.
bool is_protocol_line(const std::string& line) {
    static const std::regex known(
        "move [a-h][1-8][a-h][1-8][nbrq]?|Hint: [a-h][1-8][a-h][1-8][nbrq]?|"
        "\\d+ -?\\d+ -?\\d+ \\d+( [a-h][1-8][a-h][1-8][nbrq]?)*|"
        "1-0 \\{White wins\\}|0-1 \\{Black wins\\}|1/2-1/2 \\{Stalemate\\}|"
        "1/2-1/2 \\{Draw by 3-x repetition\\}|1/2-1/2 \\{Draw by 50-move rule\\}");
    const std::string refusal = "(unknown command): ";
    if (line.compare(0, refusal.size(), refusal) == 0) {
        const std::string word = line.substr(refusal.size());
        return !word.empty() && word.size() <= 255 && word.find_first_of(std::string(" \t\v\f\r\0", 6)) == std::string::npos;
    }
    return std::regex_match(line, known);
}

// The first word as the loop takes it from a line that it reads in one piece.
std::string first_word(const std::string& line) {
    const std::string blanks = " \t\n\v\f\r";
    const std::string text = line.substr(0, line.find('\0'));
    const std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_first_of(blanks, start) - start);
}

// Lines that would end the run or lift the depth limit of 1 that keeps the
// fuzzed engine turns short. A line too long for one read is split where it
// may, so any such word anywhere in it counts.
bool may_end_or_slow_the_run(const std::string& line) {
    for (const char* word : {"quit", "st", "sd", "time"}) {
        if (line.size() <= 254 ? first_word(line) == word : line.find(word) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

TEST(ProtocolRobustness, LongLinesAreReadInPiecesOf255Characters) {
    const std::string a(300, 'a'), x(255, 'x'), y(256, 'y'), z(255, 'z');
    EXPECT_EQ(session(a + "\n"), refused(std::string(255, 'a')) + refused(std::string(45, 'a')));
    // The newline after 255 characters is read alone, as an empty line.
    EXPECT_EQ(session(x + "\n"), refused(x));
    EXPECT_EQ(session(y + "\n"), refused(std::string(255, 'y')) + refused("y"));
    // A move padded far beyond 255 characters, and a command in the second piece.
    EXPECT_EQ(session("force\ne2e4" + std::string(300, ' ') + "\ne7e5\n" + std::string(1000, ' ') + "\n"), "");
    EXPECT_EQ(session("force\ne2e4\ne7e5\n" + z + "new\ne2e4\n"), refused(z));
}

TEST(ProtocolRobustness, LinesWithoutAWordAreSkipped) {
    // None of them may act on the word of the line before.
    EXPECT_EQ(session("foo\n\n \n\t\n\r\n\r\r\n \r\n\v\f\n"), refused("foo"));
    EXPECT_EQ(session("force\ne2e4\n \n\r\n\t \r\ne7e5\n"), "");
    EXPECT_EQ(session("force\ne2e4\n \nundo\n\r\ne2e4\n"), "");
}

TEST(ProtocolRobustness, CarriageReturnLineEndsAreAccepted) {
    EXPECT_EQ(session("force\r\ne2e4\r\ne7e5\r\nfoo\r\nundo\r\ne7e6\r\nremove\r\ne2e4\r\n"), refused("foo"));
    EXPECT_EQ(mask_search(session("sd 2\r\npost\r\ngo\r\n")), "1 <thinking>\n2 <thinking>\nmove <m>\n");
    EXPECT_EQ(session("force\r\n" + std::regex_replace(FOOLS_MATE, std::regex("\n"), "\r\n")), "0-1 {Black wins}\n");
}

TEST(ProtocolRobustness, NulAndHighBytesAreJustUnknownWords) {
    using namespace std::string_literals;
    EXPECT_EQ(session("force\ne2\0e4\n"s), refused("e2"));
    // A line starting with NUL has no word; "new" followed by NUL is "new".
    EXPECT_EQ(session("force\ne2e4\n\0e7e5\ne7e5\n"s), "");
    EXPECT_EQ(session("force\ne2e4\ne7e5\nnew\0e7e5\ne2e4\n"s), "");
    EXPECT_EQ(session("\xff\xfe\x80\n\xe9new\nforce\ne2e4\xff\n"), refused("\xff\xfe\x80") + refused("\xe9new"));
}

TEST(ProtocolRobustness, NumbersBeyondThirtyTwoBitsSaturate) {
    // Under the sanitizers any overflow in reading or scaling ends the run.
    EXPECT_EQ(mask_search(session("st 99999999999\nst 5\nst\nst\nst\nst -99999999999\ntime -2147483648\n"
                                  "time 99999999999\ntime -99999999999\ntime 2147483647\nsd -99999999999\n"
                                  "sd 99999999999\notim 99999999999\nsd 1\npost\ngo\n")),
              "1 <thinking>\nmove <m>\n");
    // Products below the 32-bit range stay negative, which leaves no time at
    // all; wrapped around they would be budgets of hours.
    const std::string no_time = mask_elapsed(first_move_thinking("st 0\n"));
    for (const char* settings : {"st -2147484\n", "time -300000000\n", "time -2147483648\n",
                                 "st 99999999999\nst -99999999999\n"})
        EXPECT_EQ(mask_elapsed(first_move_thinking(settings)), no_time) << settings;
}

TEST(ProtocolRobustness, EndOfInputInTheMiddleOfALine) {
    EXPECT_EQ(session(""), "");
    EXPECT_EQ(session("quit"), "");
    EXPECT_EQ(session("force\nfoo"), refused("foo"));
    EXPECT_EQ(session("force\ne2e4\nne"), refused("ne"));
    // The last, unfinished line is still a move the engine answers.
    EXPECT_EQ(mask_search(session("sd 1\nnew\ne2e4")), "move <m>\n");
}

TEST(ProtocolRobustness, FuzzedLinesLeaveAPlayableGame) {
    const std::vector<std::string> words = {
        "new", "force", "white", "black", "go", "hint", "undo", "remove", "post", "nopost", "otim 100",
        "e2e4", "e7e5", "d2d4", "d7d5", "g1f3", "b8c6", "f1c4", "g8f6", "e1g1", "e8g8", "e4d5", "d5e4",
        "d1h5", "h5f7", "f2f3", "g2g4", "d8h4", "a7a8q", "h2h1N", "e7e8R", "b7a8b", "e5d6", "c1g5"};
    std::mt19937 rng(20050210);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    const auto any_byte = [&] {
        char c;
        do c = static_cast<char>(below(256)); while (c == '\n');
        return c;
    };

    std::string input = "sd 1\n";
    int kept = 0;
    while (kept < 4000) {
        std::string line;
        switch (below(10)) {
            case 0:
            case 1:
            case 2:
                line = words[below(words.size())];
                break;
            case 3: {  // coordinate-like text, mostly off the board or illegal
                const char* promotions = "NBRQnbrq \r";
                line = {static_cast<char>('a' + below(9)), static_cast<char>('0' + below(10)),
                        static_cast<char>('a' + below(9)), static_cast<char>('0' + below(10))};
                if (below(3) == 0) line += promotions[below(10)];
                break;
            }
            case 4:
            case 5: {  // a known line, mutated
                line = words[below(words.size())];
                for (std::size_t n = 1 + below(3); n > 0; --n) {
                    const std::size_t at = below(line.size() + 1);
                    switch (below(6)) {
                        case 0: line.insert(at, 1, any_byte()); break;
                        case 1: if (at < line.size()) line.erase(at, 1); break;
                        case 2: if (at < line.size()) line[at] ^= 0x20; break;
                        case 3: line.insert(0, std::string(1 + below(3), " \t\r"[below(3)])); break;
                        case 4: line += below(2) ? "\r" : " and more"; break;
                        case 5: line.insert(at, 1, '\0'); break;
                    }
                }
                break;
            }
            case 6:  // random bytes, sometimes far too long for one read
                for (std::size_t n = below(4) == 0 ? 200 + below(500) : below(40); n > 0; --n) line += any_byte();
                break;
            case 7:  // white space only
                for (std::size_t n = below(6); n > 0; --n) line += " \t\r\v\f"[below(5)];
                break;
            // The last two kinds are several lines at once.
            case 8:  // the engine playing both sides, disturbed now and then
                for (std::size_t n = 1 + below(60); n > 0; --n) {
                    const char* other[] = {"undo", "remove", "white", "black", "hint", "force"};
                    line += below(8) == 0 ? other[below(6)] : "go";
                    if (n > 1) line += "\n";
                }
                break;
            case 9:  // a mate, then the mated or the mating side handed to the engine
                line = "new\nforce\n" + (below(2) ? FOOLS_MATE : SCHOLARS_MATE_BUT_ONE + "h5f7\n") +
                       (below(2) ? "white" : "black") + "\ngo";
                break;
        }
        if (may_end_or_slow_the_run(line)) continue;
        input += line + "\n";
        ++kept;
    }
    // Then a game from scratch, refereed and played as ever.
    input += "new\nforce\nmark-end\n" + FOOLS_MATE + "undo\nd8h4\n" + "new\nforce\nnopost\nsd 2\n" +
             SCHOLARS_MATE_BUT_ONE + "go\n";

    TempDir dir;
    const EngineResult run = run_engine(input, dir.path, 60000);
    ASSERT_FALSE(run.timed_out);
    ASSERT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.output.compare(0, banner(false).size(), banner(false)), 0);

    std::istringstream lines(run.output.substr(banner(false).size()));
    std::string line;
    int bad_lines = 0;
    while (std::getline(lines, line))
        if (!is_protocol_line(line) && ++bad_lines <= 5) ADD_FAILURE() << "unexpected output line: " << line;
    EXPECT_EQ(bad_lines, 0);

    const std::string tail = refused("mark-end") + BLACK_WINS + BLACK_WINS + "move h5f7\n" + WHITE_WINS;
    ASSERT_GE(run.output.size(), tail.size());
    EXPECT_EQ(run.output.substr(run.output.size() - tail.size()), tail);
}
