// The UCI front end: taken up when the first command is "uci".
#include "uci/uci.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "game/book_path.h"
#include "io/listen.h"
#include "io/tokens.h"
#include "version.h"

namespace {

void print_identity(const UciSession& session) {
    std::printf("id name Tavrin %s\n", TAVRIN_VERSION);
    std::printf("id author the Tavrin developers\n");
    std::printf("option name OwnBook type check default true\n");
    std::printf("option name BookFile type string default %s\n", session.book_path);
    std::printf("option name Ponder type check default false\n");
    std::printf("option name Search type combo default strong var classic var strong\n");
    std::printf("option name Hash type spin default %d min %d max %d\n", HASH_DEFAULT_MB, HASH_MIN_MB,
                strong_max_hash_mb());
    std::printf("option name Clear Hash type button\n");
    std::printf("option name Move Overhead type spin default %d min 0 max %d\n", MOVE_OVERHEAD_DEFAULT_MS,
                MOVE_OVERHEAD_MAX_MS);
    std::printf("option name Threads type spin default 1 min 1 max %d\n", THREADS_MAX);
    std::printf("option name MultiPV type spin default 1 min 1 max %d\n", MULTIPV_MAX);
    std::printf("option name UCI_LimitStrength type check default false\n");
    std::printf("option name UCI_Elo type spin default %d min %d max %d\n", ELO_DEFAULT, ELO_MIN, ELO_MAX);
    std::printf("option name Skill Level type spin default %d min 0 max %d\n", SKILL_LEVEL_MAX, SKILL_LEVEL_MAX);
    std::printf("option name UCI_ShowWDL type check default false\n");
    std::printf("option name Eval type combo default tuned var tuned var network\n");
    std::printf("option name EvalFile type string default %s\n", BUILTIN_NETWORK);
    for (int i = 0; i < strong_tunable_count(); ++i) {
        const TunableParam p = strong_tunable(i);
        std::printf("option name %s type spin default %d min %d max %d\n", p.name, p.value, p.min, p.max);
    }
    std::printf("uciok\n");
}

// "info depth D score cp S|mate M time T nodes N nps X pv ...", mates in
// moves: positive when Tavrin mates.
void report_iteration(void* context, const IterationReport& iteration) {
    const UciSession& session = *static_cast<const UciSession*>(context);
    std::printf("info depth %d ", iteration.depth);
    if (iteration.seldepth > 0) std::printf("seldepth %d ", iteration.seldepth);
    if (session.multipv > 1) std::printf("multipv %d ", iteration.multipv);
    std::printf("score ");
    if (iteration.is_mate)
        std::printf("mate %d", iteration.mate_moves);
    else
        std::printf("cp %d", iteration.score);
    if (session.show_wdl) {
        const WinDrawLoss wdl = strong_wdl(iteration);
        std::printf(" wdl %d %d %d", wdl.win, wdl.draw, wdl.loss);
    }
    const std::uint64_t ms = iteration.elapsed_ms > 0 ? static_cast<std::uint64_t>(iteration.elapsed_ms) : 0;
    const std::uint64_t nps = iteration.nodes * 1000 / (ms > 0 ? ms : 1);
    std::printf(" time %llu nodes %llu nps %llu", static_cast<unsigned long long>(ms),
                static_cast<unsigned long long>(iteration.nodes), static_cast<unsigned long long>(nps));
    if (iteration.hashfull >= 0) std::printf(" hashfull %d", iteration.hashfull);
    if (iteration.pv_length > 0) std::printf(" pv");
    for (int j = 0; j < iteration.pv_length; ++j) std::printf(" %s", game_move_text(iteration.pv[j]));
    std::printf("\n");
    std::fflush(stdout);
}

void ponderhit(UciGo& go) {
    if (!go.pondering) return;
    go.pondering = false;
    game_search_ponderhit();
}

// The commands that a search must hear at once; anything else waits for
// the search to end.
Heard hear_during_search(void* context, const char* line) {
    UciSession& session = *static_cast<UciSession*>(context);
    char word[32];
    if (!take_first_word(line, word, sizeof word)) return Heard::NOTHING;
    if (std::strcmp(word, "stop") == 0) {
        session.go.stop_requested = true;
        return Heard::STOP;
    }
    if (std::strcmp(word, "quit") == 0) {
        session.quit = true;
        return Heard::STOP;
    }
    if (std::strcmp(word, "isready") == 0) {
        std::printf("readyok\n");
        std::fflush(stdout);
        return Heard::NOTHING;
    }
    if (std::strcmp(word, "ponderhit") == 0) {
        ponderhit(session.go);
        return Heard::NOTHING;
    }
    if (std::strcmp(word, "debug") == 0) return Heard::NOTHING;
    return Heard::DEFER;
}

void drop_line(void*, const char* line) {
    std::printf("info string too much input during the search; dropped: %.40s\n", line);
}

Listened listen(UciSession& session) {
    return listen_for_lines({hear_during_search, drop_line, &session}, session.heard, sizeof session.heard);
}

// Polled by the search every 1024 nodes. The end of input ends only a
// search that would otherwise never end.
bool search_must_stop(void* context) {
    UciSession& session = *static_cast<UciSession*>(context);
    switch (listen(session)) {
        case Listened::GO_ON: return false;
        case Listened::STOP: return true;
        case Listened::INPUT_ENDED:
            if (!session.go.pondering && !session.go.wait_for_stop) return false;
            session.quit = true;
            return true;
    }
    return true;
}

// After a search that must not answer yet: reads until "stop", "ponderhit"
// or "quit", answering "isready" meanwhile.
void wait_until_released(UciSession& session) {
    UciGo& go = session.go;
    while ((go.wait_for_stop || go.pondering) && !go.stop_requested && !session.quit) {
        bool too_long = false;
        if (!read_new_line(session.heard, sizeof session.heard, &too_long)) {
            session.quit = true;
            return;
        }
        if (!too_long && hear_during_search(&session, session.heard) == Heard::DEFER &&
            !defer_line(session.heard))
            drop_line(&session, session.heard);
    }
}

void cmd_go(UciSession& session, const char* arguments) {
    SearchLimits& limits = session.limits;
    limits = read_go(arguments, game_side_to_move(), true);
    // The book only for a real move.
    limits.use_book = session.own_book && !limits.ponder && !limits.infinite;
    limits.kind = session.kind;
    limits.move_overhead_ms = session.move_overhead_ms;
    limits.multipv = session.multipv;
    limits.strength_elo = strength_elo(session.limit_strength, session.elo, session.skill_level);

    UciGo& go = session.go;
    go = UciGo{};
    go.pondering = limits.ponder;
    go.wait_for_stop = limits.infinite;

    // 1. Search, listening.
    const SearchOutcome outcome = game_search(limits, {search_must_stop, report_iteration, &session});
    if (session.quit) return;

    // 2. "infinite" and "ponder" answer only when released.
    wait_until_released(session);
    if (session.quit) return;

    // 3. The move.
    if (outcome.best == 0) {
        std::printf("bestmove 0000\n");
        return;
    }
    std::printf("bestmove %s", game_move_text(outcome.best));
    if (outcome.ponder != 0) std::printf(" ponder %s", game_move_text(outcome.ponder));
    std::printf("\n");
}

// "position startpos|fen FEN [moves ...]": a refused FEN keeps the position
// as it was; the moves are played up to the first that is not legal.
void cmd_position(const char* arguments) {
    char token[128];
    const char* p = arguments;
    if (!next_token(p, token, sizeof token)) {
        std::printf("info string position needs startpos or fen\n");
        return;
    }
    const char* moves = std::strstr(p, " moves");
    if (moves == nullptr) moves = p + std::strlen(p);
    if (std::strcmp(token, "startpos") == 0) {
        game_new();
    } else if (std::strcmp(token, "fen") == 0) {
        char fen[512];
        const std::size_t length = static_cast<std::size_t>(moves - p);
        if (length >= sizeof fen) {
            std::printf("info string FEN refused (too long); the position stays as it was\n");
            return;
        }
        std::memcpy(fen, p, length);
        fen[length] = '\0';
        if (const char* why = game_set_fen(fen)) {
            std::printf("info string FEN refused (%s); the position stays as it was\n", why);
            return;
        }
    } else {
        std::printf("info string position needs startpos or fen, not %.40s\n", token);
        return;
    }
    if (!*moves) return;
    p = after_first_word(moves);
    while (next_token(p, token, sizeof token)) {
        const std::size_t length = std::strlen(token);
        const bool shaped = length == 4 || (length == 5 && std::strchr("nbrqNBRQ", token[4]) != nullptr);
        if (!shaped || game_play_text(token) != MoveRefusal::NONE) {
            std::printf("info string illegal move %.20s; it and the moves after it are ignored\n", token);
            return;
        }
    }
}

void set_book(UciSession& session, bool wanted) {
    session.own_book = wanted;
    if (!session.own_book) {
        game_close_book();
        return;
    }
    if (const char* why = game_open_book(session.book_path))
        std::printf("info string no book: %s (%s)\n", why, session.book_path);
}

// A spin option's value within its bounds; false, with a word to the
// interface, otherwise.
bool read_spin(const char* name, const char* value, int low, int high, int* out) {
    std::int64_t number;
    if (!read_integer_word(value, &number) || number < low || number > high) {
        std::printf("info string %s takes %d to %d\n", name, low, high);
        return false;
    }
    *out = static_cast<int>(number);
    return true;
}

// "setoption name NAME [value VALUE]", names in any case.
void cmd_setoption(UciSession& session, const char* arguments) {
    const char* name = std::strstr(arguments, "name ");
    if (name == nullptr) {
        std::printf("info string setoption needs a name\n");
        return;
    }
    name = skip_blanks(name + 5);
    const char* value_key = std::strstr(name, " value");
    const std::size_t name_length = static_cast<std::size_t>(value_key ? value_key - name : std::strlen(name));
    const char* value = value_key ? skip_blanks(value_key + 6) : "";
    auto is = [&](const char* option) {
        return std::strlen(option) == name_length && strncasecmp(name, option, name_length) == 0;
    };
    if (is("OwnBook")) {
        set_book(session, strcasecmp(value, "false") != 0);
    } else if (is("BookFile")) {
        std::snprintf(session.book_path, sizeof session.book_path, "%s", value);
        if (session.own_book) set_book(session, true);
    } else if (is("Ponder")) {
        // Pondering is the interface's to ask for; nothing to set.
    } else if (is("Search")) {
        if (strcasecmp(value, "classic") == 0)
            session.kind = SearchKind::CLASSIC;
        else if (strcasecmp(value, "strong") == 0)
            session.kind = SearchKind::STRONG;
        else
            std::printf("info string Search is classic or strong, not %.40s\n", value);
    } else if (is("Hash")) {
        int mb;
        if (read_spin("Hash", value, HASH_MIN_MB, strong_max_hash_mb(), &mb) && !strong_set_hash_mb(mb))
            std::printf("info string no memory for %d MB of hash; the table stays as it was\n", mb);
    } else if (is("Clear Hash")) {
        strong_clear_hash();
    } else if (is("Move Overhead")) {
        read_spin("Move Overhead", value, 0, MOVE_OVERHEAD_MAX_MS, &session.move_overhead_ms);
    } else if (is("Threads")) {
        int threads;
        if (read_spin("Threads", value, 1, THREADS_MAX, &threads)) strong_set_threads(threads);
    } else if (is("MultiPV")) {
        read_spin("MultiPV", value, 1, MULTIPV_MAX, &session.multipv);
    } else if (is("UCI_ShowWDL")) {
        session.show_wdl = strcasecmp(value, "true") == 0;
    } else if (is("UCI_LimitStrength")) {
        session.limit_strength = strcasecmp(value, "true") == 0;
    } else if (is("UCI_Elo")) {
        read_spin("UCI_Elo", value, ELO_MIN, ELO_MAX, &session.elo);
    } else if (is("Skill Level")) {
        read_spin("Skill Level", value, 0, SKILL_LEVEL_MAX, &session.skill_level);
    } else if (is("Eval")) {
        if (strcasecmp(value, "tuned") == 0 || strcasecmp(value, "network") == 0)
            strong_use_network(strcasecmp(value, "network") == 0);
        else
            std::printf("info string Eval is tuned or network, not %.40s\n", value);
    } else if (is("EvalFile")) {
        if (const char* why = strong_load_network(value))
            std::printf("info string EvalFile refused: %s; the network stays as it was\n", why);
    } else if (int number; strong_tunable_count() > 0 && read_spin("tunable", value, -1000000, 1000000, &number)) {
        char option[64];
        std::snprintf(option, sizeof option, "%.*s", static_cast<int>(name_length < 63 ? name_length : 63), name);
        if (!strong_set_tunable(option, number)) std::printf("info string no tunable %s takes %d\n", option, number);
    } else {
        std::printf("info string unknown option %.*s\n", static_cast<int>(name_length < 64 ? name_length : 64), name);
    }
}

}  // namespace

