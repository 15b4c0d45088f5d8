// The xboard front end: its command tables, the commands of the game, and
// the loop that reads and carries out lines.
#include "xboard/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "game/book_path.h"
#include "game/strong_door.h"
#include "io/input.h"
#include "io/tokens.h"
#include "version.h"
#include "xboard/analysis.h"
#include "xboard/clock.h"
#include "xboard/output.h"
#include "xboard/turn.h"

namespace {

// ---------------------------------------------------------------------------
// Commands of both versions.

// In analysis mode "new" only sets up the start position to analyse.
void cmd_new(XboardSession& session, const char*) {
    game_new();
    strong_new_game();
    session.engine_side = session.analysing ? EMPTY : BLACK;
    if (session.rules->resets_clock_on_new) reset_clock_for_new_game(session);
    position_changed(session);
}

void cmd_quit(XboardSession& session, const char*) { session.quit = true; }

void cmd_force(XboardSession& session, const char*) { session.engine_side = EMPTY; }

// The colour commands hand over the move and nothing else.
void cmd_white(XboardSession& session, const char*) {
    game_set_side_to_move(WHITE);
    session.engine_side = BLACK;
}

void cmd_black(XboardSession& session, const char*) {
    game_set_side_to_move(BLACK);
    session.engine_side = WHITE;
}

void cmd_post(XboardSession& session, const char*) { session.post = true; }

void cmd_nopost(XboardSession& session, const char*) { session.post = false; }

// Neither take-back announces anything; too few moves played is no error.
void cmd_undo(XboardSession& session, const char*) {
    if (game_take_back(1)) position_changed(session);
}

void cmd_remove(XboardSession& session, const char*) {
    if (game_take_back(2)) position_changed(session);
}

// Taken silently: what the interface says that needs no answer.
void cmd_ignore(XboardSession&, const char*) {}

// ---------------------------------------------------------------------------
// Protocol 2.

// "setboard FEN": a new game from the position, in force mode.
void cmd_setboard(XboardSession& session, const char* line) {
    if (game_set_fen(after_first_word(line)) != nullptr) {
        std::printf("tellusererror Illegal position\n");
        return;
    }
    session.engine_side = EMPTY;
    position_changed(session);
}

void cmd_ping(XboardSession&, const char* line) {
    const char* number = after_first_word(line);
    const char* end = number;
    std::int64_t value;
    if (!read_integer(end, &value) || *skip_blanks(end)) {
        std::printf("Error (bad parameters): %s\n", line);
        return;
    }
    strong_prepare();
    std::printf("pong %.*s\n", static_cast<int>(end - number), number);
}

// "result": the game is over; wait in force mode for the next one.
void cmd_result(XboardSession& session, const char*) { session.engine_side = EMPTY; }

void cmd_playother(XboardSession& session, const char*) {
    session.engine_side = game_side_to_move() ^ 1;
    session.analysing = false;
}

// "bk": the book's moves are not listed; the answer ends with an empty line.
void cmd_book_moves(XboardSession&, const char*) { std::printf(" no list of book moves\n\n"); }

void print_features() {
    std::printf("feature done=0 myname=\"Tavrin %s\" variants=\"normal\" setboard=1 ping=1 playother=1 usermove=0\n",
                TAVRIN_VERSION);
    std::printf("feature option=\"Search -combo classic /// *strong\"\n");
    std::printf("feature option=\"Move Overhead -spin %d 0 %d\"\n", MOVE_OVERHEAD_DEFAULT_MS, MOVE_OVERHEAD_MAX_MS);
    std::printf("feature option=\"Clear Hash -button\"\n");
    std::printf("feature option=\"MultiPV -spin 1 1 %d\"\n", MULTIPV_MAX);
    std::printf("feature option=\"UCI_LimitStrength -check 0\"\n");
    std::printf("feature option=\"UCI_Elo -spin %d %d %d\"\n", ELO_DEFAULT, ELO_MIN, ELO_MAX);
    std::printf("feature option=\"Skill Level -spin %d 0 %d\"\n", SKILL_LEVEL_MAX, SKILL_LEVEL_MAX);
    std::printf("feature option=\"BookFile -file %s\"\n", shipped_book_path());
    std::printf("feature option=\"Eval -combo *tuned /// network\"\n");
    std::printf("feature option=\"EvalFile -file %s\"\n", BUILTIN_NETWORK);
    std::printf("feature memory=1 smp=1 time=1 draw=0 sigint=0 sigterm=0 reuse=1 colors=0 analyze=1 done=1\n");
}

// "memory N": the table gets the megabytes the interface allows.
void cmd_memory(XboardSession&, const char* line) {
    const char* p = after_first_word(line);
    std::int64_t mb;
    if (!read_integer(p, &mb) || *skip_blanks(p) || mb < 1) {
        std::printf("Error (bad parameters): %s\n", line);
        return;
    }
    if (!strong_set_hash_mb(static_cast<int>(std::min<std::int64_t>(mb, strong_max_hash_mb()))))
        std::printf("telluser no memory for %lld MB of hash; the table stays as it was\n", static_cast<long long>(mb));
}

// "cores N": the strong search's threads.
void cmd_cores(XboardSession&, const char* line) {
    const char* p = after_first_word(line);
    std::int64_t cores;
    if (!read_integer(p, &cores) || *skip_blanks(p) || cores < 1) {
        std::printf("Error (bad parameters): %s\n", line);
        return;
    }
    strong_set_threads(static_cast<int>(std::min<std::int64_t>(cores, THREADS_MAX)));
}

// "option NAME[=VALUE]" for the options announced in the features.
void cmd_option(XboardSession& session, const char* line) {
    const char* name = after_first_word(line);
    const char* equals = std::strchr(name, '=');
    const std::size_t length = equals ? static_cast<std::size_t>(equals - name) : std::strlen(name);
    const char* value = equals ? equals + 1 : "";
    auto is = [&](const char* option) { return std::strlen(option) == length && std::strncmp(name, option, length) == 0; };
    std::int64_t number = 0;
    const bool numeric = read_integer_word(value, &number);
    if (is("Search") && std::strcmp(value, "classic") == 0) {
        session.kind = SearchKind::CLASSIC;
    } else if (is("Search") && std::strcmp(value, "strong") == 0) {
        session.kind = SearchKind::STRONG;
    } else if (is("Move Overhead") && numeric && number >= 0 && number <= MOVE_OVERHEAD_MAX_MS) {
        session.move_overhead_ms = static_cast<int>(number);
    } else if (is("Clear Hash")) {
        strong_clear_hash();
    } else if (is("MultiPV") && numeric && number >= 1 && number <= MULTIPV_MAX) {
        session.multipv = static_cast<int>(number);
    } else if (is("UCI_LimitStrength") && numeric && (number == 0 || number == 1)) {
        session.limit_strength = number == 1;
    } else if (is("UCI_Elo") && numeric && number >= ELO_MIN && number <= ELO_MAX) {
        session.elo = static_cast<int>(number);
    } else if (is("Skill Level") && numeric && number >= 0 && number <= SKILL_LEVEL_MAX) {
        session.skill_level = static_cast<int>(number);
    } else if (is("Eval") && (std::strcmp(value, "tuned") == 0 || std::strcmp(value, "network") == 0)) {
        strong_use_network(std::strcmp(value, "network") == 0);
    } else if (is("EvalFile") && *value) {
        if (const char* why = strong_load_network(value))
            std::printf("telluser EvalFile refused: %s; the network stays as it was\n", why);
    } else if (is("BookFile") && *value) {
        if (const char* why = game_open_book(value)) std::printf("telluser no book: %s (%s)\n", why, value);
    } else {
        std::printf("Error (bad option): %s\n", line);
    }
}

// "protover N": from version 2 on, the features at once and protocol 2 for
// good. An older version changes nothing and is no command of version 1.
void cmd_protover(XboardSession& session, const char* line, const char* word) {
    const char* p = after_first_word(line);
    std::int64_t version = 0;
    if (!read_integer(p, &version) || version < 2) {
        if (session.rules->announces_old_protover) std::printf("(unknown command): %s\n", word);
        return;
    }
    session.rules = &PROTOCOL_2;
    game_seed_books_independently();
    print_features();
}

// ---------------------------------------------------------------------------
// Moves.

// Coordinate text in shape: letter, digit, letter, digit, and perhaps a
// piece letter.
bool looks_like_a_move(const char* word) {
    const std::size_t n = std::strlen(word);
    if (n != 4 && n != 5) return false;
    for (int i = 0; i < 4; ++i) {
        const char c = word[i];
        if (i % 2 == 0 ? (c < 'a' || c > 'z') : (c < '0' || c > '9')) return false;
    }
    return true;
}

void refuse_v1(const char* word) { std::printf("(unknown command): %s\n", word); }

void refuse_v2(const char* word) {
    if (looks_like_a_move(word))
        std::printf("Illegal move: %s\n", word);
    else
        std::printf("Error (unknown command): %s\n", word);
}

// The line as a move, refused in the version's own words.
void move_input(XboardSession& session, const char* line, const char* word) {
    if (game_play_text(line) != MoveRefusal::NONE) {
        session.rules->refuse_move(word);
        return;
    }
    position_changed(session);
    report_result(session);
}

// ---------------------------------------------------------------------------
// The tables.

constexpr XboardCommand protocol1_commands[] = {
    {"new",    cmd_new},
    {"quit",   cmd_quit},
    {"force",  cmd_force},
    {"white",  cmd_white},
    {"black",  cmd_black},
    {"st",     cmd_st_v1},
    {"sd",     cmd_sd_v1},
    {"time",   cmd_time_v1},
    {"otim",   cmd_ignore},
    {"go",     cmd_go},
    {"hint",   cmd_hint},
    {"undo",   cmd_undo},
    {"remove", cmd_remove},
    {"post",   cmd_post},
    {"nopost", cmd_nopost},
    {"xboard", cmd_ignore},
};

constexpr XboardCommand protocol2_commands[] = {
    {"new",       cmd_new},
    {"quit",      cmd_quit},
    {"force",     cmd_force},
    {"go",        cmd_go},
    {"playother", cmd_playother},
    {"white",     cmd_white},
    {"black",     cmd_black},
    {"level",     cmd_level},
    {"st",        cmd_st_v2},
    {"sd",        cmd_sd_v2},
    {"time",      cmd_time_v2},
    {"otim",      cmd_otim_v2},
    {"hint",      cmd_hint},
    {"undo",      cmd_undo},
    {"remove",    cmd_remove},
    {"post",      cmd_post},
    {"nopost",    cmd_nopost},
    {"setboard",  cmd_setboard},
    {"ping",      cmd_ping},
    {"result",    cmd_result},
    {"xboard",    cmd_ignore},
    {"accepted",  cmd_ignore},
    {"rejected",  cmd_ignore},
    {"random",    cmd_ignore},
    {"hard",      cmd_ignore},
    {"easy",      cmd_ignore},
    {"computer",  cmd_ignore},
    {"name",      cmd_ignore},
    {"rating",    cmd_ignore},
    {"ics",       cmd_ignore},
    {"analyze",   cmd_analyze},
    {"exit",      cmd_exit},
    {".",         cmd_status},
    {"?",         cmd_ignore},  // move now: heard only while the engine thinks
    {"bk",        cmd_book_moves},
    {"option",    cmd_option},
    {"memory",    cmd_memory},
    {"cores",     cmd_cores},
};

}  // namespace

