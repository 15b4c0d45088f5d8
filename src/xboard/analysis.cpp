// Analysis mode of protocol 2: the engine searches the game position
// without end and starts again after every change of it; "." asks how far
// it has come.
#include "xboard/analysis.h"

#include <cstdio>
#include <cstring>

#include "io/input.h"
#include "io/listen.h"
#include "io/tokens.h"
#include "xboard/output.h"

namespace {

void print_status() {
    const SearchProgress progress = game_search_progress();
    std::printf("stat01: %d %llu %d %d %d\n", progress.elapsed_ms / 10, static_cast<unsigned long long>(progress.nodes),
                progress.depth, progress.moves_left, progress.moves_total);
    std::fflush(stdout);
}

// "." is answered in place; anything else ends the search and is carried
// out next.
Heard hear_during_analysis(void*, const char* line) {
    char word[16];
    if (!take_first_word(line, word, sizeof word)) return Heard::NOTHING;
    if (std::strcmp(word, ".") == 0) {
        print_status();
        return Heard::NOTHING;
    }
    return Heard::DEFER_AND_STOP;
}

// Polled by the analysis search; the end of input ends it too.
bool analysis_must_stop(void* context) {
    XboardSession& session = *static_cast<XboardSession*>(context);
    switch (listen_for_lines({hear_during_analysis, print_dropped_line, &session}, session.heard, sizeof session.heard)) {
        case Listened::GO_ON: return false;
        case Listened::STOP: return true;
        case Listened::INPUT_ENDED: session.input_ended = true; return true;
    }
    return true;
}

}  // namespace

bool analysis_turn(XboardSession& session) {
    if (!session.analysing || !session.analysis_due || line_waiting() || deferred_line_waiting()) return false;
    if (game_legal_move_count() == 0) {  // mate or stalemate: nothing to think about
        session.analysis_due = false;
        return false;
    }
    SearchLimits limits;
    limits.infinite = true;
    limits.use_book = false;
    limits.kind = session.kind;
    limits.multipv = session.multipv;
    session.input_ended = false;
    const SearchOutcome outcome = game_search(limits, {analysis_must_stop, print_thinking_line, &session});
    // Only a line that cut the search short leaves the analysis owed: one that
    // ended by itself (a mate, or the deepest iteration) rests until the
    // position changes.
    session.analysis_due = outcome.end == SearchEnd::STOPPED && !session.input_ended;
    return true;
}

void position_changed(XboardSession& session) { session.analysis_due = true; }

void cmd_analyze(XboardSession& session, const char*) {
    session.analysing = true;
    session.analysis_due = true;
    session.engine_side = EMPTY;
}

void cmd_exit(XboardSession& session, const char*) {
    session.analysing = false;
    session.analysis_due = false;
}

void cmd_status(XboardSession& session, const char*) {
    if (session.analysing) print_status();
}