namespace {

// The words of "go" that take a number, and the two that stand alone; a
// word of "searchmoves" is a move until one of these comes.
constexpr const char* GO_WORDS[] = {"wtime", "btime", "winc", "binc",  "movestogo", "depth",
                                    "nodes", "mate",  "movetime", "infinite", "ponder", "searchmoves"};

bool is_go_word(const char* token) {
    for (const char* word : GO_WORDS)
        if (std::strcmp(token, word) == 0) return true;
    return false;
}

// Coordinate text in shape: four characters, or five with a piece letter.
bool shaped_like_a_move(const char* token) {
    const std::size_t length = std::strlen(token);
    return length == 4 || (length == 5 && std::strchr("nbrqNBRQ", token[4]) != nullptr);
}

}  // namespace

SearchLimits read_go(const char* arguments, int side, bool report) {
    SearchLimits limits;
    char token[64];
    const char* p = arguments;
    bool named_moves = false;
    while (next_token(p, token, sizeof token)) {
        if (std::strcmp(token, "infinite") == 0) {
            limits.infinite = true;
            continue;
        }
        if (std::strcmp(token, "ponder") == 0) {
            limits.ponder = true;
            continue;
        }
        if (std::strcmp(token, "searchmoves") == 0) {
            // 1. The moves named, up to the next word of "go"; what is no
            //    legal move here is dropped, and said so.
            named_moves = true;
            for (const char* q = p; next_token(q, token, sizeof token) && !is_go_word(token); p = q) {
                const Move move = shaped_like_a_move(token) ? game_find_move(token) : 0;
                if (move == 0 || limits.searchmove_count == SEARCHMOVES_MAX) {
                    if (report) std::printf("info string searchmoves: %.20s is no legal move here; dropped\n", token);
                    continue;
                }
                const MoveName name = game_move_name(move);
                bool repeated = false;
                for (int i = 0; i < limits.searchmove_count; ++i)
                    repeated = repeated || (limits.searchmoves[i].from == name.from && limits.searchmoves[i].to == name.to &&
                                            limits.searchmoves[i].promotion == name.promotion);
                if (!repeated) limits.searchmoves[limits.searchmove_count++] = name;
            }
            continue;
        }
        const bool own_clock = std::strcmp(token, side == WHITE ? "wtime" : "btime") == 0;
        const bool own_increment = std::strcmp(token, side == WHITE ? "winc" : "binc") == 0;
        if (!is_go_word(token)) continue;
        const char* q = p;
        char number[64];
        std::int64_t value;
        if (!next_token(q, number, sizeof number) || !read_integer_word(number, &value)) continue;
        p = q;
        if (own_clock) {
            limits.clock_ms = std::max<std::int64_t>(value, 0);
        } else if (own_increment) {
            limits.increment_ms = std::max<std::int64_t>(value, 0);
        } else if (std::strcmp(token, "movestogo") == 0) {
            limits.moves_to_go = static_cast<int>(std::clamp<std::int64_t>(value, 0, 1000000));
        } else if (std::strcmp(token, "depth") == 0) {
            limits.depth = value > 0 ? static_cast<int>(std::min<std::int64_t>(value, 1000000)) : 0;
        } else if (std::strcmp(token, "nodes") == 0) {
            limits.nodes = value > 0 ? static_cast<std::uint64_t>(value) : 0;
        } else if (std::strcmp(token, "movetime") == 0) {
            limits.move_time_ms = value >= 0 ? value : -1;
        } else if (std::strcmp(token, "mate") == 0) {
            if (value >= 1)
                limits.mate = static_cast<int>(std::min<std::int64_t>(value, 100));
            else if (report)
                std::printf("info string go mate takes a number of moves from 1, not %lld; ignored\n",
                            static_cast<long long>(value));
        }
    }
    if (named_moves && limits.searchmove_count == 0 && report)
        std::printf("info string searchmoves names no legal move here; every move is searched\n");
    return limits;
}

