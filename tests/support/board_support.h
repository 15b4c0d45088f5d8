// What the unit tests share: squares by name, moves by text, the whole
// position as a value, random legal walks, mirrored FEN, and the hash keys.
#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/make_move.h"
#include "board/move_text.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/snapshot.h"
#include "board/state.h"
#include "board/zobrist.h"

constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// "e4" -> its square number (a8 is 0, h1 is 63).
constexpr int square(const char* name) { return (8 - (name[1] - '0')) * 8 + (name[0] - 'a'); }

inline void load(const char* fen) { ASSERT_EQ(load_fen(fen), nullptr) << fen; }

// The entry of a fresh ply-0 list that `text` names, read as the front end
// reads it (e7e8N for a knight); 0, and a failure, when there is none.
inline Move move_of(const char* text) {
    search_ply = 0;
    generate_moves();
    const int index = parse_move_text(text);
    if (index < 0) {
        ADD_FAILURE() << text << " is no move in " << position_to_fen();
        return 0;
    }
    return move_list[index].move;
}

// Plays "e2e4 e7e5 ..." from the current position as the front end does,
// leaving search_ply 0 and the ply-0 list of the new position; a move that
// is missing or refused fails the test and stops the line.
inline void play(const std::string& moves) {
    std::istringstream in(moves);
    for (std::string text; in >> text;) {
        const Move move = move_of(text.c_str());
        ASSERT_NE(move, 0);
        ASSERT_EQ(make_move(move), 1) << text << " refused in " << position_to_fen();
    }
    search_ply = 0;
    generate_moves();
}

// What the colour commands do: hand over the move, nothing else.
inline void hand_move_to(int colour) {
    side_to_move = colour;
    side_not_to_move = colour ^ 1;
}

inline void PrintTo(const PositionSnapshot& s, std::ostream* os) {
    *os << "side " << s.side_to_move << "/" << s.side_not_to_move << " castle " << s.castle_rights << " ep "
        << s.ep_square << " clock " << s.halfmove_clock << " plies " << s.search_ply << "/" << s.history_ply
        << " hash " << s.hash << " board";
    for (int i = 0; i < 64; ++i) *os << ' ' << s.color[i] << s.piece[i];
}

// The legal moves of the side to move, from a fresh ply-0 list.
inline std::vector<Move> legal_moves() {
    search_ply = 0;
    generate_moves();
    std::vector<Move> legal;
    for (int i = ply_first_move[0]; i < ply_first_move[1]; ++i) {
        if (!make_move(move_list[i].move)) continue;
        unmake_move();
        legal.push_back(move_list[i].move);
    }
    return legal;
}

// Plays up to `plies` random legal moves from the current position, calling
// visit() in each position reached (the first included) with search_ply 0.
// Stops where no move is legal or the test has failed fatally; returns the
// number of positions visited. The same generator state gives the same walk.
template <class Visit>
int random_walk(std::mt19937& random, int plies, Visit visit) {
    for (int ply = 0;; ++ply) {
        search_ply = 0;
        visit();
        if (ply == plies || ::testing::Test::HasFatalFailure()) return ply + 1;
        const std::vector<Move> legal = legal_moves();
        if (legal.empty()) return ply + 1;
        EXPECT_EQ(make_move(legal[random() % legal.size()]), 1);
        search_ply = 0;
    }
}

// Positions rich in castling, promotion and en passant, for the walks.
inline const char* const rich_positions[] = {
    START_FEN,
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "r3k2r/1pp3pp/8/pP1pPp2/8/8/PPP3PP/R3K2R w KQkq a6 0 1",
};

// The same position seen from the other side: ranks reversed, colours and
// side to move swapped. Its tree and its score are the same.
inline std::string mirror_fen(const std::string& fen) {
    std::istringstream in(fen);
    std::string board, side, castling, ep, rest;
    in >> board >> side >> castling >> ep;
    std::getline(in, rest);
    const auto swap_case = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
        return s;
    };
    std::vector<std::string> ranks;  // rank 1 first
    std::istringstream rank_text(board);
    for (std::string rank; std::getline(rank_text, rank, '/');) ranks.insert(ranks.begin(), swap_case(rank));
    std::string mirrored;
    for (const std::string& rank : ranks) mirrored += (mirrored.empty() ? "" : "/") + rank;
    if (castling != "-") castling = swap_case(castling);
    if (ep != "-") ep[1] = static_cast<char>('9' - ep[1] + '0');
    return mirrored + (side == "w" ? " b " : " w ") + castling + " " + ep + rest;
}

// The keys are filled once per run, as start-up does; no test changes them.
struct HashKeys : ::testing::Environment {
    void SetUp() override { init_zobrist(); }
};
inline ::testing::Environment* const hash_keys = ::testing::AddGlobalTestEnvironment(new HashKeys);
