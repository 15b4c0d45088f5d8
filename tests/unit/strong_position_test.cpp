// The strong board's position: FEN in and out, the copy of the classic
// globals, keys, make and unmake restoring every field, null moves, the
// history kept for repetitions, and the draw rules.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "board_support.h"
#include "epd.h"
#include "strong/position.h"
#include "strong_support.h"

namespace {

using strong::Position;

// Plays "e2e4 e7e5 ..." on the strong board; each move must be legal.
void play_strong(Position& pos, const std::string& moves, bool as_history = false) {
    std::istringstream in(moves);
    for (std::string text; in >> text;) {
        const strong::Move m = strong::parse_uci_move(pos, text.c_str());
        ASSERT_NE(m, strong::NO_MOVE) << text << " in " << strong::to_fen(pos);
        if (as_history)
            ASSERT_TRUE(strong::push_history_move(pos, m));
        else
            strong::make(pos, m);
    }
}

TEST(StrongFen, RoundTripsAndDropsWhatCannotApply) {
    for (const char* fen : rich_positions) EXPECT_EQ(strong::to_fen(*strong_from_fen(fen)), fen);
    for (const PerftCase& c : read_epd()) EXPECT_EQ(strong::to_fen(*strong_from_fen(c.fen)), c.fen);
    struct Case { const char* fen; const char* kept; };
    const Case cases[] = {
        // No black pawn can take on e3: the square is dropped.
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
         "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1"},
        // The d5 pawn can: kept, on either wing of the pawn.
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 5 40", "4k3/8/8/8/3Pp3/8/8/4K3 b - d3 5 40"},
        // Rights whose rook or king has left home.
        {"r3k2r/8/8/8/8/8/8/R3K1R1 w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R3K1R1 w Qkq - 0 1"},
        {"r3k2r/8/8/8/8/8/8/R2K3R w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R2K3R w kq - 0 1"},
        // Four fields: the counters default.
        {"4k3/8/8/8/8/8/8/4K3 b - -", "4k3/8/8/8/8/8/8/4K3 b - - 0 1"},
    };
    for (const Case& c : cases) EXPECT_EQ(strong::to_fen(*strong_from_fen(c.fen)), c.kept) << c.fen;
}

// A refused FEN leaves every field as it was.
TEST(StrongFen, RefusesMalformedTextAndImpossibleBoards) {
    const char* const bad[] = {
        nullptr,
        "",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",          // seven ranks
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq - 0 1", // nine
        "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // nine files
        "rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // seven files
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNX w KQkq - 0 1",   // unknown letter
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",   // side
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkx - 0 1",   // castling letter
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KKkq - 0 1",   // repeated
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e9 0 1",  // en passant text
        "4k3/8/8/3pP3/8/8/8/4K3 w - d5 0 1",                          // no double push passes d5
        "4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1",                           // the pawn that passed d6 is missing
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0",     // five fields
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - x 1",   // clock
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 1", // seven fields
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQQBNR w KQkq - 0 1",   // no white king
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w KQkq - 0 1",   // two
        "P3k3/8/8/8/8/8/8/4K3 w - - 0 1",                            // pawn on the last rank
        "4k3/8/8/8/8/8/8/p3K3 w - - 0 1",
        "4k3/8/8/8/8/8/8/4R1K1 w - - 0 1",                           // the side not to move is in check
    };
    auto pos = strong_from_fen("r3k2r/1pp3pp/8/pP1pPp2/8/8/PPP3PP/R3K2R w KQkq a6 3 9");
    strong::make(*pos, strong::parse_uci_move(*pos, "b5a6"));
    auto before = new_position();
    copy_state(*before, *pos);
    for (const char* fen : bad) {
        EXPECT_FALSE(strong::set_fen(*pos, fen)) << (fen ? fen : "(null)");
        EXPECT_TRUE(same_state(*pos, *before)) << (fen ? fen : "(null)");
    }
}

