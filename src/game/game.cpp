// The game that every front end drives: moves from text, take-backs, set-up,
// how the game stands, and the engine's move. It prints nothing.
#include "game/game.h"

#include <algorithm>
#include <cstdint>

#include "board/attack.h"
#include "board/fen.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "board/state.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "game/book_path.h"
#include "game/strong_door.h"
#include "game/time_control.h"
#include "search/clock.h"
#include "search/driver.h"
#include "search/search.h"

namespace {

// The book's lines run from the standard start position: a game set up
// from any other position must not be read as if it began there.
bool from_start_position = true;

bool is_start_position() {
    for (int s = 0; s < 64; ++s)
        if (square_color[s] != initial_color[s] || square_piece[s] != initial_piece[s]) return false;
    return side_to_move == WHITE && castle_rights == 15 && ep_square == -1;
}

// The search under way: its limits, its front end's hooks, what it has
// finished so far. Lives on game_search's stack.
struct RunningSearch {
    const SearchLimits* limits;
    const SearchHooks* hooks;
    SearchOutcome* outcome;
    bool node_limit_reached;
};

// Legal root moves of the search under way, and its kind, for its status.
int root_move_total;
SearchKind running_kind = SearchKind::CLASSIC;
// The limits of the search under way, for "ponderhit".
const SearchLimits* running_limits = nullptr;


SearchOutcome book_outcome(Move move) {
    SearchOutcome outcome;
    outcome.end = SearchEnd::BOOK;
    outcome.best = move;
    return outcome;
}

// The strong search, after the text book when the game allows it.
SearchOutcome strong_game_search(const SearchLimits& limits, const SearchHooks& hooks) {
    if (limits.use_book && limits.searchmove_count == 0 && from_start_position && game_book_kind() == BookKind::TEXT) {
        const Move book_move = book_probe();
        if (book_move != -1) return book_outcome(book_move);
    }
    SearchOutcome outcome = strong_search(limits, hooks);
    if (outcome.best == 0 && outcome.end != SearchEnd::COMPLETED) outcome.best = game_first_legal_move();
    return outcome;
}

// Polled by the clock every 1024 nodes.
bool running_search_must_stop(void* context) {
    RunningSearch& search = *static_cast<RunningSearch*>(context);
    if (search.limits->nodes != 0 && node_count >= search.limits->nodes) {
        search.node_limit_reached = true;
        return true;
    }
    return search.hooks->should_stop != nullptr && search.hooks->should_stop(search.hooks->context);
}

// Keeps each finished iteration, then shows it to the front end.
void note_iteration(void* context, const Iteration& iteration) {
    RunningSearch& search = *static_cast<RunningSearch*>(context);
    SearchOutcome& outcome = *search.outcome;
    outcome.depth = iteration.depth;
    outcome.score = iteration.score;
    outcome.pv_length = iteration.pv_length;
    for (int j = 0; j < iteration.pv_length; ++j) outcome.pv[j] = iteration.pv[j];
    if (search.hooks->report == nullptr) return;
    IterationReport report = {iteration.depth, iteration.score, false, 0, iteration.elapsed_ms,
                              iteration.nodes, iteration.pv, iteration.pv_length};
    if (iteration.score > MATE_THRESHOLD) {
        report.is_mate = true;
        report.mate_moves = (MATE_SCORE - iteration.score + 1) / 2;
    } else if (iteration.score < -MATE_THRESHOLD) {
        report.is_mate = true;
        report.mate_moves = -((MATE_SCORE + iteration.score) / 2);
    }
    search.hooks->report(search.hooks->context, report);
}

// Sets search_ply to 0 and rebuilds the ply-0 list of the game position.
void regenerate_move_list() {
    search_ply = 0;
    generate_moves();
}

}  // namespace

void game_start() {
    init_zobrist();
    reset_position();
}

void game_new() {
    reset_position();
    regenerate_move_list();
    from_start_position = true;
    strong_follow_new_position();
}

