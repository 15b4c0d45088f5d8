// The engine's entry in the browser build: the start-up of main.cpp without
// its banner, then one UCI session that the page's worker feeds line by line.
#include <cstdio>
#include <cstring>
#include <memory>

#include "game/book_path.h"
#include "game/game.h"
#include "io/tokens.h"
#include "uci/uci.h"

namespace {

// The one session of the worker, kept between its messages.
std::unique_ptr<UciSession> session;

// True for a "go" that only a later "stop" or "ponderhit" could end or
// answer: the worker hears no message until this call returns, so such a
// search would never end. The page sends "go movetime" or "go depth".
bool waits_for_a_later_line(const char* line) {
    char word[8];
    if (!take_first_word(line, word, sizeof word) || std::strcmp(word, "go") != 0) return false;
    const SearchLimits limits = read_go(after_first_word(line), game_side_to_move());
    const bool bounded = limits_are_timed(limits) || limits.depth > 0 || limits.nodes > 0 || limits.mate > 0;
    return limits.infinite || limits.ponder || !bounded;
}

}  // namespace

extern "C" {

// Hash keys, the start position and the book (book.book, which the worker
// writes into the file system first, when it has it); then the session.
void tavrin_start() {
    game_start();
    open_shipped_book();
    game_new();
    session = std::make_unique<UciSession>();
    uci_start(*session);
}

// Carries out one line of UCI; its answers reach the page through standard
// output. Returns 0 once the session has ended ("quit"); lines after that
// are ignored.
int tavrin_line(const char* line) {
    if (!session || session->quit) return 0;
    if (waits_for_a_later_line(line)) {
        std::printf("info string go needs movetime, a clock, depth or nodes here: "
                    "stop and ponderhit cannot arrive during a search\n");
    } else {
        uci_carry_out_line(*session, line);
    }
    std::fflush(stdout);
    return session->quit ? 0 : 1;
}

}  // extern "C"
