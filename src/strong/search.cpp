// The strong search: principal-variation alpha-beta over the struct board,
// with a shared transposition table, pruning and reductions, its own time
// manager, several lines and several threads. All of a search's state is in
// an Engine and its workers; nothing global.
#include "strong/search.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>
#include <cstring>

#include "nnue/default_network.h"
#include "strong/see.h"

namespace strong {

namespace {

// ---------------------------------------------------------------------------
// Tables and small helpers.

enum NodeType { NON_PV, PV, ROOT };

// Late-move reductions by depth and move number, in plies.
int reduction_formula(int depth, int move_number) {
    return static_cast<int>(param(LMR_BASE_PERCENT) / 100.0 +
                            std::log(depth) * std::log(move_number) / (param(LMR_DIVISOR_PERCENT) / 100.0));
}

struct ReductionTable {
    std::int8_t plies[64][64];
    ReductionTable() {
        for (int d = 1; d < 64; ++d)
            for (int m = 1; m < 64; ++m) plies[d][m] = static_cast<std::int8_t>(reduction_formula(d, m));
    }
};
const ReductionTable reductions;

// A tuning build computes each reduction, since its parameters may change.
int reduction(int depth, int move_number) {
    depth = std::min(depth, 63);
    move_number = std::min(move_number, 63);
    if constexpr (TUNING) return reduction_formula(depth, move_number);
    return reductions.plies[depth][move_number];
}

// The bonus a quiet move earns for a cut-off at `depth`, and the malus the
// quiet moves tried before it pay.
int history_bonus(int depth) {
    return std::min(param(HISTORY_BONUS_PER_DEPTH) * depth - param(HISTORY_BONUS_OFFSET), param(HISTORY_BONUS_MAX));
}

std::int64_t now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int mated_in(int ply) { return -SCORE_MATE + ply; }
int mate_in(int ply) { return SCORE_MATE - ply; }

bool has_non_pawn_material(const Position& pos, int side) {
    const Bitboard* p = pos.pieces[side];
    return (p[KNIGHT] | p[BISHOP] | p[ROOK] | p[QUEEN]) != 0;
}

std::uint64_t total_nodes(const Engine& engine) {
    std::uint64_t n = 0;
    for (const auto& w : engine.workers) n += w->nodes.load(std::memory_order_relaxed);
    return n;
}

int evaluate(Worker& w, int ply) {
    if (w.engine->eval_kind == EvalKind::NETWORK)
        return network_evaluate(w.network_stack, *w.engine->network, w.pos, ply);
    return strong::evaluate(w.pos, w.eval_cache);
}

// The static evaluation corrected by how far it has erred in positions of
// this pawn structure; never a mate score.
int corrected(const Worker& w, int raw) {
    const Position& pos = w.pos;
    const int entry = w.histories.pawn_correction[pos.side][pos.pawn_key % CORRECTION_ENTRIES];
    const int correction = entry * param(CORRECTION_WEIGHT_PERCENT) / (100 * CORRECTION_GRAIN);
    return std::clamp(raw + correction, -SCORE_MATE_IN_MAX + 1, SCORE_MATE_IN_MAX - 1);
}

// After a search whose score says how the static evaluation erred here,
// moves the correction towards it, the more the deeper the search.
void learn_correction(Worker& w, int depth, int error) {
    const Position& pos = w.pos;
    std::int16_t& entry = w.histories.pawn_correction[pos.side][pos.pawn_key % CORRECTION_ENTRIES];
    const int weight = std::min(depth + 1, 16);
    const int target = std::clamp(error, -256, 256) * CORRECTION_GRAIN;
    const int moved = (entry * (256 - weight) + target * weight) / 256;
    entry = static_cast<std::int16_t>(std::clamp(moved, -128 * CORRECTION_GRAIN, 128 * CORRECTION_GRAIN));
}

// ---------------------------------------------------------------------------
// Time and stopping: only the main thread looks at the clock and the hooks.

void poll(Worker& w) {
    Engine& e = *w.engine;
    const std::uint64_t nodes = total_nodes(e);
    if (e.limits.nodes != 0 && nodes >= e.limits.nodes && w.completed_depth >= e.limits.min_depth) {
        e.stopped_by_limit = true;
        e.stop.store(true, std::memory_order_relaxed);
        return;
    }
    if (e.timed && now_ms() - e.start_ms >= e.hard_ms) {
        e.stopped_by_limit = true;
        e.stop.store(true, std::memory_order_relaxed);
        return;
    }
    if (e.hooks.should_stop != nullptr && e.hooks.should_stop(e.hooks.context)) {
        e.stopped_by_hook = true;
        e.stop.store(true, std::memory_order_relaxed);
    }
}

// Counts a node; the main thread polls every so many of its own.
inline bool count_node_and_stop(Worker& w) {
    const std::uint64_t n = w.nodes.fetch_add(1, std::memory_order_relaxed) + 1;
    if (w.index == 0 && (n & w.engine->poll_mask) == 0) poll(w);
    return w.engine->stop.load(std::memory_order_relaxed);
}

void update_pv(Worker& w, int ply, Move m) {
    w.pv[ply][0] = m;
    const int child = w.pv_length[ply + 1];
    std::memcpy(&w.pv[ply][1], &w.pv[ply + 1][0], sizeof(Move) * static_cast<std::size_t>(child));
    w.pv_length[ply] = child + 1;
}

// After a quiet move caused a cut-off: it becomes a killer and the
// counter-move of the move before, and its history rises while that of the
// quiet moves tried before it falls.
void reward_quiet(Worker& w, Frame* ss, Move best, int depth, const Move* tried, int tried_count) {
    if constexpr (STRONG_STEP < 2) return;
    Histories& h = w.histories;
    const int side = w.pos.side;
    if (ss->killers[0] != best) {
        ss->killers[1] = ss->killers[0];
        ss->killers[0] = best;
    }
    const Frame* previous = ss - 1;
    if (previous->move != NO_MOVE) h.counter[previous->piece][move_to(previous->move)] = best;
    const int bonus = history_bonus(depth);
    // Its own history, and its history after each of the two moves before.
    const auto update = [&](Move m, int change) {
        const int piece = w.pos.board[move_from(m)];
        update_history(h.butterfly[side][move_from(m)][move_to(m)], change);
        update_history((*(ss - 1)->continuation)[piece][move_to(m)], change);
        update_history((*(ss - 2)->continuation)[piece][move_to(m)], change);
    };
    update(best, bonus);
    for (int i = 0; i < tried_count; ++i)
        if (tried[i] != best) update(tried[i], -bonus);
}

void reward_capture(Worker& w, Move m, int bonus) {
    if constexpr (STRONG_STEP < 2) return;
    const Position& pos = w.pos;
    const int taken = move_kind(m) == EN_PASSANT ? PAWN : piece_type(pos.board[move_to(m)]);
    if (taken == EMPTY) return;
    update_history(w.histories.capture[pos.board[move_from(m)]][move_to(m)][taken], bonus);
}

// Makes a move, noting it in the frame for the plies below. Every move the
// search makes is legal; slow checks make sure.
void play(Worker& w, Frame* ss, Move m) {
    if constexpr (SLOW_CHECKS) assert(is_pseudo_legal(w.pos, m) && is_legal(w.pos, m));
    ss->move = m;
    ss->piece = w.pos.board[move_from(m)];
    ss->continuation = &w.histories.continuation[ss->piece][move_to(m)];
    if (w.engine->eval_kind == EvalKind::NETWORK)
        network_push(w.network_stack, static_cast<int>(ss - (w.frames + FRAME_OFFSET)), w.pos, m);
    make(w.pos, m);
    // The child's bucket, on its way to the cache while the child checks
    // for draws.
    __builtin_prefetch(tt_bucket(w.engine->tt, w.pos.key));
}

// ---------------------------------------------------------------------------
// Quiescence: captures and queen promotions until the position is quiet,
// every evasion when in check.

// `qs_ply` counts the plies since the main search: at the first, quiet
// checks are searched too, so that a mate the horizon hides is seen.
template <NodeType node>
int quiescence(Worker& w, Frame* ss, int ply, int alpha, int beta, int qs_ply = 0) {
    constexpr bool pv_node = node != NON_PV;
    Position& pos = w.pos;
    if (pv_node) w.pv_length[ply] = 0;
    if (ply > w.seldepth) w.seldepth = ply;

    // 1. Draws, and the deepest ply.
    if (is_repetition(pos, ply) || (is_fifty_move_draw(pos) && !in_check(pos)) || has_insufficient_material(pos))
        return 0;
    if (ply >= MAX_SEARCH_PLY - 1) return in_check(pos) ? 0 : evaluate(w, ply);

    // 2. The table.
    TTHit hit{};
    const bool found = tt_probe(w.engine->tt, pos.key, ply, hit);
    if (found && !pv_node && hit.bound != Bound::NONE &&
        (hit.bound == Bound::EXACT || (hit.bound == Bound::LOWER ? hit.score >= beta : hit.score <= alpha)))
        return hit.score;

    // 3. Stand pat: the side to move may decline every capture.
    const bool check = in_check(pos);
    int best = -SCORE_INFINITE;
    int static_eval = SCORE_NONE, raw_eval = SCORE_NONE;
    if (!check) {
        raw_eval = found && hit.eval != SCORE_NONE ? hit.eval : evaluate(w, ply);
        static_eval = corrected(w, raw_eval);
        best = static_eval;
        if (found && hit.bound != Bound::NONE &&
            (hit.bound == Bound::EXACT || (hit.bound == Bound::LOWER ? hit.score > best : hit.score < best)))
            best = hit.score;
        if (best >= beta) {
            if (!found) tt_store(w.engine->tt, pos.key, ply, NO_MOVE, best, raw_eval, -1, Bound::LOWER);
            return best;
        }
        if (best > alpha) alpha = best;
    }

    // 4. Captures that do not lose material; in check, every move.
    MovePicker mp;
    init_quiescence_picker(mp, pos, w.histories, found ? hit.move : NO_MOVE, qs_ply == 0);
    const int original_alpha = alpha;
    Move best_move = NO_MOVE;
    int legal = 0;
    while (const Move m = next_move(mp)) {
        ++legal;
        if (pv_node) w.pv_length[ply + 1] = 0;
        if (!check && STRONG_STEP >= 5) {
            // Nothing a capture could win lifts a hopeless position to alpha.
            const int taken = move_kind(m) == EN_PASSANT ? PAWN : piece_type(pos.board[move_to(m)]);
            if (move_kind(m) != PROMOTE_QUEEN && taken != EMPTY && static_eval + SEE_VALUE[taken] + param(QS_FUTILITY_MARGIN) <= alpha &&
                !gives_check(pos, m))
                continue;
            if (!see_ge(pos, m, 0)) continue;
        }
        play(w, ss, m);
        const bool stop = count_node_and_stop(w);
        const int score = stop ? 0 : -quiescence<node>(w, ss + 1, ply + 1, -beta, -alpha, qs_ply + 1);
        unmake(pos);
        if (w.engine->stop.load(std::memory_order_relaxed)) return 0;
        if (score <= best) continue;
        best = score;
        if (score <= alpha) continue;
        best_move = m;
        if (pv_node) update_pv(w, ply, m);
        if (score >= beta) break;
        alpha = score;
    }

    // 5. Mated: in check without a move.
    if (check && legal == 0) return mated_in(ply);

    const Bound bound = best >= beta ? Bound::LOWER : pv_node && best > original_alpha ? Bound::EXACT : Bound::UPPER;
    tt_store(w.engine->tt, pos.key, ply, best_move, best, raw_eval, 0, bound);
    return best;
}

// ---------------------------------------------------------------------------
// The main search.

template <NodeType node>
int search(Worker& w, Frame* ss, int ply, int alpha, int beta, int depth, bool cut_node) {
    constexpr bool pv_node = node != NON_PV;
    constexpr bool root = node == ROOT;
    Position& pos = w.pos;
    Engine& e = *w.engine;

    // 1. The horizon: quiet the position down.
    if (depth <= 0) return quiescence<pv_node ? PV : NON_PV>(w, ss, ply, alpha, beta);

    if (pv_node) w.pv_length[ply] = 0;
    if (ply > w.seldepth) w.seldepth = ply;
    const bool check = in_check(pos);

    if (!root) {
        // 2. Draws by the rules, before anything stored about the position.
        if (is_repetition(pos, ply) || has_insufficient_material(pos)) return 0;
        if (is_fifty_move_draw(pos) && !check) return 0;
        if (ply >= MAX_SEARCH_PLY - 1) return check ? 0 : evaluate(w, ply);

        // 3. Mate-distance pruning: no line here beats a mate already found nearer the root.
        alpha = std::max(alpha, mated_in(ply));
        beta = std::min(beta, mate_in(ply + 1));
        if (alpha >= beta) return alpha;
    }

    // 4. The table: a deep enough result of the right kind ends a node off
    //    the principal variation; not in a search that leaves a move out,
    //    whose result is not the position's.
    const Move excluded = ss->excluded;
    TTHit hit{};
    const bool found = tt_probe(e.tt, pos.key, ply, hit);
    const Move table_move = root ? w.root_moves[w.pv_index].move : found ? hit.move : NO_MOVE;
    if (!pv_node && excluded == NO_MOVE && found && hit.depth >= depth && hit.bound != Bound::NONE &&
        (hit.bound == Bound::EXACT || (hit.bound == Bound::LOWER ? hit.score >= beta : hit.score <= alpha)) &&
        pos.rule50 < 90) {
        if (hit.move != NO_MOVE && hit.score >= beta && !is_tactical(pos, hit.move) && is_pseudo_legal(pos, hit.move))
            reward_quiet(w, ss, hit.move, depth, nullptr, 0);
        return hit.score;
    }

    // 5. The static evaluation, and whether it has risen over two plies.
    int eval;
    int raw_eval = SCORE_NONE;  // as the table keeps it, uncorrected
    if (check) {
        ss->static_eval = eval = SCORE_NONE;
    } else {
        raw_eval = found && hit.eval != SCORE_NONE ? hit.eval : evaluate(w, ply);
        ss->static_eval = eval = corrected(w, raw_eval);
        // A stored score is a better guess than the static one when its bound allows.
        if (found && hit.bound != Bound::NONE &&
            (hit.bound == Bound::EXACT || (hit.bound == Bound::LOWER ? hit.score > eval : hit.score < eval)))
            eval = hit.score;
    }
    // Two plies back in check had no evaluation: then four plies back.
    const int earlier_eval = (ss - 2)->static_eval != SCORE_NONE ? (ss - 2)->static_eval : (ss - 4)->static_eval;
    const bool improving = !check && earlier_eval != SCORE_NONE && ss->static_eval > earlier_eval;
    // A node on, or once on, a principal variation is searched with more care.
    const bool table_pv = pv_node || (found && hit.pv);
    (ss + 1)->killers[0] = (ss + 1)->killers[1] = NO_MOVE;

    if (!pv_node && !check && excluded == NO_MOVE) {
        // 6. Reverse futility: far enough above beta that a few plies will not bring it down.
        if (STRONG_STEP >= 5 && depth <= param(RFP_MAX_DEPTH) &&
            eval - (param(RFP_MARGIN) * depth - param(RFP_IMPROVING) * improving) >= beta && std::abs(beta) < SCORE_MATE_IN_MAX)
            return eval;

        // 7. Null move: if passing still holds beta, a real move will too. Not
        //    twice in a row, not with only king and pawns (zugzwang).
        if (STRONG_STEP >= 3 && depth >= param(NMP_MIN_DEPTH) && eval >= beta && ss->static_eval >= beta && (ss - 1)->move != NO_MOVE &&
            has_non_pawn_material(pos, pos.side) && std::abs(beta) < SCORE_MATE_IN_MAX) {
            const int r = param(NMP_BASE) + depth / param(NMP_DEPTH_DIVISOR) +
                          std::min((eval - beta) / param(NMP_EVAL_DIVISOR), param(NMP_EVAL_MAX));
            ss->move = NO_MOVE;
            ss->piece = 0;
            ss->continuation = no_continuation(w.histories);
            (ss + 1)->double_extensions = ss->double_extensions;
            if (e.eval_kind == EvalKind::NETWORK) network_push(w.network_stack, ply, pos, NO_MOVE);
            make_null(pos);
            const int score = -search<NON_PV>(w, ss + 1, ply + 1, -beta, -beta + 1, depth - r, !cut_node);
            unmake_null(pos);
            if (e.stop.load(std::memory_order_relaxed)) return 0;
            if (score >= beta) return score >= SCORE_MATE_IN_MAX ? beta : score;
        }

        // 7a. ProbCut: a capture that beats beta by a margin in a shallow
        //     search will very likely beat it in the full one. Not where the
        //     table already says a search nearly as deep fell short.
        const int probcut_beta = beta + param(PROBCUT_MARGIN);
        if (depth >= param(PROBCUT_MIN_DEPTH) && std::abs(beta) < SCORE_MATE_IN_MAX &&
            !(found && hit.depth >= depth - 3 && hit.score < probcut_beta)) {
            MovePicker captures;
            init_quiescence_picker(captures, pos, w.histories, found ? hit.move : NO_MOVE, false);
            while (const Move m = next_move(captures)) {
                if (!see_ge(pos, m, probcut_beta - ss->static_eval)) continue;
                (ss + 1)->double_extensions = ss->double_extensions;
                play(w, ss, m);
                if (count_node_and_stop(w)) {
                    unmake(pos);
                    return 0;
                }
                int score = -quiescence<NON_PV>(w, ss + 1, ply + 1, -probcut_beta, -probcut_beta + 1);
                if (score >= probcut_beta)
                    score = -search<NON_PV>(w, ss + 1, ply + 1, -probcut_beta, -probcut_beta + 1, depth - 4, !cut_node);
                unmake(pos);
                if (e.stop.load(std::memory_order_relaxed)) return 0;
                if (score >= probcut_beta) {
                    tt_store(e.tt, pos.key, ply, m, score, raw_eval, depth - 3, Bound::LOWER, table_pv);
                    return score;
                }
            }
        }
    }

    // 8. Without a move from the table, a deep node is searched a little
    //    shallower: its ordering is a guess anyway.
    if (STRONG_STEP >= 7 && depth >= param(IIR_MIN_DEPTH) && table_move == NO_MOVE && !check) --depth;

    // 9. Check extension.
    if (check && ply < 2 * w.root_depth) ++depth;

    // 10. The moves.
    MovePicker mp;
    const Frame* previous = ss - 1;
    const Move counter =
        STRONG_STEP >= 2 && previous->move != NO_MOVE ? w.histories.counter[previous->piece][move_to(previous->move)] : NO_MOVE;
    const PieceToHistory* const continuations[2] = {(ss - 1)->continuation, (ss - 2)->continuation};
    init_picker(mp, pos, w.histories, table_move, ss->killers, counter, continuations);

    const int original_alpha = alpha;
    int best = -SCORE_INFINITE;
    Move best_move = NO_MOVE;
    Move quiets_tried[64];
    int quiet_count = 0;
    Move captures_tried[32];
    int capture_count = 0;
    int move_number = 0;
    bool skip_quiets = false;

    // The root's moves come in the order of the last iteration's scores,
    // best first, without the lines this iteration has already reported.
    int root_next = w.pv_index;
    const auto next = [&]() -> Move {
        if (root) return root_next < w.root_move_count ? w.root_moves[root_next++].move : NO_MOVE;
        return next_move(mp, skip_quiets);
    };
    while (const Move m = next()) {
        if (m == excluded) continue;
        ++move_number;
        const bool tactical = is_tactical(pos, m);
        const bool gives = gives_check(pos, m);
        const int history = tactical ? 0 : quiet_history(pos, w.histories, continuations, m);

        // 11. Pruning far from the principal variation, once a move has
        //     kept us from being mated.
        if (STRONG_STEP >= 5 && !root && best > -SCORE_MATE_IN_MAX && has_non_pawn_material(pos, pos.side)) {
            if (!tactical && !gives) {
                // Late moves at low depth, and quiet moves that cannot lift alpha.
                if (!pv_node && depth <= param(LMP_MAX_DEPTH) &&
                    move_number >= (param(LMP_BASE) + depth * depth) / (2 - improving)) {
                    skip_quiets = true;
                    continue;
                }
                // Quiet moves that have done badly here before, near the leaves.
                if (!pv_node && depth <= param(HISTORY_PRUNE_MAX_DEPTH) &&
                    history < -param(HISTORY_PRUNE_MARGIN) * depth)
                    continue;
                if (!check && depth <= param(FUTILITY_MAX_DEPTH) &&
                    ss->static_eval + param(FUTILITY_BASE) + param(FUTILITY_PER_DEPTH) * depth <= alpha) {
                    skip_quiets = true;
                    continue;
                }
                if (depth <= param(SEE_QUIET_MAX_DEPTH) && !see_ge(pos, m, -param(SEE_QUIET_MARGIN) * depth)) continue;
            } else if (depth <= param(SEE_CAPTURE_MAX_DEPTH) &&
                       !see_ge(pos, m, -param(SEE_CAPTURE_MARGIN) * depth * depth)) {
                continue;
            }
        }

        // 12. Singular extension: the table's move, when every other move
        //     falls well short of its score in a shallower search that
        //     leaves it out, is searched a ply deeper (two off the
        //     principal variation when it stands out by far); when another
        //     move also beats beta, this node is cut at once (multi-cut).
        int extension = 0;
        if (!root && m == table_move && excluded == NO_MOVE && depth >= param(SE_MIN_DEPTH) &&
            hit.depth >= depth - 3 && (hit.bound == Bound::LOWER || hit.bound == Bound::EXACT) &&
            std::abs(hit.score) < SCORE_MATE_IN_MAX) {
            const int singular_beta = hit.score - param(SE_MARGIN_PER_DEPTH) * depth / 16;
            ss->excluded = m;
            const int score = search<NON_PV>(w, ss, ply, singular_beta - 1, singular_beta, (depth - 1) / 2, cut_node);
            ss->excluded = NO_MOVE;
            if (e.stop.load(std::memory_order_relaxed)) return 0;
            if (score < singular_beta) {
                extension = 1;
                if (!pv_node && score < singular_beta - param(SE_DOUBLE_MARGIN) && ss->double_extensions < 6)
                    extension = 2;
            } else if (singular_beta >= beta) {
                return singular_beta;
            } else if (hit.score >= beta) {
                extension = -1;
            }
        }
        (ss + 1)->double_extensions = ss->double_extensions + (extension == 2);

        const std::uint64_t nodes_before = root ? w.nodes.load(std::memory_order_relaxed) : 0;
        play(w, ss, m);
        if (count_node_and_stop(w)) {
            unmake(pos);
            return 0;
        }
        if (pv_node) w.pv_length[ply + 1] = 0;
        const int new_depth = depth - 1 + extension;
        int score;

        // 13. Late moves first get a reduced, null-window look.
        if (STRONG_STEP >= 4 && depth >= param(LMR_MIN_DEPTH) && move_number > 1 + root && (!tactical || cut_node)) {
            int r = reduction(depth, move_number);
            r += !pv_node;
            r -= table_pv && !pv_node;
            r += cut_node;
            r += !improving;
            r -= gives;
            if (!tactical) {
                if (m == ss->killers[0] || m == ss->killers[1] || m == counter) --r;
                r -= history / param(LMR_HISTORY_DIVISOR);
            }
            r = std::clamp(r, 0, new_depth - 1);
            score = -search<NON_PV>(w, ss + 1, ply + 1, -alpha - 1, -alpha, new_depth - r, true);
            if (score > alpha && r > 0)
                score = -search<NON_PV>(w, ss + 1, ply + 1, -alpha - 1, -alpha, new_depth, !cut_node);
        } else if (!pv_node || move_number > 1) {
            score = -search<NON_PV>(w, ss + 1, ply + 1, -alpha - 1, -alpha, new_depth, !cut_node);
        } else {
            score = alpha + 1;  // the first move of a PV node: the full window at once
        }
        // 14. Principal variation search: a move that beats alpha in the
        //     null window is searched again with the full one.
        if (pv_node && (move_number == 1 || (score > alpha && (root || score < beta))))
            score = -search<PV>(w, ss + 1, ply + 1, -beta, -alpha, new_depth, false);
        unmake(pos);
        if (e.stop.load(std::memory_order_relaxed)) return 0;

        if (root) {
            RootMove& rm = *std::find_if(w.root_moves, w.root_moves + w.root_move_count,
                                         [m](const RootMove& r) { return r.move == m; });
            rm.nodes += w.nodes.load(std::memory_order_relaxed) - nodes_before;
            if (move_number > 1 && score > alpha && w.pv_index == 0) w.improved_best = m;
            if (move_number == 1 || score > alpha) {
                rm.score = score;
                rm.seldepth = w.seldepth;
                rm.pv[0] = m;
                std::memcpy(&rm.pv[1], w.pv[ply + 1], sizeof(Move) * static_cast<std::size_t>(w.pv_length[ply + 1]));
                rm.pv_length = w.pv_length[ply + 1] + 1;
            } else {
                rm.score = -SCORE_INFINITE;
            }
        }

        if (score > best) {
            best = score;
            if (score > alpha) {
                best_move = m;
                if (pv_node && !root) update_pv(w, ply, m);
                if (score >= beta) break;
                alpha = score;
            }
        }
        if (m != best_move) {
            if (!tactical && quiet_count < 64) quiets_tried[quiet_count++] = m;
            if (tactical && capture_count < 32) captures_tried[capture_count++] = m;
        }
    }

    // 15. No legal move: mate or stalemate.
    // A search that left out the only move found nothing: not a mate, only
    // nothing else that reaches the bound.
    if (move_number == 0 && !root) return excluded != NO_MOVE ? alpha : check ? mated_in(ply) : 0;
    if (is_fifty_move_draw(pos)) return 0;

    // 16. What the cut-off teaches the move ordering.
    if (best >= beta && best_move != NO_MOVE) {
        const int bonus = history_bonus(depth);
        if (!is_tactical(pos, best_move))
            reward_quiet(w, ss, best_move, depth, quiets_tried, quiet_count);
        else
            reward_capture(w, best_move, bonus);
        for (int i = 0; i < capture_count; ++i) reward_capture(w, captures_tried[i], -bonus);
    }

    const Bound bound = best >= beta ? Bound::LOWER : pv_node && best > original_alpha ? Bound::EXACT : Bound::UPPER;
    // 17. How far the static evaluation erred, where the search's score says
    //     so: a quiet best move, and a bound on the right side of it.
    if (!check && (best_move == NO_MOVE || !is_tactical(pos, best_move)) &&
        !(bound == Bound::LOWER && best <= ss->static_eval) && !(bound == Bound::UPPER && best >= ss->static_eval))
        learn_correction(w, depth, best - ss->static_eval);
    if (!root && excluded == NO_MOVE) tt_store(e.tt, pos.key, ply, best_move, best, raw_eval, depth, bound, table_pv);
    return best;
}

// ---------------------------------------------------------------------------
// Iterative deepening.

// The reports of one iteration: each line searched so far, best first.
void report_lines(Worker& w, int depth) {
    Engine& e = *w.engine;
    if (e.hooks.report == nullptr) return;
    const std::int64_t elapsed = now_ms() - e.start_ms;
    const std::uint64_t nodes = total_nodes(e);
    const int hashfull = tt_hashfull(e.tt);
    const int lines = std::min(e.limits.multipv, w.root_move_count);
    for (int i = 0; i < lines; ++i) {
        const RootMove& rm = w.root_moves[i];
        const bool searched = i <= w.pv_index;
        const int score = searched ? rm.score : rm.previous_score;
        if (score == -SCORE_INFINITE) continue;
        Report r{depth, rm.seldepth, i + 1, score, false, 0, elapsed, nodes, hashfull, rm.pv, rm.pv_length};
        if (std::abs(score) >= SCORE_MATE_IN_MAX) {
            r.is_mate = true;
            r.mate_moves = score > 0 ? (SCORE_MATE - score + 1) / 2 : -(SCORE_MATE + score) / 2;
        }
        e.hooks.report(e.hooks.context, r);
    }
}

// Sorts root moves [from, to) by score, keeping the order of equals.
void sort_root_moves(Worker& w, int from, int to) {
    std::stable_sort(w.root_moves + from, w.root_moves + to,
                     [](const RootMove& a, const RootMove& b) { return a.score > b.score; });
}

// Searches deeper and deeper until a limit says stop; the main thread also
// decides when to stop on time.
void iterate(Worker& w) {
    Engine& e = *w.engine;
    Frame* ss = w.frames + FRAME_OFFSET;
    // The histories live on from move to move of a game; clear_hash empties them.
    for (Frame& f : w.frames) f = Frame{NO_MOVE, 0, SCORE_NONE, {NO_MOVE, NO_MOVE}, no_continuation(w.histories), NO_MOVE, 0};
    w.completed_depth = 0;
    w.completed = w.root_moves[0];
    w.completed_lines = 0;
    w.improved_best = NO_MOVE;

    Move last_best = NO_MOVE;
    double best_move_changes = 0;
    int stable_iterations = 0;
    int first_score = -SCORE_INFINITE, previous_best_score = -SCORE_INFINITE;
    const int lines = std::min(e.limits.multipv, w.root_move_count);

    for (int depth = 1; depth <= e.limits.depth && depth < MAX_SEARCH_PLY - 1; ++depth) {
        // Helpers spread over depths so that the threads do not all search the same tree.
        if (w.index > 0 && depth > 1 && ((depth + w.index) % 3 == 0)) continue;
        w.root_depth = depth;
        for (int i = 0; i < w.root_move_count; ++i) w.root_moves[i].previous_score = w.root_moves[i].score;
        w.improved_best = NO_MOVE;

        for (w.pv_index = 0; w.pv_index < lines; ++w.pv_index) {
            w.seldepth = 0;
            // Aspiration window around the last score.
            const int previous = w.root_moves[w.pv_index].previous_score;
            int delta = param(ASPIRATION_DELTA);
            int alpha = -SCORE_INFINITE, beta = SCORE_INFINITE;
            if (STRONG_STEP >= 6 && depth >= param(ASPIRATION_MIN_DEPTH) && previous != -SCORE_INFINITE && std::abs(previous) < SCORE_MATE_IN_MAX) {
                alpha = std::max(previous - delta, -SCORE_INFINITE);
                beta = std::min(previous + delta, SCORE_INFINITE);
            }
            for (;;) {
                const int score = search<ROOT>(w, ss, 0, alpha, beta, depth, false);
                sort_root_moves(w, w.pv_index, w.root_move_count);
                if (e.stop.load(std::memory_order_relaxed)) break;
                if (score <= alpha) {
                    beta = (alpha + beta) / 2;
                    alpha = std::max(score - delta, -SCORE_INFINITE);
                } else if (score >= beta) {
                    beta = std::min(score + delta, SCORE_INFINITE);
                } else {
                    break;
                }
                delta += delta / 2;
            }
            // The lines found so far, best first; the moves below them keep their order.
            sort_root_moves(w, 0, w.pv_index + 1);
            if (e.stop.load(std::memory_order_relaxed)) break;
        }
        if (e.stop.load(std::memory_order_relaxed)) break;
        w.completed_depth = depth;
        w.completed = w.root_moves[0];
        w.completed_lines = std::min(e.limits.multipv, w.root_move_count);
        for (int i = 0; i < w.completed_lines; ++i) {
            w.completed_line_moves[i] = w.root_moves[i].move;
            w.completed_line_scores[i] = w.root_moves[i].score;
        }
        w.improved_best = NO_MOVE;
        if (w.index != 0) continue;

        // The main thread: report, and decide whether another iteration fits.
        report_lines(w, depth);
        const RootMove& best = w.root_moves[0];
        if (best.move != last_best) {
            best_move_changes += 1;
            stable_iterations = 0;
        } else {
            ++stable_iterations;
        }
        best_move_changes *= 0.5;
        last_best = best.move;
        // The soft limit stretches while the best move keeps changing, while
        // the score falls, and when the best move took a small share of
        // the nodes (others came close); a move time is spent whole.
        const std::uint64_t searched = w.nodes.load(std::memory_order_relaxed);
        const double best_share = searched ? static_cast<double>(best.nodes) / static_cast<double>(searched) : 1.0;
        const double nodes_factor = (param(TM_NODES_BASE) - param(TM_NODES_SLOPE) * best_share) / 100.0;
        const int fall = (first_score == -SCORE_INFINITE ? 0 : first_score - best.score) +
                         (previous_best_score == -SCORE_INFINITE ? 0 : previous_best_score - best.score);
        const double falling = std::clamp(1.0 + fall / static_cast<double>(param(TM_FALL_DIVISOR)), 0.85, 1.5);
        if (first_score == -SCORE_INFINITE) first_score = best.score;
        previous_best_score = best.score;
        const double scale = soft_limit_scale(best_move_changes * 2, stable_iterations) * nodes_factor * falling;
        if (e.timed && !e.fixed_time && now_ms() - e.start_ms >= static_cast<std::int64_t>(e.soft_ms * scale)) {
            e.stopped_by_limit = true;  // time enough for no more
            break;
        }
        // A forced mate found within the depth needs no deeper look; nor does
        // a mate as short as the one asked for.
        if (std::abs(best.score) >= SCORE_MATE_IN_MAX && SCORE_MATE - std::abs(best.score) <= depth) break;
        if (e.limits.mate > 0 && best.score >= SCORE_MATE - (2 * e.limits.mate - 1)) break;
    }
}

// A helper runs each search the main thread starts after it was made.
void helper_loop(Engine* engine, Worker* w, std::uint64_t seen) {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(engine->mutex);
            engine->wake.wait(lock, [&] { return engine->quitting || engine->search_id != seen; });
            if (engine->quitting) return;
            seen = engine->search_id;
        }
        iterate(*w);
        std::lock_guard<std::mutex> lock(engine->mutex);
        if (--engine->helpers_running == 0) engine->done.notify_all();
    }
}

