// The engine's entry in the browser build: the start-up of main.cpp without
// its banner, then one UCI session that the page's worker feeds line by line.
#include <cstdio>
#include <cstring>
#include <memory>

#include "board/position.h"
#include "board/state.h"
#include "board/zobrist.h"
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
    const UciGoCommand go = read_go(after_first_word(line));
    const bool bounded = !uci_search_limits(go, side_to_move).no_deadline || go.depth > 0 || go.nodes > 0;
    return go.infinite || go.ponder || !bounded;
}

}  // namespace

extern "C" {

// Hash keys, the start position and the book (book.book, which the worker
// writes into the file system first, when it has it); then the session.
void tavrin_start() {
    init_zobrist();
    reset_position();
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
