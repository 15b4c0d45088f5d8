// The strong search's evaluation: every term has a middlegame and an
// endgame weight, blended by the material left; the weights are fitted to
// the results of games by tools/tune and kept in eval_weights.cpp.
//
// One walk over the position serves the engine and the tuner: it hands each
// feature to a sink, which either adds its weights or writes it down, so
// the tuner fits exactly what the engine plays with.
#include "strong/eval.h"

#include <algorithm>
#include <cstdlib>

#include "strong/attacks.h"

namespace strong {

namespace {

// ---------------------------------------------------------------------------
// Masks. Square 0 is a8; White moves towards lower rows.

struct Masks {
    Bitboard file[8];
    Bitboard adjacent_files[8];
    Bitboard forward[2][64];       // the squares ahead on the file
    Bitboard passed_span[2][64];   // ahead on the file and the neighbouring files
    Bitboard attack_span[2][64];   // ahead on the neighbouring files only
};

constexpr Masks build_masks() {
    Masks m{};
    for (int f = 0; f < 8; ++f) m.file[f] = FILE_A << f;
    for (int f = 0; f < 8; ++f) m.adjacent_files[f] = (f > 0 ? m.file[f - 1] : 0) | (f < 7 ? m.file[f + 1] : 0);
    for (int s = 0; s < 64; ++s) {
        const int row = s >> 3, f = s & 7;
        Bitboard ahead_white = 0, ahead_black = 0;
        for (int r = 0; r < row; ++r) ahead_white |= row_bits(r);
        for (int r = row + 1; r < 8; ++r) ahead_black |= row_bits(r);
        m.forward[WHITE][s] = ahead_white & m.file[f];
        m.forward[BLACK][s] = ahead_black & m.file[f];
        m.attack_span[WHITE][s] = ahead_white & m.adjacent_files[f];
        m.attack_span[BLACK][s] = ahead_black & m.adjacent_files[f];
        m.passed_span[WHITE][s] = m.forward[WHITE][s] | m.attack_span[WHITE][s];
        m.passed_span[BLACK][s] = m.forward[BLACK][s] | m.attack_span[BLACK][s];
    }
    return m;
}

constexpr Masks masks = build_masks();

// Rank as the side sees it: 0 its own first rank, 7 the last.
constexpr int relative_rank(int colour, int s) { return colour == WHITE ? 7 - (s >> 3) : s >> 3; }
// The square as White sees it.
constexpr int relative_square(int colour, int s) { return colour == WHITE ? s : s ^ 56; }
constexpr int forward_step(int colour) { return colour == WHITE ? -8 : 8; }

inline Bitboard pawn_attacks_of(Bitboard pawns, int colour) {
    if (colour == WHITE) return ((pawns & ~FILE_A) >> 9) | ((pawns & ~FILE_H) >> 7);
    return ((pawns & ~FILE_A) << 7) | ((pawns & ~FILE_H) << 9);
}

inline int popcount(Bitboard b) { return __builtin_popcountll(b); }

// The rows at and ahead of `row` for `colour`.
inline Bitboard rows_from(int colour, int row) {
    if (colour == WHITE) return row == 7 ? ~Bitboard{0} : (Bitboard{1} << (8 * (row + 1))) - 1;
    return ~((Bitboard{1} << (8 * row)) - 1);
}

inline int distance(int a, int b) { return std::max(std::abs((a >> 3) - (b >> 3)), std::abs((a & 7) - (b & 7))); }

// ---------------------------------------------------------------------------
// Sinks: where the features go.

// Adds each feature's weights; for the engine.
struct ScoreSink {
    const EvalWeights& weights;
    int mg = 0;
    int eg = 0;
    void add(int t, int value) {
        mg += weights.w[t].mg * value;
        eg += weights.w[t].eg * value;
    }
};

// Writes each feature down, summing repeats; for the tuner.
struct FeatureSink {
    EvalFeatures& features;
    std::int16_t place[term::COUNT];  // where each term stands in the list, or -1
    explicit FeatureSink(EvalFeatures& f) : features(f) {
        features.count = 0;
        std::fill(std::begin(place), std::end(place), std::int16_t{-1});
    }
    void add(int t, int value) {
        if (place[t] < 0) {
            place[t] = static_cast<std::int16_t>(features.count);
            features.term[features.count] = static_cast<std::int16_t>(t);
            features.value[features.count++] = 0;
        }
        features.value[place[t]] = static_cast<std::int16_t>(features.value[place[t]] + value);
    }
};

// ---------------------------------------------------------------------------
// The pawns alone: structure, and which pawns are passed.

template <class Sink>
void pawn_terms(const Position& pos, Sink& sink, Bitboard passed[2]) {
    for (int colour = WHITE; colour <= BLACK; ++colour) {
        const int sign = colour == WHITE ? 1 : -1;
        const Bitboard own = pos.pieces[colour][PAWN];
        const Bitboard enemy = pos.pieces[colour ^ 1][PAWN];
        const Bitboard own_attacks = pawn_attacks_of(own, colour);
        const Bitboard enemy_attacks = pawn_attacks_of(enemy, colour ^ 1);
        passed[colour] = 0;
        for (Bitboard b = own; b;) {
            const int s = pop_lowest_square(b);
            const int f = s & 7;
            const int rank = relative_rank(colour, s);
            if (masks.forward[colour][s] & own) sink.add(term::PAWN_DOUBLED, sign);
            const Bitboard neighbours = own & masks.adjacent_files[f];
            if (!neighbours) {
                sink.add(term::PAWN_ISOLATED, sign);
            } else if (!(neighbours & ~masks.attack_span[colour][s]) && !(neighbours & row_bits(s >> 3)) &&
                       (enemy_attacks & square_bit(s + forward_step(colour)))) {
                // Every neighbour is ahead of it and its stop square is watched.
                sink.add(term::PAWN_BACKWARD, sign);
            }
            const bool defended = (own_attacks & square_bit(s)) != 0;
            const bool beside = (neighbours & row_bits(s >> 3)) != 0;
            if (defended || beside) sink.add(term::PAWN_CONNECTED + rank, sign);
            if (!(masks.passed_span[colour][s] & enemy) && !(masks.forward[colour][s] & own)) {
                passed[colour] |= square_bit(s);
                sink.add(term::PASSED + rank, sign);
                if (defended) sink.add(term::PASSED_SUPPORTED, sign);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Everything else.

struct Attacks {
    Bitboard by_piece[2][6];
    Bitboard all[2];
};

template <class Sink>
void piece_terms(const Position& pos, Sink& sink, const Bitboard passed[2]) {
    const Bitboard occupied = pos.occupied;
    Attacks a{};
    for (int c = WHITE; c <= BLACK; ++c) {
        a.by_piece[c][PAWN] = pawn_attacks_of(pos.pieces[c][PAWN], c);
        a.by_piece[c][KING] = king_attacks[king_square(pos, c)];
    }

    // 1. Material, placement, mobility, pieces on files and outposts, and
    //    the attacks each side makes, for the threats and the king.
    int king_attackers[2][4] = {};
    for (int c = WHITE; c <= BLACK; ++c) {
        const int sign = c == WHITE ? 1 : -1;
        const int them = c ^ 1;
        const Bitboard own_pieces = pos.colors[c];
        const Bitboard safe = ~own_pieces & ~a.by_piece[them][PAWN];
        const Bitboard enemy_zone = king_attacks[king_square(pos, them)] | pos.pieces[them][KING];
        for (int piece = PAWN; piece <= KING; ++piece) {
            for (Bitboard b = pos.pieces[c][piece]; b;) {
                const int s = pop_lowest_square(b);
                if (piece != KING) sink.add(term::MATERIAL + piece, sign);
                sink.add(term::PIECE_SQUARE + piece * 64 + relative_square(c, s), sign);
                if (piece == PAWN || piece == KING) continue;
                const Bitboard attacks = piece_attacks(piece, s, occupied);
                a.by_piece[c][piece] |= attacks;
                const int reach = popcount(attacks & safe);
                switch (piece) {
                    case KNIGHT: sink.add(term::MOBILITY_KNIGHT + reach, sign); break;
                    case BISHOP: sink.add(term::MOBILITY_BISHOP + reach, sign); break;
                    case ROOK: sink.add(term::MOBILITY_ROOK + reach, sign); break;
                    default: sink.add(term::MOBILITY_QUEEN + reach, sign); break;
                }
                if (attacks & enemy_zone) ++king_attackers[them][piece - KNIGHT];
                const int rank = relative_rank(c, s);
                if ((piece == KNIGHT || piece == BISHOP) && rank >= 3 && rank <= 5 &&
                    (a.by_piece[c][PAWN] & square_bit(s)) && !(masks.attack_span[c][s] & pos.pieces[them][PAWN]))
                    sink.add(piece == KNIGHT ? term::KNIGHT_OUTPOST : term::BISHOP_OUTPOST, sign);
                if (piece == ROOK) {
                    const Bitboard file = masks.file[s & 7];
                    if (!(file & pos.pieces[c][PAWN]))
                        sink.add(file & pos.pieces[them][PAWN] ? term::ROOK_HALF_OPEN_FILE : term::ROOK_OPEN_FILE, sign);
                    if (rank == 6) sink.add(term::ROOK_SEVENTH, sign);
                }
            }
        }
        if (more_than_one(pos.pieces[c][BISHOP])) sink.add(term::BISHOP_PAIR, sign);
    }
    for (int c = WHITE; c <= BLACK; ++c) {
        a.all[c] = 0;
        for (int piece = PAWN; piece <= KING; ++piece) a.all[c] |= a.by_piece[c][piece];
    }

    // 2. The kings: attackers of their zone, their pawn shield and the storm.
    for (int c = WHITE; c <= BLACK; ++c) {
        const int sign = c == WHITE ? 1 : -1;
        const int them = c ^ 1;
        const int king = king_square(pos, c);
        for (int p = 0; p < 4; ++p)
            if (king_attackers[c][p]) sink.add(term::KING_ATTACKERS + p, -sign * king_attackers[c][p]);
        const Bitboard zone = king_attacks[king] | square_bit(king);
        const int zone_attacks = popcount(zone & a.all[them]);
        if (zone_attacks) sink.add(term::KING_ZONE_ATTACKS, -sign * zone_attacks);
        const int king_file = std::clamp(king & 7, 1, 6);
        for (int f = king_file - 1; f <= king_file + 1; ++f) {
            const Bitboard file_ahead = masks.file[f] & rows_from(c, king >> 3);
            const Bitboard own = pos.pieces[c][PAWN] & file_ahead;
            const Bitboard enemy = pos.pieces[them][PAWN] & file_ahead;
            // The own pawn nearest the king, the enemy pawn nearest it.
            const int shelter = own ? relative_rank(c, c == WHITE ? highest_square(own) : lowest_square(own)) : 0;
            const int storm = enemy ? relative_rank(c, c == WHITE ? highest_square(enemy) : lowest_square(enemy)) : 0;
            sink.add(term::KING_SHELTER + shelter, sign);
            sink.add(term::KING_STORM + storm, sign);
        }
    }

    // 3. Passed pawns: a free path, and the kings near the way.
    for (int c = WHITE; c <= BLACK; ++c) {
        const int sign = c == WHITE ? 1 : -1;
        for (Bitboard b = passed[c]; b;) {
            const int s = pop_lowest_square(b);
            const int rank = relative_rank(c, s);
            if (!(masks.forward[c][s] & occupied)) sink.add(term::PASSED_FREE + rank, sign);
            const int weight = std::max(rank - 2, 0);
            if (weight == 0) continue;
            const int stop = s + forward_step(c);
            sink.add(term::PASSED_OWN_KING, sign * weight * distance(king_square(pos, c), stop));
            sink.add(term::PASSED_ENEMY_KING, sign * weight * distance(king_square(pos, c ^ 1), stop));
        }
    }

    // 4. Threats against the other side's pieces.
    for (int c = WHITE; c <= BLACK; ++c) {
        const int sign = c == WHITE ? 1 : -1;
        const int them = c ^ 1;
        const Bitboard* enemy = pos.pieces[them];
        const Bitboard minors = enemy[KNIGHT] | enemy[BISHOP];
        const Bitboard majors = enemy[ROOK] | enemy[QUEEN];
        const int pawn_on_minor = popcount(a.by_piece[c][PAWN] & minors);
        const int pawn_on_major = popcount(a.by_piece[c][PAWN] & majors);
        const int minor_on_major = popcount((a.by_piece[c][KNIGHT] | a.by_piece[c][BISHOP]) & majors);
        const int rook_on_queen = popcount(a.by_piece[c][ROOK] & enemy[QUEEN]);
        const int hanging = popcount(a.all[c] & ~a.all[them] & (minors | majors));
        if (pawn_on_minor) sink.add(term::THREAT_PAWN_ON_MINOR, sign * pawn_on_minor);
        if (pawn_on_major) sink.add(term::THREAT_PAWN_ON_MAJOR, sign * pawn_on_major);
        if (minor_on_major) sink.add(term::THREAT_MINOR_ON_MAJOR, sign * minor_on_major);
        if (rook_on_queen) sink.add(term::THREAT_ROOK_ON_QUEEN, sign * rook_on_queen);
        if (hanging) sink.add(term::HANGING, sign * hanging);
    }

    // 5. The move.
    sink.add(term::TEMPO, pos.side == WHITE ? 1 : -1);
}

int phase_of(const Position& pos) {
    int phase = 0;
    for (int c = WHITE; c <= BLACK; ++c)
        phase += popcount(pos.pieces[c][KNIGHT] | pos.pieces[c][BISHOP]) + 2 * popcount(pos.pieces[c][ROOK]) +
                 4 * popcount(pos.pieces[c][QUEEN]);
    return std::min(phase, PHASE_MAX);
}

// How much of its score a drawish ending keeps, from the material
// alone: a side ahead without pawns needs more than a minor piece to win,
// and bishops of opposite colours hold many endings a pawn or two down.
int scale_of(const Position& pos) {
    int material[2], pieces[2];
    for (int c = WHITE; c <= BLACK; ++c) {
        const Bitboard* p = pos.pieces[c];
        pieces[c] = 3 * popcount(p[KNIGHT] | p[BISHOP]) + 5 * popcount(p[ROOK]) + 9 * popcount(p[QUEEN]);
        material[c] = pieces[c] + popcount(p[PAWN]);
    }
    if (material[WHITE] != material[BLACK]) {
        const int strong = material[WHITE] > material[BLACK] ? WHITE : BLACK;
        if (!pos.pieces[strong][PAWN]) {
            if (pieces[strong] <= 3) return 0;                           // a lone minor piece cannot mate
            if (pieces[strong] - pieces[strong ^ 1] <= 3) return SCALE_NORMAL / 8;  // a minor piece up at most
        }
    }
    const Bitboard white_bishops = pos.pieces[WHITE][BISHOP], black_bishops = pos.pieces[BLACK][BISHOP];
    if (popcount(white_bishops) == 1 && popcount(black_bishops) == 1 &&
        ((white_bishops & DARK_SQUARES) != 0) != ((black_bishops & DARK_SQUARES) != 0)) {
        const bool bishops_only = pieces[WHITE] == 3 && pieces[BLACK] == 3;
        return bishops_only ? SCALE_NORMAL / 2 : SCALE_NORMAL * 3 / 4;
    }
    return SCALE_NORMAL;
}

const EvalPawnEntry& probe_pawns(const Position& pos, EvalCache& cache, const EvalWeights& weights) {
    EvalPawnEntry& e = cache.pawns[pos.pawn_key & ((1u << EVAL_PAWN_CACHE_BITS) - 1)];
    if (e.filled && e.key == pos.pawn_key) return e;
    ScoreSink sink{weights};
    pawn_terms(pos, sink, e.passed);
    e.key = pos.pawn_key;
    e.filled = true;
    e.mg = sink.mg;
    e.eg = sink.eg;
    return e;
}

}  // namespace

void extract_features(const Position& pos, EvalFeatures& features) {
    FeatureSink sink(features);
    Bitboard passed[2];
    pawn_terms(pos, sink, passed);
    piece_terms(pos, sink, passed);
    features.phase = phase_of(pos);
    features.scale = scale_of(pos);
}

int evaluate(const Position& pos, EvalCache& cache, const EvalWeights& weights) {
    const EvalPawnEntry& pawns = probe_pawns(pos, cache, weights);
    ScoreSink sink{weights, pawns.mg, pawns.eg};
    piece_terms(pos, sink, pawns.passed);
    const int phase = phase_of(pos);
    const int white = (sink.mg * phase + sink.eg * (PHASE_MAX - phase)) / PHASE_MAX * scale_of(pos) / SCALE_NORMAL;
    return pos.side == WHITE ? white : -white;
}

const char* term_block_name(int t, int* index_in_block) {
    struct Block {
        int start;
        const char* name;
    };
    static constexpr Block blocks[] = {
        {term::MATERIAL, "material"},
        {term::PIECE_SQUARE, "piece-square"},
        {term::MOBILITY_KNIGHT, "knight mobility"},
        {term::MOBILITY_BISHOP, "bishop mobility"},
        {term::MOBILITY_ROOK, "rook mobility"},
        {term::MOBILITY_QUEEN, "queen mobility"},
        {term::PAWN_DOUBLED, "doubled pawn"},
        {term::PAWN_ISOLATED, "isolated pawn"},
        {term::PAWN_BACKWARD, "backward pawn"},
        {term::PAWN_CONNECTED, "connected pawn by rank"},
        {term::PASSED, "passed pawn by rank"},
        {term::PASSED_FREE, "passed pawn with a free path by rank"},
        {term::PASSED_SUPPORTED, "passed pawn defended by a pawn"},
        {term::PASSED_OWN_KING, "own king's distance to a passed pawn"},
        {term::PASSED_ENEMY_KING, "enemy king's distance to a passed pawn"},
        {term::BISHOP_PAIR, "bishop pair"},
        {term::ROOK_OPEN_FILE, "rook on an open file"},
        {term::ROOK_HALF_OPEN_FILE, "rook on a half-open file"},
        {term::ROOK_SEVENTH, "rook on the seventh"},
        {term::KNIGHT_OUTPOST, "knight outpost"},
        {term::BISHOP_OUTPOST, "bishop outpost"},
        {term::KING_ATTACKERS, "king zone attackers by piece"},
        {term::KING_ZONE_ATTACKS, "attacked squares of the king zone"},
        {term::KING_SHELTER, "king shelter by pawn rank"},
        {term::KING_STORM, "pawn storm by pawn rank"},
        {term::THREAT_PAWN_ON_MINOR, "pawn attacks a minor piece"},
        {term::THREAT_PAWN_ON_MAJOR, "pawn attacks a rook or queen"},
        {term::THREAT_MINOR_ON_MAJOR, "minor piece attacks a rook or queen"},
        {term::THREAT_ROOK_ON_QUEEN, "rook attacks a queen"},
        {term::HANGING, "hanging piece"},
        {term::TEMPO, "tempo"},
    };
    const Block* block = blocks;
    for (const Block& b : blocks)
        if (b.start <= t) block = &b;
    *index_in_block = t - block->start;
    return block->name;
}

}  // namespace strong