void stop_helpers(Engine& engine) {
    {
        std::lock_guard<std::mutex> lock(engine.mutex);
        engine.quitting = true;
    }
    engine.wake.notify_all();
    for (std::thread& t : engine.threads) t.join();
    engine.threads.clear();
    engine.quitting = false;
}

}  // namespace

Engine::Engine() : network(&nnue::default_network()) {
    tt_resize(tt, HASH_DEFAULT_MB);
    set_threads(*this, 1);
}

Engine::~Engine() { stop_helpers(*this); }

// Making or emptying a large table takes every core the machine has, for
// the moment it takes: it happens between games, not on the clock.
int clearing_threads(const Engine& engine) {
    return std::max(thread_count(engine), static_cast<int>(std::thread::hardware_concurrency()));
}

bool set_hash(Engine& engine, int mb) { return tt_resize(engine.tt, mb, clearing_threads(engine)); }

void clear_hash(Engine& engine) {
    tt_clear(engine.tt, clearing_threads(engine));
    for (auto& w : engine.workers) std::memset(&w->histories, 0, sizeof w->histories);
}

void set_threads(Engine& engine, int threads) {
    threads = std::clamp(threads, 1, THREADS_MAX);
    stop_helpers(engine);
    engine.workers.resize(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i) {
        if (!engine.workers[static_cast<std::size_t>(i)]) engine.workers[static_cast<std::size_t>(i)] = std::make_unique<Worker>();
        Worker& w = *engine.workers[static_cast<std::size_t>(i)];
        w.engine = &engine;
        w.index = i;
    }
    for (int i = 1; i < threads; ++i)
        engine.threads.emplace_back(helper_loop, &engine, engine.workers[static_cast<std::size_t>(i)].get(),
                                    engine.search_id);
}

