// Whole sessions with the real engine: input in, everything after the
// start-up text out, with helpers to write the expected text.
#pragma once
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine_process.h"

// Runs `input` in a fresh directory (with `book` as book.book when given)
// and returns what the engine printed after its start-up text. A crash, a
// hang or a wrong start-up text fails the calling test.
inline std::string session(const std::string& input, const std::string& book = "", int timeout_ms = 20000) {
    TempDir dir;
    if (!book.empty()) write_file(dir.path, "book.book", book);
    const EngineResult run = run_engine(input, dir.path, timeout_ms);
    EXPECT_FALSE(run.timed_out) << "input:\n" << input;
    EXPECT_EQ(run.exit_code, 0) << "input:\n" << input;
    const std::string start = banner(!book.empty());
    if (run.output.compare(0, start.size(), start) != 0) {
        ADD_FAILURE() << "start-up text missing:\n" << run.output;
        return run.output;
    }
    return run.output.substr(start.size());
}

// "e2e4 e7e5" -> "e2e4\ne7e5\n": a game written as one move per line.
inline std::string moves(const std::string& text) {
    std::istringstream in(text);
    std::string move, out;
    while (in >> move) out += move + "\n";
    return out;
}

// The engine's first move from the start position with thinking shown.
inline std::string first_move_thinking(const std::string& settings) {
    return session("post\n" + settings + "go\n", "", 10000);
}

inline std::string refused(const std::string& word) { return "(unknown command): " + word + "\n"; }

// The quickest mate there is, Black mating on its second move; and a game
// one move short of White's mate h5f7, the only one there.
inline const std::string FOOLS_MATE = moves("f2f3 e7e5 g2g4 d8h4");
inline const std::string SCHOLARS_MATE_BUT_ONE = moves("e2e4 e7e5 f1c4 b8c6 d1h5 g8f6");

inline const std::string WHITE_WINS = "1-0 {White wins}\n";
inline const std::string BLACK_WINS = "0-1 {Black wins}\n";
inline const std::string STALEMATE = "1/2-1/2 {Stalemate}\n";
inline const std::string REPETITION = "1/2-1/2 {Draw by 3-x repetition}\n";
inline const std::string FIFTY_MOVES = "1/2-1/2 {Draw by 50-move rule}\n";

// The search decides moves, scores and node counts; keep only what the
// protocol fixes: that a move, a hint or a thinking line of some depth came.
inline std::string mask_search(const std::string& output) {
    static const std::regex move_line("^move [a-h][1-8][a-h][1-8][nbrq]?$");
    static const std::regex hint_line("^Hint: [a-h][1-8][a-h][1-8][nbrq]?$");
    static const std::regex thinking_line("^(\\d+) -?\\d+ -?\\d+ \\d+( [a-h][1-8][a-h][1-8][nbrq]?)*$");
    std::istringstream in(output);
    std::string line, out;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_match(line, move_line))
            out += "move <m>\n";
        else if (std::regex_match(line, hint_line))
            out += "Hint: <m>\n";
        else if (std::regex_match(line, m, thinking_line))
            out += m[1].str() + " <thinking>\n";
        else
            out += line + "\n";
    }
    return out;
}

// Blanks only the elapsed centiseconds of thinking lines, for comparing two
// searches that must agree node for node.
inline std::string mask_elapsed(const std::string& output) {
    static const std::regex elapsed("^(\\d+ -?\\d+) -?\\d+ ");
    std::istringstream in(output);
    std::string line, out;
    while (std::getline(in, line)) out += std::regex_replace(line, elapsed, "$1 <cs> ") + "\n";
    return out;
}

// An engine kept running for an exchange line by line, in a fresh folder
// (with `book` as book.book when given), past its start-up text.
class Conversation {
public:
    explicit Conversation(const std::string& book = "") : book_(with_book(dir_.path, book)) {
        EXPECT_NE(engine_.read_start_up(10000), "");
    }
    void send(const std::string& line) { engine_.send(line); }
    // The next line that starts with `prefix`, others passed over; "" on time-out.
    std::string next(const std::string& prefix, int timeout_ms = 20000) {
        std::string line;
        while (engine_.read_line(line, timeout_ms))
            if (line.compare(0, prefix.size(), prefix) == 0) return line;
        return "";
    }
    // The next line that holds `part` anywhere, others passed over; "" on time-out.
    std::string next_with(const std::string& part, int timeout_ms = 20000) {
        std::string line;
        while (engine_.read_line(line, timeout_ms))
            if (line.find(part) != std::string::npos) return line;
        return "";
    }
    // The next line, whatever it is; "" on time-out.
    std::string next_line(int timeout_ms = 20000) {
        std::string line;
        return engine_.read_line(line, timeout_ms) ? line : "";
    }
    // Every line up to and including the next that starts with `prefix`.
    std::vector<std::string> lines_until(const std::string& prefix, int timeout_ms = 20000) {
        std::vector<std::string> lines;
        std::string line;
        while (engine_.read_line(line, timeout_ms)) {
            lines.push_back(line);
            if (line.compare(0, prefix.size(), prefix) == 0) break;
        }
        return lines;
    }
    // True when nothing comes for `ms`: for answers that must wait.
    bool silent_for(int ms) {
        std::string line;
        return !engine_.read_line(line, ms);
    }
    int quit() {
        engine_.send("quit");
        return engine_.wait(5000);
    }

private:
    // The book is in its folder before the engine starts and looks for it.
    static bool with_book(const std::string& dir, const std::string& book) {
        if (!book.empty()) write_file(dir, "book.book", book);
        return !book.empty();
    }

    TempDir dir_;
    bool book_;
    EngineProcess engine_{dir_.path};
};
