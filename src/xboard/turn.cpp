// The engine's own turn, "go" and "hint", and what the engine hears while
// it thinks on its turn.
#include "xboard/turn.h"

#include <cstdio>
#include <cstring>

#include "io/listen.h"
#include "io/tokens.h"
#include "xboard/analysis.h"
#include "xboard/output.h"

namespace {

// Commands after which the search's move would be wrong or unwanted: the
// search ends without a move, and they are carried out next.
bool ends_the_search(const char* word) {
    static constexpr const char* enders[] = {"force", "new",   "result", "undo", "remove",    "setboard",
                                             "white", "black", "exit",   "go",   "playother", "analyze"};
    for (const char* ender : enders)
        if (std::strcmp(word, ender) == 0) return true;
    return false;
}

// "?" moves now and "quit" quits; anything else waits for the move, and
// ends the search first when it would make the move wrong.
Heard hear_on_engine_turn(void* context, const char* line) {
    XboardSession& session = *static_cast<XboardSession*>(context);
    char word[16];
    if (!take_first_word(line, word, sizeof word)) return Heard::NOTHING;
    if (std::strcmp(word, "?") == 0) {
        session.move_now = true;
        return Heard::STOP;
    }
    if (std::strcmp(word, "quit") == 0) {
        session.quit = true;
        return Heard::STOP;
    }
    if (!ends_the_search(word)) return Heard::DEFER;
    session.search_interrupted = true;
    return Heard::DEFER_AND_STOP;
}

// Polled by the engine's own search in protocol 2. The end of input lets
// the search finish its move; the loop ends after it.
bool engine_search_must_stop(void* context) {
    XboardSession& session = *static_cast<XboardSession*>(context);
    return listen_for_lines({hear_on_engine_turn, print_dropped_line, &session}, session.heard, sizeof session.heard) ==
           Listened::STOP;
}

}  // namespace

void engine_turn(XboardSession& session) {
    // 1. A game that has ended was announced with the move that ended it;
    //    protocol 2 does not search it.
    if (!session.rules->searches_ended_games && game_first_legal_move() == 0) {
        session.engine_side = EMPTY;
        return;
    }

    // 2. Search under the version's own limits, listening when it listens.
    SearchHooks hooks;
    hooks.context = &session;
    if (session.post) hooks.report = print_thinking_line;
    if (session.rules->listens_while_thinking) hooks.should_stop = engine_search_must_stop;
    session.move_now = false;
    session.search_interrupted = false;
    const SearchOutcome outcome = game_search(session.rules->search_limits(session), hooks);

    // 3. A command that ended the search comes first, and no move is played.
    if (session.quit || session.search_interrupted) return;

    // 4. Play. A move that cannot be played (none found, or refused) ends in
    //    force mode without a word, so the engine never announces an
    //    illegal move.
    const Move move = outcome.best;
    if (move == 0 || !game_play_move(move)) {
        session.engine_side = EMPTY;
        return;
    }
    std::printf("move %s\n", game_move_text(move));
    position_changed(session);
    report_result(session);
}

// The engine plays from here on, so any analysis ends.
void cmd_go(XboardSession& session, const char*) {
    session.engine_side = game_side_to_move();
    session.analysing = false;
}

void cmd_hint(XboardSession& session, const char*) {
    const Move move = game_search(session.rules->search_limits(session), SearchHooks{}).best;
    if (move != 0) std::printf("Hint: %s\n", game_move_text(move));
}
