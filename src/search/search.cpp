// Fail-hard alpha-beta with check extension, quiescence, PV table and history ordering.
#include "search/search.h"

#include "board/attack.h"
#include "board/make_move.h"
#include "board/movegen.h"
#include "eval/evaluate.h"
#include "search/clock.h"

Move pv_table[MAX_PLY][MAX_PLY];
int pv_length[MAX_PLY];
int follow_pv;
std::uint64_t node_count;
int root_moves_searched;
int allowed_root_move_count;
Move allowed_root_moves[ALLOWED_ROOT_MOVES_MAX];

namespace {

// History entries stop growing here, far below where adding PV_MOVE_BONUS
// could overflow; a search would need hours to get close.
constexpr int HISTORY_CAP = 1 << 30;

// Deepest ply at which a node may still make moves (tables are indexed by ply).
constexpr int LAST_PLY = MAX_PLY - 1;
// The search never fills the game history: one record stays free.
constexpr int LAST_HISTORY_PLY = HISTORY_SIZE - 1;

inline void count_node() {
    ++node_count;
    if ((node_count & 1023) == 0) poll_clock();
}

// Whether the root may play `move`: every move unless the game layer named some.
bool allowed_at_root(Move move) {
    for (int i = 0; i < allowed_root_move_count; ++i)
        if (allowed_root_moves[i] == move) return true;
    return allowed_root_move_count == 0;
}

// Copies the child's line behind `move` into this ply's row.
inline void update_pv(int p, Move move) {
    pv_table[p][p] = move;
    for (int j = p + 1; j < pv_length[p + 1]; ++j) pv_table[p][j] = pv_table[p + 1][j];
    pv_length[p] = pv_length[p + 1];
}

}  // namespace

int alpha_beta(int alpha, int beta, int depth) {
    // 1. The horizon: captures only from here.
    if (depth == 0) return quiescence(alpha, beta);

    // 2. Count the node; poll the clock every 1024 nodes.
    count_node();

    // 3. An empty variation until a move raises alpha.
    const int p = search_ply;
    pv_length[p] = p;

    // 4. Below the root one earlier occurrence is already a draw.
    if (p != 0 && repetition_count() != 0) return 0;

    // 5. Out of table space: the static score stands.
    if (p >= LAST_PLY || history_ply >= LAST_HISTORY_PLY) return evaluate();

    // 6. Check extension.
    const int in_check = side_in_check(side_to_move);
    if (in_check) ++depth;

    // 7. Generate; a list that does not fit leaves a leaf.
    if (!generate_moves()) return evaluate();

    // 8. Put the previous iteration's move first.
    if (follow_pv) boost_pv_move();

    // 9. Try the moves best-scored first.
    bool has_legal_move = false;
    if (p == 0) root_moves_searched = 0;
    for (int i = ply_first_move[p]; i < ply_first_move[p + 1]; ++i) {
        pick_next_move(i);
        const Move move = move_list[i].move;
        if (p == 0 && allowed_root_move_count != 0 && !allowed_at_root(move)) continue;
        if (!make_move(move)) continue;
        has_legal_move = true;
        const int score = -alpha_beta(-beta, -alpha, depth - 1);
        unmake_move();
        if (p == 0) ++root_moves_searched;
        if (score <= alpha) continue;
        int& history = history_score[move_from(move)][move_to(move)];
        if (history < HISTORY_CAP) history += depth;
        if (score >= beta) return beta;
        alpha = score;
        update_pv(p, move);
    }

    // 10. Mate or stalemate.
    if (!has_legal_move) return in_check ? p - MATE_SCORE : 0;

    // 11. The fifty-move rule, only for a node that had moves and no cut-off.
    if (halfmove_clock >= 100) return 0;
    return alpha;
}

int quiescence(int alpha, int beta) {
    // 1. Count the node; poll the clock every 1024 nodes.
    count_node();

    // 2. An empty variation until a capture raises alpha.
    const int p = search_ply;
    pv_length[p] = p;

    // 3. Out of table space.
    if (p >= LAST_PLY || history_ply >= LAST_HISTORY_PLY) return evaluate();

    // 4. Stand pat: a quiet position may already beat beta.
    const int stand_pat = evaluate();
    if (stand_pat >= beta) return beta;
    if (stand_pat > alpha) alpha = stand_pat;

    // 5. Captures and promotions only.
    if (!generate_captures()) return alpha;

    // 6. The previous iteration's capture first.
    if (follow_pv) boost_pv_move();

    // 7. Every capture is tried; none is pruned for what it could win.
    for (int i = ply_first_move[p]; i < ply_first_move[p + 1]; ++i) {
        pick_next_move(i);
        const Move move = move_list[i].move;
        if (!make_move(move)) continue;
        const int score = -quiescence(-beta, -alpha);
        unmake_move();
        if (score <= alpha) continue;
        if (score >= beta) return beta;
        alpha = score;
        update_pv(p, move);
    }
    return alpha;
}

void pick_next_move(int index) {
    int best_score = -1;
    int best_index = index;
    const int end = ply_first_move[search_ply + 1];
    for (int j = index; j < end; ++j) {
        if (move_list[j].score > best_score) {
            best_score = move_list[j].score;
            best_index = j;
        }
    }
    if (best_index != index) {
        const ScoredMove swap = move_list[index];
        move_list[index] = move_list[best_index];
        move_list[best_index] = swap;
    }
}

void boost_pv_move() {
    const int p = search_ply;
    follow_pv = 0;
    for (int j = ply_first_move[p]; j < ply_first_move[p + 1]; ++j) {
        if (move_list[j].move == pv_table[0][p]) {
            follow_pv = 1;
            move_list[j].score += PV_MOVE_BONUS;
            return;
        }
    }
}
