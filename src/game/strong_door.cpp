// The strong search behind the game layer: its engine (table, threads), a
// struct board kept in step with the game for repetitions, and the search
// of the game position with the front end's limits and hooks.
#include "game/strong_door.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "common/random.h"
#include "game/board_bridge.h"
#include "game/time_control.h"
#include "strong/notation.h"
#include "strong/params.h"
#include "strong/search.h"
#include "strong/skill.h"
#include "strong/wdl.h"

namespace {

// Made when a Hash is set, when the interface makes ready, or on first use,
// so that a game with the classic search alone never takes the table's
// memory and no search waits for its table.
std::unique_ptr<strong::Engine> engine;
int hash_mb = HASH_DEFAULT_MB;
int threads = 1;

strong::Engine& the_engine() {
    if (!engine) {
        engine = std::make_unique<strong::Engine>();
        strong::set_threads(*engine, threads);
        if (hash_mb != HASH_DEFAULT_MB && !strong::set_hash(*engine, hash_mb)) hash_mb = HASH_DEFAULT_MB;
    }
    return *engine;
}

// The game position on the struct board, with the positions since set-up
// (or the last that fit) for repetitions. Large: kept here, not on a stack.
std::unique_ptr<strong::Position> game_position;
// Moves it could not follow leave it out of step until the next set-up.
bool in_step = false;

strong::Position& position() {
    if (!game_position) game_position = std::make_unique<strong::Position>();
    return *game_position;
}

// The weaker settings' choices: a splitmix64 sequence seeded by the clock,
// so that games against a weaker setting differ.
std::uint64_t choice_state = 0;

std::uint64_t next_choice() {
    if (choice_state == 0)
        choice_state = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) | 1;
    return splitmix64(choice_state);
}

struct RunningSearch {
    const SearchLimits* limits;
    const SearchHooks* hooks;
};

bool must_stop(void* context) {
    const RunningSearch& search = *static_cast<const RunningSearch*>(context);
    return search.hooks->should_stop != nullptr && search.hooks->should_stop(search.hooks->context);
}

void report(void* context, const strong::Report& line) {
    const RunningSearch& search = *static_cast<const RunningSearch*>(context);
    // Lines searched only to choose a weaker move are not shown.
    if (search.hooks->report == nullptr || line.multipv > std::max(search.limits->multipv, 1)) return;
    Move pv[MAX_OUTCOME_PV];
    const int length = std::min(line.pv_length, MAX_OUTCOME_PV);
    for (int i = 0; i < length; ++i) pv[i] = to_text_move(line.pv[i]);
    IterationReport r{line.depth, line.score, line.is_mate, line.mate_moves, static_cast<std::int32_t>(line.elapsed_ms),
                      line.nodes, pv, length};
    r.seldepth = line.seldepth;
    r.multipv = line.multipv;
    r.hashfull = line.hashfull;
    search.hooks->report(search.hooks->context, r);
}

}  // namespace

int strength_elo(bool limit_strength, int elo, int skill_level) {
    if (limit_strength) return std::clamp(elo, ELO_MIN, ELO_MAX);
    if (skill_level >= SKILL_LEVEL_MAX) return 0;
    return ELO_MIN + (ELO_MAX - ELO_MIN) * std::max(skill_level, 0) / SKILL_LEVEL_MAX;
}

bool strong_set_hash_mb(int mb) {
    mb = std::clamp(mb, HASH_MIN_MB, strong_max_hash_mb());
    const bool made = engine == nullptr;
    if (!made && !strong::set_hash(*engine, mb)) {
        strong::clear_hash(*engine);
        return false;
    }
    hash_mb = mb;
    // A new engine makes its table of hash_mb now, not in its first search.
    the_engine();
    return true;
}

void strong_prepare() { the_engine(); }

void strong_new_game() {
    if (engine) strong::clear_hash(*engine);
}

int strong_max_hash_mb() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    const long long half = pages > 0 && page_size > 0 ? static_cast<long long>(pages) * page_size / 2 / (1 << 20) : 1024;
    return static_cast<int>(std::clamp<long long>(half, HASH_DEFAULT_MB, HASH_MAX_MB));
}

void strong_clear_hash() {
    if (engine) strong::clear_hash(*engine);
}

void strong_set_threads(int n) {
    threads = std::clamp(n, 1, THREADS_MAX);
    if (engine) strong::set_threads(*engine, threads);
}

WinDrawLoss strong_wdl(const IterationReport& iteration) {
    if (iteration.is_mate) return iteration.mate_moves > 0 ? WinDrawLoss{1000, 0, 0} : WinDrawLoss{0, 0, 1000};
    if (!in_step) strong_follow_new_position();
    const int material = in_step ? strong::wdl_material(position()) : 58;
    const strong::Wdl wdl = strong::wdl_from_score(iteration.score, material);
    return {wdl.win, wdl.draw, wdl.loss};
}

