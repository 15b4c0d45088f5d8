// What the strong board's tests share: positions on the heap, move lists as
// sets, random legal walks, the whole state compared field by field, and the
// classic board's legal moves in the strong encoding.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board_support.h"
#include "strong/movegen.h"
#include "strong/notation.h"
#include "game/board_bridge.h"
#include "strong/position.h"

// A Position holds its whole undo stack (some 50 kB): tests keep it on the
// heap, and leave it uninitialised (set_fen writes every field in use).
inline std::unique_ptr<strong::Position> new_position() { return std::unique_ptr<strong::Position>(new strong::Position); }

inline std::unique_ptr<strong::Position> strong_from_fen(const std::string& fen) {
    auto pos = new_position();
    EXPECT_TRUE(strong::set_fen(*pos, fen.c_str())) << fen;
    return pos;
}

inline std::vector<strong::Move> sorted(std::vector<strong::Move> moves) {
    std::sort(moves.begin(), moves.end());
    return moves;
}

inline std::vector<strong::Move> strong_legal_moves(const strong::Position& pos) {
    strong::MoveList list;
    strong::generate_all(pos, list);
    return sorted(std::vector<strong::Move>(list.begin(), list.end()));
}

// The classic board's legal moves in the current global position, converted.
inline std::vector<strong::Move> classic_legal_moves() {
    std::vector<strong::Move> moves;
    for (const Move m : legal_moves()) moves.push_back(to_strong_move(m));
    return sorted(moves);
}

inline std::string move_names(const std::vector<strong::Move>& moves) {
    std::string text;
    for (const strong::Move m : moves) text += strong::move_to_uci(m) + ' ';
    return text;
}

// Every field of the position, the undo states in use included, equal. The
// size checks fail when a field is added, so that it joins the comparison.
inline bool same_state(const strong::Position& a, const strong::Position& b) {
    static_assert(sizeof(strong::UndoState) == 40, "a new UndoState field must join the comparison");
    static_assert(offsetof(strong::Position, history) == 240, "a new Position field must join the comparison");
    if (std::memcmp(a.pieces, b.pieces, sizeof a.pieces) || std::memcmp(a.colors, b.colors, sizeof a.colors) ||
        std::memcmp(a.board, b.board, sizeof a.board))
        return false;
    if (a.occupied != b.occupied || a.checkers != b.checkers || a.key != b.key || a.pawn_key != b.pawn_key ||
        a.side != b.side || a.castling != b.castling || a.ep_square != b.ep_square || a.rule50 != b.rule50 ||
        a.plies_from_null != b.plies_from_null || a.game_ply != b.game_ply || a.history_count != b.history_count)
        return false;
    for (int i = 0; i < a.history_count; ++i) {
        const strong::UndoState &x = a.history[i], &y = b.history[i];
        if (x.key != y.key || x.pawn_key != y.pawn_key || x.checkers != y.checkers || x.rule50 != y.rule50 ||
            x.plies_from_null != y.plies_from_null || x.move != y.move || x.captured != y.captured ||
            x.castling != y.castling || x.ep_square != y.ep_square)
            return false;
    }
    return true;
}

// Copies the state that same_state compares, without the unused undo states.
inline void copy_state(strong::Position& to, const strong::Position& from) {
    std::memcpy(static_cast<void*>(&to), &from,
                offsetof(strong::Position, history) + from.history_count * sizeof(strong::UndoState));
}

// Plays up to `plies` random legal moves on the strong board, calling
// visit() in every position reached (the first included); returns the number
// of positions visited. The same generator state gives the same walk.
template <class Visit>
int strong_random_walk(strong::Position& pos, std::mt19937& random, int plies, Visit visit) {
    for (int ply = 0;; ++ply) {
        visit();
        if (ply == plies || ::testing::Test::HasFatalFailure()) return ply + 1;
        strong::MoveList list;
        strong::generate_all(pos, list);
        if (list.count == 0) return ply + 1;
        strong::make(pos, list.moves[random() % list.count]);
    }
}