const char* game_set_fen(const char* fen) {
    if (const char* error = load_fen(fen)) return error;
    from_start_position = is_start_position();
    regenerate_move_list();
    strong_follow_new_position();
    return nullptr;
}

void game_set_side_to_move(int colour) {
    side_to_move = colour;
    side_not_to_move = colour ^ 1;
    regenerate_move_list();
    strong_follow_new_position();
}

bool game_play_move(Move move) {
    if (history_ply >= GAME_PLY_LIMIT) return false;
    if (!make_move(move)) return false;
    regenerate_move_list();
    strong_follow_move(move);
    return true;
}

MoveRefusal game_play_text(const char* text) {
    const int index = parse_move_text(text);
    if (index == -1) return MoveRefusal::NOT_A_MOVE;
    if (history_ply >= GAME_PLY_LIMIT) return MoveRefusal::GAME_FULL;
    if (!game_play_move(move_list[index].move)) return MoveRefusal::ILLEGAL;
    return MoveRefusal::NONE;
}

bool game_take_back(int plies) {
    if (history_ply < plies) return false;
    for (int i = 0; i < plies; ++i) unmake_move();
    regenerate_move_list();
    strong_follow_take_back(plies);
    return true;
}

GameEnd game_end(RepetitionRule rule) {
    // 1. Mate or stalemate before any draw by rule.
    if (game_first_legal_move() == 0) {
        if (!side_in_check(side_to_move)) return GameEnd::STALEMATE;
        return side_to_move == WHITE ? GameEnd::BLACK_MATES : GameEnd::WHITE_MATES;
    }
    // 2. Repetition, then the fifty-move rule.
    const bool repeated =
        rule == RepetitionRule::FOURTH_BY_HASH ? repetition_count() == 3 : strong_earlier_occurrences() >= 2;
    if (repeated) return GameEnd::REPETITION;
    if (halfmove_clock >= 100) return GameEnd::FIFTY_MOVES;
    return GameEnd::NONE;
}

SearchOutcome game_search(const SearchLimits& limits, const SearchHooks& hooks) {
    const SearchKind kind = limits.strength_elo > 0 ? SearchKind::STRONG : limits.kind;
    running_kind = kind;
    running_limits = &limits;
    root_move_total = limits.searchmove_count > 0 ? limits.searchmove_count : game_legal_move_count();
    // A Polyglot book knows positions, not games: any position may be in it.
    // Neither book answers when the interface names the moves to search.
    if (limits.use_book && limits.searchmove_count == 0 && game_book_kind() == BookKind::POLYGLOT) {
        const Move book_move = polyglot_book_move();
        if (book_move != -1) return book_outcome(book_move);
    }
    if (kind == SearchKind::STRONG) {
        SearchOutcome outcome = strong_game_search(limits, hooks);
        running_limits = nullptr;
        return outcome;
    }
    SearchOutcome outcome;
    RunningSearch search = {&limits, &hooks, &outcome, false};

    // 1. The control state, from the limits and the hooks.
    const ClassicControl control = classic_control(limits);
    time_budget_ms = control.budget_ms;
    depth_limit = control.depth;
    search_without_deadline = control.no_deadline;
    search_should_stop = running_search_must_stop;
    search_stop_context = &search;
    iteration_reporter = note_iteration;
    iteration_report_context = &search;
    book_allowed = limits.use_book && limits.searchmove_count == 0 && from_start_position &&
                   game_book_kind() == BookKind::TEXT;
    allowed_root_move_count = 0;
    for (int i = 0; i < limits.searchmove_count && i < ALLOWED_ROOT_MOVES_MAX; ++i)
        if (const Move move = game_move_named(limits.searchmoves[i]))
            allowed_root_moves[allowed_root_move_count++] = move;

    choose_move(OUTPUT_THINKING);

    // 2. Back to rest, so that nothing of this search reaches the next.
    time_budget_ms = 0;
    depth_limit = 0;
    search_without_deadline = false;
    search_should_stop = nullptr;
    search_stop_context = nullptr;
    iteration_reporter = nullptr;
    iteration_report_context = nullptr;
    book_allowed = true;
    allowed_root_move_count = 0;
    running_limits = nullptr;

    // 3. Why it ended, and the move that follows from that.
    outcome.best = pv_table[0][0];
    if (chosen_from_book) {
        outcome.end = SearchEnd::BOOK;
        return outcome;
    }
    switch (search_stop_cause) {
        case StopCause::NONE: outcome.end = SearchEnd::COMPLETED; break;
        case StopCause::DEADLINE: outcome.end = SearchEnd::DEADLINE; break;
        case StopCause::HOOK: outcome.end = search.node_limit_reached ? SearchEnd::DEADLINE : SearchEnd::STOPPED; break;
    }
    // A stopped search answers with what it has finished, not with a
    // half-searched iteration's choice.
    if (outcome.end == SearchEnd::STOPPED && outcome.pv_length > 0) outcome.best = outcome.pv[0];
    if (outcome.best == 0 && outcome.end != SearchEnd::COMPLETED) outcome.best = game_first_legal_move();
    if (outcome.pv_length >= 2 && outcome.pv[0] == outcome.best)
        outcome.ponder = outcome.pv[1];
    else if (pv_length[0] >= 2 && pv_table[0][0] == outcome.best)
        outcome.ponder = pv_table[0][1];
    return outcome;
}