const ProtocolRules PROTOCOL_1 = {
    protocol1_commands, std::size(protocol1_commands),
    /*reads_whole_lines=*/false, /*listens_while_thinking=*/false, /*searches_ended_games=*/true,
    /*shows_mates_as_100000=*/false, /*announces_old_protover=*/true, /*resets_clock_on_new=*/false,
    RepetitionRule::FOURTH_BY_HASH, search_limits_v1, refuse_v1,
};

const ProtocolRules PROTOCOL_2 = {
    protocol2_commands, std::size(protocol2_commands),
    /*reads_whole_lines=*/true, /*listens_while_thinking=*/true, /*searches_ended_games=*/false,
    /*shows_mates_as_100000=*/true, /*announces_old_protover=*/false, /*resets_clock_on_new=*/true,
    RepetitionRule::THIRD_BY_RULES, search_limits_v2, refuse_v2,
};

bool carry_out_line(XboardSession& session, const char* line) {
    // A line of only blanks or a carriage return has no word to act on.
    char* const word = session.word;
    if (!take_first_word(line, word, sizeof session.word)) return !session.quit;
    if (std::strcmp(word, "protover") == 0) {
        cmd_protover(session, line, word);
        return !session.quit;
    }
    // A version that reads whole lines takes them without their ends; a
    // line handed in with one is read the same way.
    if (session.rules->reads_whole_lines) {
        std::size_t n = std::strlen(line);
        if (n >= sizeof session.whole) n = sizeof session.whole - 1;
        std::memcpy(session.whole, line, n);
        while (n > 0 && (session.whole[n - 1] == '\n' || session.whole[n - 1] == '\r')) --n;
        session.whole[n] = '\0';
        line = session.whole;
    }
    const ProtocolRules& rules = *session.rules;
    for (std::size_t i = 0; i < rules.command_count; ++i) {
        if (std::strcmp(word, rules.commands[i].name) == 0) {
            rules.commands[i].run(session, line);
            return !session.quit;
        }
    }
    move_input(session, line, word);
    return !session.quit;
}

void run_xboard(XboardSession& session, const char* first_line) {
    carry_out_line(session, first_line);
    while (!session.quit) {
        std::fflush(stdout);
        // Lines kept back during a search were sent before anything still
        // unread, and are carried out before the engine thinks again.
        if (session.engine_side == game_side_to_move() && !deferred_line_waiting()) {
            engine_turn(session);
            continue;
        }
        if (analysis_turn(session)) continue;
        // Protocol 1 reads at most 255 characters at a time, and the rest of
        // a longer line as lines of their own; protocol 2 reads whole lines.
        if (!session.rules->reads_whole_lines) {
            if (!read_line_piece(session.line, 256)) return;
        } else {
            bool too_long = false;
            if (!read_whole_line(session.line, sizeof session.line, &too_long)) return;
            if (too_long) {
                std::printf("Error (line too long): %.20s...\n", session.line);
                continue;
            }
        }
        carry_out_line(session, session.line);
    }
}
