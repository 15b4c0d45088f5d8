// The strong board's generation and move tests: legal moves against the
// classic generator, captures and quiets against the whole list,
// is_pseudo_legal for all 65536 values against a plain generator written
// here by coordinates, is_legal against generation, gives_check against
// playing the move.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "board_support.h"
#include "strong/movegen.h"
#include "strong_support.h"

namespace {

using strong::Move;
using strong::Position;

// Positions where pins, checks, en passant beside the king, promotions and
// castling through attacked squares decide.
const char* const sharp_positions[] = {
    "8/8/8/K2pP2r/8/8/8/4k3 w - d6 0 1",       // en passant would open the rank to the king
    "6b1/8/8/3pP3/8/8/K7/4k3 w - d6 0 1",      // or, by the taken pawn alone, a diagonal
    "8/8/8/1k6/3Pp3/8/8/4KQ2 b - d3 0 1",      // en passant blocks the queen's check
    "8/8/8/8/k2Pp2Q/8/8/3K4 b - d3 0 1",       // both pawns leave the rank: illegal
    "8/8/8/4k3/2pP4/8/8/3K4 b - d3 0 1",       // en passant takes the pawn that checks
    "4k3/8/8/1b6/8/3N4/4K3/8 w - - 0 1",        // the knight is pinned on the diagonal
    "4k3/4r3/8/8/4B3/8/8/4K3 w - - 0 1",        // the bishop is pinned on the file
    "3qk3/8/8/8/8/8/3PP3/3QK2r w - - 0 1",      // in check along the first rank
    "4k3/8/8/q7/8/8/3P4/4K3 w - - 0 1",         // the d-pawn is pinned on the diagonal
    "4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1",       // in check: no castling
    "4k3/8/8/8/8/5r2/8/R3K2R w KQ - 0 1",       // f1 attacked: only the long castling
    "4k3/8/8/8/8/8/8/Rn2K2R w KQ - 0 1",        // b1 taken: only the short castling
    "1r2k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",       // b1 attacked but not passed: both
    "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1",
    "2r1k3/1P6/8/8/8/8/8/4K3 w - - 0 1",        // promotions by push and by capture
    "4k3/8/8/8/8/8/1p6/R1N1K3 b - - 0 1",
    "8/8/8/2k5/8/2K5/8/8 w - - 0 1",
    "r1bqkbnr/pppp1Qpp/2n5/4p3/2B1P3/8/PPPP1PPP/RNB1K1NR b KQkq - 0 4",  // mated
    "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",           // stalemated
    "8/8/2k5/5q2/5n2/8/5K2/8 b - - 0 1",
    "4k3/8/8/8/8/3n4/8/4K2r w - - 0 1",         // double check: the king alone moves
};

// A plain generator of pseudo-legal moves, by rows and files, for the
// exhaustive test of is_pseudo_legal: no bitboards, no tables of the board.
namespace plain {

bool on_board(int row, int file) { return row >= 0 && row < 8 && file >= 0 && file < 8; }

int piece_at(const Position& pos, int row, int file) { return pos.board[row * 8 + file]; }

const int knight_steps[8][2] = {{-2, -1}, {-2, 1}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {2, -1}, {2, 1}};
const int king_steps[8][2] = {{-1, -1}, {-1, 0}, {-1, 1}, {0, -1}, {0, 1}, {1, -1}, {1, 0}, {1, 1}};

bool attacked(const Position& pos, int s, int by) {
    const int row = s / 8, file = s % 8;
    const int pawn_row = row + (by == WHITE ? 1 : -1);  // where a pawn of `by` attacking s stands
    for (int df : {-1, 1})
        if (on_board(pawn_row, file + df) && piece_at(pos, pawn_row, file + df) == strong::make_piece(by, PAWN))
            return true;
    for (const auto& step : knight_steps)
        if (on_board(row + step[0], file + step[1]) &&
            piece_at(pos, row + step[0], file + step[1]) == strong::make_piece(by, KNIGHT))
            return true;
    for (const auto& step : king_steps) {
        if (on_board(row + step[0], file + step[1]) &&
            piece_at(pos, row + step[0], file + step[1]) == strong::make_piece(by, KING))
            return true;
        const int slider = step[0] != 0 && step[1] != 0 ? BISHOP : ROOK;
        for (int r = row + step[0], f = file + step[1]; on_board(r, f); r += step[0], f += step[1]) {
            const int code = piece_at(pos, r, f);
            if (code == strong::NO_PIECE) continue;
            if (code == strong::make_piece(by, slider) || code == strong::make_piece(by, QUEEN)) return true;
            break;
        }
    }
    return false;
}

std::vector<Move> pseudo_legal_moves(const Position& pos) {
    const int us = pos.side;
    std::vector<Move> moves;
    const auto add = [&](int from, int row, int file, bool promotes, int kind = strong::NORMAL) {
        const int to = row * 8 + file;
        if (!promotes) {
            moves.push_back(strong::make_move16(from, to, kind));
            return;
        }
        for (int k = strong::PROMOTE_KNIGHT; k <= strong::PROMOTE_QUEEN; ++k) moves.push_back(strong::make_move16(from, to, k));
    };
    const auto enemy_at = [&](int r, int f) {
        const int code = piece_at(pos, r, f);
        return code != strong::NO_PIECE && strong::piece_colour(code) != us;
    };
    for (int from = 0; from < 64; ++from) {
        const int code = pos.board[from];
        if (code == strong::NO_PIECE || strong::piece_colour(code) != us) continue;
        const int row = from / 8, file = from % 8, piece = strong::piece_type(code);
        if (piece == PAWN) {
            const int ahead = row + (us == WHITE ? -1 : 1);
            const bool promotes = ahead == (us == WHITE ? 0 : 7);
            if (piece_at(pos, ahead, file) == strong::NO_PIECE) {
                add(from, ahead, file, promotes);
                const int twice = ahead + (us == WHITE ? -1 : 1);
                if (row == (us == WHITE ? 6 : 1) && piece_at(pos, twice, file) == strong::NO_PIECE) add(from, twice, file, false);
            }
            for (int df : {-1, 1}) {
                if (!on_board(ahead, file + df)) continue;
                if (enemy_at(ahead, file + df)) add(from, ahead, file + df, promotes);
                if (ahead * 8 + file + df == pos.ep_square) add(from, ahead, file + df, false, strong::EN_PASSANT);
            }
            continue;
        }
        const bool slides = piece == BISHOP || piece == ROOK || piece == QUEEN;
        const auto& steps = piece == KNIGHT ? knight_steps : king_steps;
        for (const auto& step : steps) {
            const bool diagonal = step[0] != 0 && step[1] != 0;
            if ((piece == BISHOP && !diagonal) || (piece == ROOK && diagonal)) continue;
            for (int r = row + step[0], f = file + step[1]; on_board(r, f); r += step[0], f += step[1]) {
                const int target = piece_at(pos, r, f);
                if (target != strong::NO_PIECE && strong::piece_colour(target) == us) break;
                add(from, r, f, false);
                if (target != strong::NO_PIECE || !slides) break;
            }
        }
    }
    // Castling: right held, squares between king and rook empty, the king
    // not in check and not passing or landing on an attacked square.
    struct Castle { int right, king, rook, to, passes; };
    const Castle castles[4] = {{CASTLE_WHITE_KINGSIDE, E1, H1, G1, F1}, {CASTLE_WHITE_QUEENSIDE, E1, A1, C1, D1},
                               {CASTLE_BLACK_KINGSIDE, E8, H8, G8, F8}, {CASTLE_BLACK_QUEENSIDE, E8, A8, C8, D8}};
    for (const Castle& c : castles) {
        if (!(pos.castling & c.right) || strong::piece_colour(pos.board[c.king]) != us) continue;
        bool empty = true;
        for (int s = std::min(c.king, c.rook) + 1; s < std::max(c.king, c.rook); ++s) empty &= pos.board[s] == strong::NO_PIECE;
        if (empty && !attacked(pos, c.king, us ^ 1) && !attacked(pos, c.passes, us ^ 1) && !attacked(pos, c.to, us ^ 1))
            moves.push_back(strong::make_move16(c.king, c.to, strong::CASTLE));
    }
    return sorted(moves);
}

}  // namespace plain

// Positions for the exhaustive tests: the sharp ones and short random walks
// from the rich ones, in both colours.
std::vector<std::string> walk_fens(int walks, int plies, unsigned seed) {
    std::vector<std::string> fens(std::begin(sharp_positions), std::end(sharp_positions));
    std::mt19937 random(seed);
    for (const char* fen : rich_positions)
        for (const std::string& start : {std::string(fen), mirror_fen(fen)})
            for (int walk = 0; walk < walks; ++walk) {
                auto pos = strong_from_fen(start);
                strong_random_walk(*pos, random, plies, [&] { fens.push_back(strong::to_fen(*pos)); });
            }
    return fens;
}

// The classic generator's legal moves, made one by one at ply 0, against the
// strong list, in the sharp positions and along random walks.
TEST(StrongMovegen, LegalMovesMatchTheClassicGenerator) {
    const auto compare = [](const strong::Position& pos) {
        load(strong::to_fen(pos).c_str());
        const std::vector<Move> classic = classic_legal_moves(), ours = strong_legal_moves(pos);
        ASSERT_EQ(ours, classic) << position_to_fen() << "\n strong:  " << move_names(ours)
                                 << "\n classic: " << move_names(classic);
    };
    for (const char* fen : sharp_positions) {
        compare(*strong_from_fen(fen));
        compare(*strong_from_fen(mirror_fen(fen)));
    }
    std::mt19937 random(2024);
    int checked = 0;
    for (const char* fen : rich_positions)
        for (const std::string& start : {std::string(fen), mirror_fen(fen)})
            for (int walk = 0; walk < 2; ++walk) {
                auto pos = strong_from_fen(start);
                checked += strong_random_walk(*pos, random, 100, [&] { compare(*pos); });
            }
    EXPECT_GT(checked, 2000);
}

// Captures and quiets split the legal moves exactly: no move twice, none
// missing, each on its side of the line (queen promotions with the captures,
// under-promotions with the quiets).
TEST(StrongMovegen, CapturesAndQuietsSplitTheLegalMoves) {
    for (const std::string& fen : walk_fens(2, 60, 5)) {
        auto pos = strong_from_fen(fen);
        strong::MoveList captures, quiets, all;
        strong::generate_captures(*pos, captures);
        strong::generate_quiets(*pos, quiets);
        strong::generate_all(*pos, all);
        std::vector<Move> both(captures.begin(), captures.end());
        both.insert(both.end(), quiets.begin(), quiets.end());
        ASSERT_EQ(sorted(both), sorted(std::vector<Move>(all.begin(), all.end()))) << fen;
        ASSERT_EQ(std::adjacent_find(both.begin(), both.end()), both.end()) << fen;
        for (const Move m : captures) {
            const bool takes = pos->board[strong::move_to(m)] != strong::NO_PIECE || strong::move_kind(m) == strong::EN_PASSANT;
            EXPECT_TRUE(takes || strong::move_kind(m) == strong::PROMOTE_QUEEN) << fen << " " << strong::move_to_uci(m);
            EXPECT_FALSE(strong::is_promotion(m) && strong::move_kind(m) != strong::PROMOTE_QUEEN) << fen;
        }
        for (const Move m : quiets) {
            const bool takes = pos->board[strong::move_to(m)] != strong::NO_PIECE;
            EXPECT_TRUE(!takes || (strong::is_promotion(m) && strong::move_kind(m) != strong::PROMOTE_QUEEN))
                << fen << " " << strong::move_to_uci(m);
            EXPECT_NE(strong::move_kind(m), strong::PROMOTE_QUEEN) << fen;
            EXPECT_NE(strong::move_kind(m), strong::EN_PASSANT) << fen;
        }
    }
}

// All 65536 values in each position: is_pseudo_legal accepts exactly the
// plain generator's moves, and of those is_legal exactly the generated ones.
// The values come from nowhere in particular, as from a hash table.
TEST(StrongMovegen, EverySixteenBitValueIsJudgedExactly) {
    for (const std::string& fen : walk_fens(1, 40, 17)) {
        auto pos = strong_from_fen(fen);
        const std::vector<Move> pseudo = plain::pseudo_legal_moves(*pos), legal = strong_legal_moves(*pos);
        std::vector<Move> accepted, kept;
        for (int value = 0; value < 65536; ++value) {
            const Move m = static_cast<Move>(value);
            if (!strong::is_pseudo_legal(*pos, m)) continue;
            accepted.push_back(m);
            if (strong::is_legal(*pos, m)) kept.push_back(m);
        }
        ASSERT_EQ(accepted, pseudo) << fen << "\n accepted: " << move_names(accepted) << "\n plain:    " << move_names(pseudo);
        ASSERT_EQ(kept, legal) << fen << "\n is_legal: " << move_names(kept) << "\n generated: " << move_names(legal);
    }
}

// gives_check says what playing the move shows, for every legal move.
TEST(StrongMovegen, GivesCheckAgreesWithPlayingTheMove) {
    int checks = 0;
    for (const std::string& fen : walk_fens(2, 60, 23)) {
        auto pos = strong_from_fen(fen);
        for (const Move m : strong_legal_moves(*pos)) {
            const bool predicted = strong::gives_check(*pos, m);
            strong::make(*pos, m);
            ASSERT_EQ(predicted, strong::in_check(*pos)) << fen << " " << strong::move_to_uci(m);
            checks += predicted;
            strong::unmake(*pos);
        }
    }
    EXPECT_GT(checks, 500);
    // Castling, en passant and promotions that check, directly or by uncovering.
    struct Case { const char* fen; const char* move; bool check; };
    const Case cases[] = {
        {"5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", true},       // the rook lands on f1
        {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", true},       // on d1
        {"8/8/8/8/1k1Pp3/8/8/3KR3 b - d3 0 1", "e4d3", false},
        {"8/8/1k6/8/2pP4/8/5K2/8 b - d3 0 1", "c4d3", false},
        {"8/8/1k6/8/2pP4/8/4K3/8 b - d3 0 1", "c4d3", true},    // the pawn lands beside the king
        {"8/8/8/8/1K1Pp2r/8/8/3k4 b - d3 0 1", "e4d3", true},   // both pawns leave the rank
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", true},
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8r", true},
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8b", false},
        {"3k4/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8b", false},
        {"8/1P1k4/8/8/8/8/8/4K3 w - - 0 1", "b7b8n", true},
        {"3k4/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8n", false},
        {"8/2k5/8/8/8/8/8/K7 w - - 0 1", "a1b2", false},
        {"4k3/8/8/8/8/8/4N3/4R1K1 w - - 0 1", "e2c3", true},   // the knight uncovers the rook
        {"4k3/8/8/8/8/8/4B3/4R1K1 w - - 0 1", "e2b5", true},   // the bishop does both
        {"4k3/8/8/8/8/8/4P3/4Q1K1 w - - 0 1", "e2e4", false},  // along the line: nothing uncovered
    };
    for (const Case& c : cases) {
        auto pos = strong_from_fen(c.fen);
        const Move m = strong::parse_uci_move(*pos, c.move);
        ASSERT_NE(m, strong::NO_MOVE) << c.fen << " " << c.move;
        EXPECT_EQ(strong::gives_check(*pos, m), c.check) << c.fen << " " << c.move;
        strong::make(*pos, m);
        EXPECT_EQ(strong::in_check(*pos), c.check) << c.fen << " " << c.move;
    }
}

}  // namespace