void game_search_ponderhit() {
    if (running_limits == nullptr) return;
    if (running_kind == SearchKind::STRONG) {
        strong_search_ponderhit();
        return;
    }
    // The classic search now gets the budget its clock gives, from now on.
    SearchLimits hit = *running_limits;
    hit.ponder = false;
    if (limits_have_deadline(hit)) set_deadline_from_now(classic_control(hit).budget_ms);
}

SearchProgress game_search_progress() {
    if (running_kind == SearchKind::STRONG) {
        SearchProgress progress{0, 0, 0, 0, root_move_total};
        strong_search_progress(&progress.elapsed_ms, &progress.nodes, &progress.depth);
        return progress;
    }
    const int left = root_move_total - root_moves_searched;
    return {static_cast<std::int32_t>(elapsed_ms(search_start_ms, clock_ms())), node_count, iteration_depth,
            left > 0 ? left : 0, root_move_total};
}

int game_legal_move_count() {
    int count = 0;
    for (int i = 0; i < ply_first_move[1]; ++i) {
        if (make_move(move_list[i].move)) {
            unmake_move();
            ++count;
        }
    }
    return count;
}

Move game_first_legal_move() {
    for (int i = 0; i < ply_first_move[1]; ++i) {
        if (make_move(move_list[i].move)) {
            unmake_move();
            return move_list[i].move;
        }
    }
    return 0;
}

int game_side_to_move() { return side_to_move; }

int game_ply() { return history_ply; }

const char* game_move_text(Move move) { return move_to_text(move); }

Move game_move_named(const MoveName& name) {
    for (int i = 0; i < ply_first_move[1]; ++i) {
        const Move move = move_list[i].move;
        const int promotion = (move_flags(move) & MOVE_PROMOTION) ? move_promotion(move) : EMPTY;
        if (move_from(move) != name.from || move_to(move) != name.to || promotion != name.promotion) continue;
        if (!make_move(move)) return 0;
        unmake_move();
        return move;
    }
    return 0;
}

MoveName game_move_name(Move move) {
    const int promotion = (move_flags(move) & MOVE_PROMOTION) ? move_promotion(move) : EMPTY;
    return {static_cast<std::int8_t>(move_from(move)), static_cast<std::int8_t>(move_to(move)),
            static_cast<std::int8_t>(promotion)};
}

Move game_find_move(const char* text) {
    const int index = parse_move_text(text);
    if (index == -1) return 0;
    const Move move = move_list[index].move;
    if (!make_move(move)) return 0;
    unmake_move();
    return move;
}