void strong_use_network(bool network) {
    strong::set_eval_kind(the_engine(), network ? strong::EvalKind::NETWORK : strong::EvalKind::TUNED);
}

bool strong_uses_network() { return engine && strong::eval_kind(*engine) == strong::EvalKind::NETWORK; }

const char* strong_load_network(const char* path) {
    if (path == nullptr || *path == '\0' || std::strcmp(path, BUILTIN_NETWORK) == 0) {
        strong::use_default_network(the_engine());
        return nullptr;
    }
    return strong::load_network(the_engine(), path);
}

int strong_tunable_count() { return strong::TUNING ? strong::PARAM_COUNT : 0; }

TunableParam strong_tunable(int index) {
    const strong::ParamSpec& spec = strong::PARAM_SPECS[index];
    return {spec.name, strong::param(static_cast<strong::Param>(index)), spec.min, spec.max};
}

bool strong_set_tunable(const char* name, int value) { return strong::set_param(name, value); }

void strong_follow_new_position() { in_step = copy_game_position(position()); }

void strong_follow_move(Move move) {
    if (!in_step) return;
    in_step = strong::push_history_move(position(), to_strong_move(move));
    if (!in_step) strong_follow_new_position();
}

void strong_follow_take_back(int plies) {
    strong::Position& pos = position();
    if (in_step && pos.history_count >= plies) {
        for (int i = 0; i < plies; ++i) strong::unmake(pos);
        return;
    }
    strong_follow_new_position();
}

int strong_earlier_occurrences() {
    if (!in_step) strong_follow_new_position();
    return in_step ? strong::earlier_occurrences(position()) : 0;
}

SearchOutcome strong_search(const SearchLimits& limits, const SearchHooks& hooks) {
    SearchOutcome outcome;
    if (!in_step) strong_follow_new_position();

    // The limits as the strong search takes them: "st" as a move time with
    // the margin of the per-move clock, and a weaker setting's budget.
    SearchLimits l = limits;
    if (l.move_time_ms < 0 && l.seconds_per_move >= 0) l.move_time_ms = budget_per_move(l.seconds_per_move);
    // A mate in N moves lies 2N - 1 plies deep; the strong search, which
    // reduces and prunes, looks a few plies further before it gives up.
    if (l.mate > 0) l.depth = std::min(l.depth > 0 ? l.depth : strong::MAX_SEARCH_PLY - 1, 2 * l.mate + 4);
    strong::Skill skill{};
    if (limits.strength_elo > 0) {
        skill = strong::skill_for_elo(limits.strength_elo);
        l.multipv = std::max(l.multipv, skill.lines);
        l.nodes = l.nodes != 0 ? std::min<std::uint64_t>(l.nodes, skill.nodes) : skill.nodes;
        l.min_depth = skill.min_depth;
    }

    RunningSearch running{&limits, &hooks};
    const strong::Result result = strong::think(the_engine(), position(), l, {must_stop, report, &running});

    switch (result.reason) {
        case strong::StopReason::COMPLETED: outcome.end = SearchEnd::COMPLETED; break;
        case strong::StopReason::LIMIT: outcome.end = SearchEnd::DEADLINE; break;
        case strong::StopReason::STOPPED: outcome.end = SearchEnd::STOPPED; break;
    }
    outcome.depth = result.depth;
    outcome.score = result.score;
    outcome.pv_length = std::min(result.pv_length, MAX_OUTCOME_PV);
    for (int i = 0; i < outcome.pv_length; ++i) outcome.pv[i] = to_text_move(result.pv[i]);
    // The search's answer (what it has finished, when stopped); a weaker
    // setting may choose another of the lines.
    strong::Move best = result.best;
    if (limits.strength_elo > 0) best = strong::pick_with_skill(result, skill, next_choice());
    outcome.best = to_game_move(best);
    if (outcome.best != 0 && result.pv_length >= 2 && result.pv[0] == best) outcome.ponder = to_text_move(result.pv[1]);
    return outcome;
}

void strong_search_ponderhit() {
    if (engine) strong::ponderhit(*engine);
}

void strong_search_progress(std::int32_t* elapsed_ms, std::uint64_t* nodes, int* depth) {
    if (!engine) {
        *elapsed_ms = 0;
        *nodes = 0;
        *depth = 0;
        return;
    }
    const strong::Progress p = strong::progress(*engine);
    *elapsed_ms = static_cast<std::int32_t>(p.elapsed_ms);
    *nodes = p.nodes;
    *depth = p.depth;
}