// The same position by different move orders, or from its FEN, has the same
// key; the side, each castling right and the en passant file change it.
TEST(StrongKeys, TranspositionsAndFenAgree) {
    auto a = strong_from_fen(START_FEN), b = strong_from_fen(START_FEN);
    play_strong(*a, "g1f3 g8f6 b1c3 b8c6 e2e4 d7d5");
    play_strong(*b, "b1c3 b8c6 e2e4 d7d5 g1f3 g8f6");
    EXPECT_EQ(a->key, b->key);
    EXPECT_EQ(a->pawn_key, b->pawn_key);
    EXPECT_EQ(a->key, strong_from_fen(strong::to_fen(*a))->key);

    // Castling rights lost by a king walk equal rights never held.
    auto c = strong_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    play_strong(*c, "e1f1 e8f8 f1e1 f8e8");
    EXPECT_EQ(c->key, strong_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1")->key);
    EXPECT_EQ(c->pawn_key, strong_from_fen("r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1")->pawn_key);

    // A double push no pawn can answer en passant leaves no trace in the key;
    // one that can does.
    auto d = strong_from_fen(START_FEN);
    play_strong(*d, "e2e4");
    EXPECT_EQ(d->ep_square, -1);
    EXPECT_EQ(d->key, strong_from_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1")->key);
    play_strong(*d, "d7d5 e4e5 f7f5");
    EXPECT_EQ(d->ep_square, square("f6"));
    EXPECT_NE(d->key, strong_from_fen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq - 0 3")->key);
    EXPECT_EQ(d->key, strong_from_fen("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3")->key);
    // A capture that would leave the king attacked along the rank both pawns
    // leave, or through the capturer's pin, is no capture: no trace either.
    for (const char* walk : {"8/2p5/8/KP5r/8/8/8/4k3 b - - 0 1", "1r6/2p5/8/1P6/8/8/8/1K2k3 b - - 0 1"}) {
        auto e = strong_from_fen(walk);
        play_strong(*e, "c7c5");
        EXPECT_EQ(e->ep_square, -1) << walk;
        EXPECT_EQ(e->key, strong_from_fen(strong::to_fen(*e))->key) << walk;
    }
    auto legal = strong_from_fen("8/2p5/8/KP6/8/8/8/4k3 b - - 0 1");
    play_strong(*legal, "c7c5");
    EXPECT_EQ(legal->ep_square, square("c6"));

    const char* const differing[] = {
        "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq d6 0 1", "r3k2r/8/8/3pP3/8/8/8/R3K2R b KQkq - 0 1",
        "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQkq - 0 1",  "r3k2r/8/8/3pP3/8/8/8/R3K2R w Qkq - 0 1",
        "r3k2r/8/8/3pP3/8/8/8/R3K2R w Kkq - 0 1",   "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQq - 0 1",
        "r3k2r/8/8/3pP3/8/8/8/R3K2R w KQk - 0 1",
    };
    for (const char* x : differing)
        for (const char* y : differing)
            if (x != y) {
                EXPECT_NE(strong_from_fen(x)->key, strong_from_fen(y)->key) << x << " / " << y;
            }
}

// Every legal move of every position on random walks, made and unmade,
// leaves every field as it was; so does a null move where one is allowed.
TEST(StrongMakeUnmake, RestoreEveryField) {
    std::mt19937 random(1234);
    auto before = new_position();
    int checked = 0;
    for (const char* fen : rich_positions) {
        for (const std::string& start : {std::string(fen), mirror_fen(fen)}) {
            for (int walk = 0; walk < 4; ++walk) {
                auto pos = strong_from_fen(start);
                strong_random_walk(*pos, random, 50, [&] {
                    copy_state(*before, *pos);
                    for (const strong::Move m : strong_legal_moves(*pos)) {
                        strong::make(*pos, m);
                        ASSERT_TRUE(strong::is_ok(*pos)) << strong::move_to_uci(m) << " in " << strong::to_fen(*before);
                        strong::unmake(*pos);
                        ASSERT_TRUE(same_state(*pos, *before)) << strong::move_to_uci(m) << " in " << strong::to_fen(*pos);
                        ++checked;
                    }
                    if (!strong::in_check(*pos)) {
                        strong::make_null(*pos);
                        ASSERT_TRUE(strong::is_ok(*pos)) << strong::to_fen(*before);
                        EXPECT_EQ(pos->side, before->side ^ 1);
                        EXPECT_EQ(pos->ep_square, -1);
                        strong::unmake_null(*pos);
                        ASSERT_TRUE(same_state(*pos, *before)) << "null move in " << strong::to_fen(*pos);
                    }
                });
            }
        }
    }
    EXPECT_GT(checked, 30000);
}

// The classic globals and the strong board in step: along classic random
// walks, the copy equals the position set from the classic FEN (but for the
// move number, which that FEN does not carry) and the one reached by playing
// the same moves on the strong board (but for the history).
TEST(StrongFromClassic, EqualsTheSameFenAndTheSameMoves) {
    std::mt19937 random(99);
    auto copied = new_position(), from_fen = new_position();
    int checked = 0;
    for (const char* fen : rich_positions) {
        load(fen);
        auto played = strong_from_fen(fen);
        int previous_history = history_ply;
        checked += random_walk(random, 80, [&] {
            // The classic walk has made one move since the last visit: play it here too.
            if (history_ply > previous_history) {
                const strong::Move m = to_strong_move(game_history[history_ply - 1].move);
                ASSERT_TRUE(strong::is_pseudo_legal(*played, m) && strong::is_legal(*played, m));
                strong::make(*played, m);
            }
            previous_history = history_ply;
            ASSERT_TRUE(copy_game_position(*copied)) << position_to_fen();
            ASSERT_TRUE(strong::set_fen(*from_fen, position_to_fen().c_str())) << position_to_fen();
            from_fen->game_ply = copied->game_ply;
            EXPECT_TRUE(same_state(*copied, *from_fen)) << position_to_fen();
            EXPECT_EQ(copied->history_count, 0);
            EXPECT_EQ(copied->key, played->key) << position_to_fen();
            EXPECT_EQ(copied->pawn_key, played->pawn_key);
            EXPECT_EQ(std::memcmp(copied->board, played->board, sizeof copied->board), 0);
            EXPECT_EQ(copied->rule50, played->rule50);
            EXPECT_EQ(copied->checkers, played->checkers);
        });
    }
    EXPECT_GT(checked, 400);

    // A board the strong position cannot hold is refused, the position kept.
    load(START_FEN);
    square_color[square("e8")] = square_piece[square("e8")] = EMPTY;
    auto kept = new_position();
    copy_state(*kept, *copied);
    EXPECT_FALSE(copy_game_position(*copied));
    EXPECT_TRUE(same_state(*copied, *kept));
    load(START_FEN);
}

TEST(StrongIsOk, CatchesEachKindOfDisagreement) {
    auto good = strong_from_fen("r3k2r/1pp3pp/8/pP1pPp2/8/8/PPP3PP/R3K2R w KQkq a6 0 1");
    ASSERT_TRUE(strong::is_ok(*good));
    const auto broken = [&](auto&& damage) {
        auto pos = new_position();
        copy_state(*pos, *good);
        damage(*pos);
        return !strong::is_ok(*pos);
    };
    EXPECT_TRUE(broken([](Position& p) { p.key ^= 1; }));
    EXPECT_TRUE(broken([](Position& p) { p.pawn_key ^= 1; }));
    EXPECT_TRUE(broken([](Position& p) { p.board[square("d4")] = strong::make_piece(WHITE, KNIGHT); }));
    EXPECT_TRUE(broken([](Position& p) { p.pieces[BLACK][PAWN] ^= square_bit(square("b7")); }));
    EXPECT_TRUE(broken([](Position& p) { p.occupied ^= square_bit(square("e1")); }));
    EXPECT_TRUE(broken([](Position& p) { p.checkers = square_bit(square("e8")); }));
    // With the key made to agree, only the rules themselves can tell.
    EXPECT_TRUE(broken([](Position& p) {
        p.ep_square = square("c6");  // no pawn has passed it
        p.key = strong::compute_key(p);
    }));
    EXPECT_TRUE(broken([](Position& p) {  // the h1 rook leaves, the right stays
        const Bitboard both = square_bit(H1) | square_bit(G1);
        p.board[H1] = strong::NO_PIECE;
        p.board[G1] = strong::make_piece(WHITE, ROOK);
        p.pieces[WHITE][ROOK] ^= both;
        p.colors[WHITE] ^= both;
        p.occupied ^= both;
        p.key = strong::compute_key(p);
    }));
}

// Repetitions: inside the search one earlier occurrence is enough, at or
// before the root it takes two; null moves and irreversible moves cut the look back.
TEST(StrongDraws, RepetitionRule) {
    const char* dance = "g1f3 g8f6 f3g1 f6g8 ";
    auto pos = strong_from_fen(START_FEN);
    play_strong(*pos, dance);  // back at the root, which occurred once
    EXPECT_FALSE(strong::is_repetition(*pos, 4));
    play_strong(*pos, "g1f3");  // the position after the first move, inside the tree
    EXPECT_TRUE(strong::is_repetition(*pos, 5));
    EXPECT_FALSE(strong::is_repetition(*pos, 4));  // with the root one ply later, that occurrence is the root
    play_strong(*pos, "g8f6 f3g1 f6g8");
    EXPECT_TRUE(strong::is_repetition(*pos, 8));  // the root and ply 4
    EXPECT_TRUE(strong::is_repetition(*pos, 0));  // two occurrences before a root here

    // Game moves: the search starts at ply 0 of the current position.
    auto game = strong_from_fen(START_FEN);
    play_strong(*game, dance, true);
    EXPECT_FALSE(strong::is_repetition(*game, 0));
    play_strong(*game, dance, true);
    EXPECT_TRUE(strong::is_repetition(*game, 0));

    // A null move between the two occurrences hides the earlier one.
    auto nulls = strong_from_fen(START_FEN);
    play_strong(*nulls, "g1f3");
    strong::make_null(*nulls);
    play_strong(*nulls, "f3g1");
    strong::make_null(*nulls);
    EXPECT_EQ(nulls->key, strong_from_fen(START_FEN)->key);
    EXPECT_FALSE(strong::is_repetition(*nulls, 4));
    EXPECT_FALSE(strong::is_repetition(*nulls, 100));

    // Only positions since the last capture or pawn move are compared: a
    // clock that says otherwise (from FEN) hides the rest.
    auto clocked = strong_from_fen("4k3/8/8/8/8/8/8/4K2R w - - 0 1");
    play_strong(*clocked, "h1h2 e8d8 h2h1 d8e8 h1h2 e8d8 h2h1 d8e8");
    EXPECT_TRUE(strong::is_repetition(*clocked, 0));
    EXPECT_EQ(strong::earlier_occurrences(*clocked), 2);
    clocked->rule50 = 7;
    EXPECT_FALSE(strong::is_repetition(*clocked, 0));
    EXPECT_EQ(strong::earlier_occurrences(*clocked), 1);
}

TEST(StrongDraws, FiftyMovesAndMaterial) {
    auto pos = strong_from_fen("4k3/8/8/8/8/8/8/R3K3 w - - 99 60");
    EXPECT_FALSE(strong::is_fifty_move_draw(*pos));
    play_strong(*pos, "a1a2");
    EXPECT_TRUE(strong::is_fifty_move_draw(*pos));
    EXPECT_EQ(strong::to_fen(*pos), "4k3/8/8/8/8/8/R7/4K3 b - - 100 60");

    struct Case { const char* fen; bool dead; };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", true},
        {"4k3/8/8/8/8/8/8/4KN2 w - - 0 1", true},
        {"4kb2/8/8/8/8/8/8/4K3 w - - 0 1", true},
        {"4kb2/8/8/8/8/8/8/2B1K3 w - - 0 1", true},     // f8 and c1: both dark
        {"2b1k3/8/8/8/8/8/8/2B1K3 w - - 0 1", false},   // c8 light, c1 dark
        {"4k3/8/8/8/8/8/8/1BB1K3 b - - 0 1", false},    // b1 light, c1 dark
        {"4k3/8/8/8/8/8/8/B1B1K3 b - - 0 1", true},     // a1 and c1: both dark
        {"4k3/8/8/8/8/8/8/1NN1K3 w - - 0 1", false},
        {"4kb2/8/8/8/8/8/8/4KN2 w - - 0 1", false},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", false},
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1", false},
        {"3qk3/8/8/8/8/8/8/4K3 w - - 0 1", false},
    };
    for (const Case& c : cases) EXPECT_EQ(strong::has_insufficient_material(*strong_from_fen(c.fen)), c.dead) << c.fen;
}

// A long game fills the history past MAX_GAME_PLY: the oldest plies go and
// the newest stay (they still take back), the repetitions stay visible, and a
// search of full depth still fits on top.
TEST(StrongHistory, LongGamesAndRefusedMoves) {
    const char* rooks = "r3k2r/8/8/8/8/8/8/R3K2R w - - 0 1";
    auto pos = strong_from_fen(rooks);
    auto before = new_position();
    copy_state(*before, *pos);
    EXPECT_FALSE(strong::push_history_move(*pos, strong::make_move16(square("a1"), square("b2"))));
    EXPECT_FALSE(strong::push_history_move(*pos, strong::make_move16(square("a8"), square("a7"))));
    EXPECT_FALSE(strong::push_history_move(*pos, strong::make_move16(square("e1"), square("g1"), strong::CASTLE)));
    EXPECT_TRUE(same_state(*pos, *before));

    // Two different cycles, so that the undo states kept tell which plies they belong to.
    const char* queen_side = "a1a2 a8a7 a2a1 a7a8";
    const char* king_side = "h1h2 h8h7 h2h1 h7h8";
    for (int i = 0; i < 150; ++i) play_strong(*pos, queen_side, true);
    for (int i = 0; i < 125; ++i) play_strong(*pos, king_side, true);
    EXPECT_LE(pos->history_count, strong::MAX_GAME_PLY);
    EXPECT_EQ(pos->game_ply, 1100);
    EXPECT_EQ(pos->rule50, 1100);
    EXPECT_TRUE(strong::is_repetition(*pos, 0));
    EXPECT_TRUE(strong::is_ok(*pos));

    copy_state(*before, *pos);
    constexpr int deepest = strong::MAX_SEARCH_PLY + strong::SEARCH_PLY_MARGIN;
    static_assert(deepest % 4 == 0);
    for (int ply = 0; ply < deepest; ply += 4) play_strong(*pos, king_side);
    EXPECT_EQ(pos->history_count, before->history_count + deepest);
    EXPECT_LE(pos->history_count, strong::HISTORY_CAPACITY);
    for (int ply = 0; ply < deepest; ++ply) strong::unmake(*pos);
    EXPECT_TRUE(same_state(*pos, *before));

    // The last game moves still take back, through the king's side cycle,
    // past the 76 plies played since the oldest were dropped.
    for (int ply = 0; ply < 102; ++ply) {
        strong::unmake(*pos);
        ASSERT_TRUE(strong::is_ok(*pos)) << ply;
    }
    EXPECT_EQ(strong::to_fen(*pos), "r3k3/7r/8/8/8/8/7R/R3K3 w - - 998 500");
}

}  // namespace