int thread_count(const Engine& engine) { return static_cast<int>(engine.workers.size()); }

void set_eval_kind(Engine& engine, EvalKind kind) {
    if (kind != engine.eval_kind) clear_hash(engine);
    engine.eval_kind = kind;
}

EvalKind eval_kind(const Engine& engine) { return engine.eval_kind; }

const char* load_network(Engine& engine, const char* path) {
    auto fresh = std::make_unique<nnue::Network>();
    engine.network_error = nnue::read_network_file(path, *fresh);
    if (!engine.network_error.empty()) return engine.network_error.c_str();
    engine.loaded_network = std::move(fresh);
    engine.network = engine.loaded_network.get();
    clear_hash(engine);
    return nullptr;
}

void use_default_network(Engine& engine) {
    engine.network = &nnue::default_network();
    engine.loaded_network.reset();
    clear_hash(engine);
}

Result think(Engine& engine, const Position& root, const SearchLimits& limits, const Hooks& hooks) {
    Engine& e = engine;
    Result result;

    // 1. The search's shared state and its time.
    e.limits = limits;
    e.limits.multipv = std::clamp(limits.multipv, 1, MAX_MULTIPV);
    e.hooks = hooks;
    e.stop.store(false);
    e.stopped_by_hook = e.stopped_by_limit = false;
    e.start_ms = now_ms();
    e.timed_on_hit = limits.move_time_ms >= 0 || limits.clock_ms >= 0;
    if (e.timed_on_hit) {
        const TimePlan plan = plan_time(limits);
        e.soft_ms = plan.soft_ms;
        e.hard_ms = plan.hard_ms;
    }
    e.timed = e.timed_on_hit && !limits.infinite && !limits.ponder;
    e.fixed_time = limits.move_time_ms >= 0;
    if (limits.depth <= 0 || limits.depth > MAX_SEARCH_PLY - 1) e.limits.depth = MAX_SEARCH_PLY - 1;
    // A small node budget is kept to within a few dozen nodes.
    e.poll_mask = limits.nodes != 0 && limits.nodes < 65536 ? 63 : 1023;
    tt_new_search(e.tt);

    // 2. Every worker gets the root and its legal moves, those the limits name
    //    when they name any.
    MoveList legal;
    generate_all(root, legal);
    if (limits.searchmove_count > 0) {
        int kept = 0;
        for (int i = 0; i < legal.count; ++i) {
            const Move m = legal.moves[i];
            const bool named = std::any_of(limits.searchmoves, limits.searchmoves + limits.searchmove_count,
                                           [m](const MoveName& n) {
                                               return n.from == move_from(m) && n.to == move_to(m) &&
                                                      n.promotion == promotion_piece(m);
                                           });
            if (named) legal.moves[kept++] = m;
        }
        if (kept > 0) legal.count = kept;
    }
    for (auto& wp : e.workers) {
        Worker& w = *wp;
        w.pos = root;
        if (e.eval_kind == EvalKind::NETWORK) network_reset(w.network_stack, *e.network, root);
        w.nodes.store(0, std::memory_order_relaxed);
        w.root_move_count = legal.count;
        for (int i = 0; i < legal.count; ++i) {
            RootMove& rm = w.root_moves[i];
            rm.move = legal.moves[i];
            rm.score = rm.previous_score = -SCORE_INFINITE;
            rm.nodes = 0;
            rm.seldepth = 0;
            rm.pv_length = 1;
            rm.pv[0] = legal.moves[i];
        }
    }
    if (legal.count == 0) return result;

    // 3. Helpers search beside the main thread until it stops them.
    {
        std::lock_guard<std::mutex> lock(e.mutex);
        e.helpers_running = static_cast<int>(e.threads.size());
        ++e.search_id;
    }
    e.wake.notify_all();
    Worker& main = *e.workers[0];
    iterate(main);
    e.stop.store(true);
    {
        std::unique_lock<std::mutex> lock(e.mutex);
        e.done.wait(lock, [&] { return e.helpers_running == 0; });
    }

    // 4. The main thread's choice: the last finished iteration's line, or at
    //    a limit a move that has since beaten it.
    const RootMove& finished = main.completed;
    result.nodes = total_nodes(e);
    result.reason = e.stopped_by_hook ? StopReason::STOPPED : e.stopped_by_limit ? StopReason::LIMIT : StopReason::COMPLETED;
    result.depth = main.completed_depth;
    result.score = finished.score;
    result.pv_length = finished.pv_length;
    std::memcpy(result.pv, finished.pv, sizeof(Move) * static_cast<std::size_t>(finished.pv_length));
    result.best = finished.move;
    if (finished.pv_length >= 2) result.ponder = finished.pv[1];
    result.line_count = main.completed_lines;
    for (int i = 0; i < main.completed_lines; ++i) {
        result.line_moves[i] = main.completed_line_moves[i];
        result.line_scores[i] = main.completed_line_scores[i];
    }
    if (result.reason == StopReason::LIMIT && main.improved_best != NO_MOVE) {
        const RootMove& improved = *std::find_if(main.root_moves, main.root_moves + main.root_move_count,
                                                 [&](const RootMove& r) { return r.move == main.improved_best; });
        result.best = improved.move;
        result.ponder = improved.pv_length >= 2 ? improved.pv[1] : NO_MOVE;
    }
    return result;
}

void ponderhit(Engine& engine) {
    engine.limits.ponder = false;
    engine.timed = engine.timed_on_hit && !engine.limits.infinite;
}

Progress progress(const Engine& engine) {
    const Worker& main = *engine.workers[0];
    return {now_ms() - engine.start_ms, total_nodes(engine), main.root_depth};
}

}  // namespace strong