void uci_start(UciSession& session) {
    game_seed_books_independently();
    std::snprintf(session.book_path, sizeof session.book_path, "%s", shipped_book_path());
    game_new();
}

bool uci_carry_out_line(UciSession& session, const char* line) {
    // A line handed in from elsewhere is kept in the session, as a line read
    // is: the search reads into `heard` and leaves it alone.
    if (line != session.line) {
        const std::size_t length = std::strlen(line);
        if (length >= sizeof session.line) {
            std::printf("info string line too long, ignored\n");
            return true;
        }
        std::memcpy(session.line, line, length + 1);
    }
    char word[64];
    if (!take_first_word(session.line, word, sizeof word)) return true;
    const char* arguments = after_first_word(session.line);
    if (std::strcmp(word, "uci") == 0) {
        print_identity(session);
    } else if (std::strcmp(word, "isready") == 0) {
        strong_prepare();
        std::printf("readyok\n");
    } else if (std::strcmp(word, "ucinewgame") == 0) {
        game_new();
        strong_new_game();
    } else if (std::strcmp(word, "position") == 0) {
        cmd_position(arguments);
    } else if (std::strcmp(word, "go") == 0) {
        cmd_go(session, arguments);
    } else if (std::strcmp(word, "setoption") == 0) {
        cmd_setoption(session, arguments);
    } else if (std::strcmp(word, "quit") == 0) {
        session.quit = true;
    } else if (std::strcmp(word, "stop") == 0 || std::strcmp(word, "ponderhit") == 0 ||
               std::strcmp(word, "debug") == 0 || std::strcmp(word, "register") == 0) {
        // Nothing to stop or hit without a search; no debug output; no registration.
    } else {
        std::printf("info string unknown command %.40s\n", word);
    }
    return !session.quit;
}

void run_uci(UciSession& session) {
    uci_start(session);
    print_identity(session);
    while (!session.quit) {
        std::fflush(stdout);
        bool too_long = false;
        if (!read_whole_line(session.line, sizeof session.line, &too_long)) return;
        if (too_long) {
            std::printf("info string line too long, ignored\n");
            continue;
        }
        if (!uci_carry_out_line(session, session.line)) return;
    }
}
