// The order the strong search tries moves in: the table's move, captures
// that do not lose material (by victim, then attacker), killers, the
// counter-move, quiet moves by history, and losing captures last.
#include "strong/move_picker.h"

#include "strong/see.h"

namespace strong {

namespace {

// The piece a capture takes (a pawn for en passant); EMPTY for none.
int victim(const Position& pos, Move m) {
    if (move_kind(m) == EN_PASSANT) return PAWN;
    return piece_type(pos.board[move_to(m)]);
}

int capture_score(const Position& pos, const Histories& h, Move m) {
    const int taken = victim(pos, m);
    const int moved = pos.board[move_from(m)];
    int score = move_kind(m) == PROMOTE_QUEEN ? SEE_VALUE[QUEEN] * 8 : 0;
    if (taken != EMPTY) score += SEE_VALUE[taken] * 8 + h.capture[moved][move_to(m)][taken] / 32;
    return score - piece_type(moved);
}

// Quiescence knows no earlier moves: the move's own history alone there.
int quiet_score(const MovePicker& mp, Move m) {
    if (mp.continuations[0] == nullptr) return mp.histories->butterfly[mp.pos->side][move_from(m)][move_to(m)];
    return quiet_history(*mp.pos, *mp.histories, mp.continuations, m);
}

// Moves the best-scored first: selection, since a cut-off usually comes early.
Move pick_best(MovePicker& mp) {
    int best = mp.next;
    for (int i = mp.next + 1; i < mp.count; ++i)
        if (mp.scores[i] > mp.scores[best]) best = i;
    const Move m = mp.moves[best];
    mp.moves[best] = mp.moves[mp.next];
    mp.scores[best] = mp.scores[mp.next];
    ++mp.next;
    return m;
}

bool is_usable(const Position& pos, Move m) { return m != NO_MOVE && is_pseudo_legal(pos, m) && is_legal(pos, m); }

// A move that an earlier stage has already offered.
bool offered_before(const MovePicker& mp, Move m) {
    return m == mp.table_move || m == mp.killers[0] || m == mp.killers[1] || m == mp.counter;
}

}  // namespace

void init_picker(MovePicker& mp, const Position& pos, const Histories& h, Move table_move, const Move killers[2],
                 Move counter, const PieceToHistory* const continuations[2]) {
    mp.pos = &pos;
    mp.histories = &h;
    mp.continuations[0] = continuations[0];
    mp.continuations[1] = continuations[1];
    mp.quiescence = false;
    mp.quiet_checks = false;
    mp.table_move = is_usable(pos, table_move) ? table_move : NO_MOVE;
    mp.count = mp.next = mp.bad_count = mp.bad_next = 0;
    if (in_check(pos)) {
        mp.killers[0] = mp.killers[1] = mp.counter = NO_MOVE;
        mp.stage = mp.table_move != NO_MOVE ? PickStage::TABLE_MOVE : PickStage::EVASIONS_INIT;
        return;
    }
    // Killers and the counter-move are quiet by nature: a capture among
    // them comes with the captures anyway.
    for (int i = 0; i < 2; ++i) {
        const Move k = killers[i];
        mp.killers[i] = k != table_move && (i == 0 || k != killers[0]) && is_usable(pos, k) && !is_tactical(pos, k)
                            ? k
                            : NO_MOVE;
    }
    mp.counter = counter != table_move && counter != killers[0] && counter != killers[1] && is_usable(pos, counter) &&
                         !is_tactical(pos, counter)
                     ? counter
                     : NO_MOVE;
    mp.stage = mp.table_move != NO_MOVE ? PickStage::TABLE_MOVE : PickStage::CAPTURES_INIT;
}

void init_quiescence_picker(MovePicker& mp, const Position& pos, const Histories& h, Move table_move,
                            bool quiet_checks) {
    mp.pos = &pos;
    mp.histories = &h;
    mp.quiescence = true;
    mp.continuations[0] = mp.continuations[1] = nullptr;
    mp.quiet_checks = quiet_checks && STRONG_STEP >= 7;
    mp.killers[0] = mp.killers[1] = mp.counter = NO_MOVE;
    mp.count = mp.next = mp.bad_count = mp.bad_next = 0;
    const bool usable = is_usable(pos, table_move) && (in_check(pos) || is_tactical(pos, table_move));
    mp.table_move = usable ? table_move : NO_MOVE;
    if (mp.table_move != NO_MOVE)
        mp.stage = PickStage::TABLE_MOVE;
    else
        mp.stage = in_check(pos) ? PickStage::EVASIONS_INIT : PickStage::QUIESCENCE_INIT;
}

Move next_move(MovePicker& mp, bool skip_quiets) {
    const Position& pos = *mp.pos;
    const Histories& h = *mp.histories;
    for (;;) {
        switch (mp.stage) {
            case PickStage::TABLE_MOVE:
                if (in_check(pos))
                    mp.stage = PickStage::EVASIONS_INIT;
                else
                    mp.stage = mp.quiescence ? PickStage::QUIESCENCE_INIT : PickStage::CAPTURES_INIT;
                return mp.table_move;

            case PickStage::CAPTURES_INIT:
            case PickStage::QUIESCENCE_INIT: {
                const bool quiescence = mp.stage == PickStage::QUIESCENCE_INIT;
                mp.count = static_cast<int>(generate_captures(pos, mp.moves) - mp.moves);
                mp.next = 0;
                for (int i = 0; i < mp.count; ++i) mp.scores[i] = capture_score(pos, h, mp.moves[i]);
                mp.stage = quiescence ? PickStage::QUIESCENCE_CAPTURES : PickStage::GOOD_CAPTURES;
                break;
            }

            case PickStage::GOOD_CAPTURES:
                while (mp.next < mp.count) {
                    const Move m = pick_best(mp);
                    if (m == mp.table_move) continue;
                    if (STRONG_STEP < 2 || see_ge(pos, m, 0)) return m;
                    mp.bad_captures[mp.bad_count++] = m;
                }
                mp.stage = PickStage::KILLER_1;
                break;

            case PickStage::KILLER_1:
                mp.stage = PickStage::KILLER_2;
                if (!skip_quiets && mp.killers[0] != NO_MOVE) return mp.killers[0];
                break;

            case PickStage::KILLER_2:
                mp.stage = PickStage::COUNTER;
                if (!skip_quiets && mp.killers[1] != NO_MOVE) return mp.killers[1];
                break;

            case PickStage::COUNTER:
                mp.stage = PickStage::QUIETS_INIT;
                if (!skip_quiets && mp.counter != NO_MOVE) return mp.counter;
                break;

            case PickStage::QUIETS_INIT:
                mp.count = skip_quiets ? 0 : static_cast<int>(generate_quiets(pos, mp.moves) - mp.moves);
                mp.next = 0;
                for (int i = 0; i < mp.count; ++i) mp.scores[i] = quiet_score(mp, mp.moves[i]);
                mp.stage = PickStage::QUIETS;
                break;

            case PickStage::QUIETS:
                while (!skip_quiets && mp.next < mp.count) {
                    const Move m = pick_best(mp);
                    if (!offered_before(mp, m)) return m;
                }
                mp.stage = PickStage::BAD_CAPTURES;
                break;

            case PickStage::BAD_CAPTURES:
                if (mp.bad_next < mp.bad_count) return mp.bad_captures[mp.bad_next++];
                mp.stage = PickStage::DONE;
                break;

            case PickStage::EVASIONS_INIT:
                mp.count = static_cast<int>(generate_all(pos, mp.moves) - mp.moves);
                mp.next = 0;
                for (int i = 0; i < mp.count; ++i) {
                    const Move m = mp.moves[i];
                    mp.scores[i] = is_tactical(pos, m) ? (1 << 20) + capture_score(pos, h, m) : quiet_score(mp, m);
                }
                mp.stage = PickStage::EVASIONS;
                break;

            case PickStage::EVASIONS:
                while (mp.next < mp.count) {
                    const Move m = pick_best(mp);
                    if (m != mp.table_move) return m;
                }
                mp.stage = PickStage::DONE;
                break;

            case PickStage::QUIESCENCE_CAPTURES:
                while (mp.next < mp.count) {
                    const Move m = pick_best(mp);
                    if (m != mp.table_move) return m;
                }
                mp.stage = mp.quiet_checks ? PickStage::QUIESCENCE_CHECKS_INIT : PickStage::DONE;
                break;

            case PickStage::QUIESCENCE_CHECKS_INIT:
                mp.count = static_cast<int>(generate_quiets(pos, mp.moves) - mp.moves);
                mp.next = 0;
                mp.stage = PickStage::QUIESCENCE_CHECKS;
                break;

            case PickStage::QUIESCENCE_CHECKS:
                while (mp.next < mp.count) {
                    const Move m = mp.moves[mp.next++];
                    if (m != mp.table_move && gives_check(pos, m)) return m;
                }
                mp.stage = PickStage::DONE;
                break;

            case PickStage::DONE:
                return NO_MOVE;
        }
    }
}

}  // namespace strong
