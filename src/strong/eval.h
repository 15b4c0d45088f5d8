// The strong search's evaluation: every term has a middlegame and an
// endgame weight, blended by the material left; the weights are fitted to
// the results of games by tools/tune and kept in eval_weights.cpp.
#pragma once
#include <cstdint>

#include "common/bitboard.h"
#include "strong/position.h"
#include "strong/zobrist.h"

namespace strong {

// The terms, each a block of weights. A feature counts for White less for
// Black; the piece-square block is indexed by piece and square as White
// sees the board (Black's squares mirrored).
namespace term {
constexpr int MATERIAL = 0;                              // pawn .. queen
constexpr int PIECE_SQUARE = MATERIAL + 5;               // [piece][square]
constexpr int MOBILITY_KNIGHT = PIECE_SQUARE + 6 * 64;   // by safe squares reached, 0..8
constexpr int MOBILITY_BISHOP = MOBILITY_KNIGHT + 9;     // 0..13
constexpr int MOBILITY_ROOK = MOBILITY_BISHOP + 14;      // 0..14
constexpr int MOBILITY_QUEEN = MOBILITY_ROOK + 15;       // 0..27
constexpr int PAWN_DOUBLED = MOBILITY_QUEEN + 28;        // an own pawn ahead on the file
constexpr int PAWN_ISOLATED = PAWN_DOUBLED + 1;          // no own pawn on a neighbouring file
constexpr int PAWN_BACKWARD = PAWN_ISOLATED + 1;         // behind its neighbours, its stop square watched by a pawn
constexpr int PAWN_CONNECTED = PAWN_BACKWARD + 1;        // beside or defended by an own pawn, by relative rank
constexpr int PASSED = PAWN_CONNECTED + 8;               // by relative rank
constexpr int PASSED_FREE = PASSED + 8;                  // nothing on the way to the last rank, by relative rank
constexpr int PASSED_SUPPORTED = PASSED_FREE + 8;        // defended by an own pawn
constexpr int PASSED_OWN_KING = PASSED_SUPPORTED + 1;    // own king's distance to the stop square, times (rank - 2)
constexpr int PASSED_ENEMY_KING = PASSED_OWN_KING + 1;   // the enemy king's, likewise
constexpr int BISHOP_PAIR = PASSED_ENEMY_KING + 1;
constexpr int ROOK_OPEN_FILE = BISHOP_PAIR + 1;          // no pawn on the file
constexpr int ROOK_HALF_OPEN_FILE = ROOK_OPEN_FILE + 1;  // no own pawn on the file
constexpr int ROOK_SEVENTH = ROOK_HALF_OPEN_FILE + 1;    // on the enemy's second rank
constexpr int KNIGHT_OUTPOST = ROOK_SEVENTH + 1;         // ranks 4-6, defended by a pawn, no enemy pawn can chase it
constexpr int BISHOP_OUTPOST = KNIGHT_OUTPOST + 1;
constexpr int KING_ATTACKERS = BISHOP_OUTPOST + 1;       // enemy pieces bearing on the king's zone, by piece
constexpr int KING_ZONE_ATTACKS = KING_ATTACKERS + 4;    // squares of the king's zone the enemy attacks
constexpr int KING_SHELTER = KING_ZONE_ATTACKS + 1;      // own pawn on the king's and neighbouring files, by rank (0: none)
constexpr int KING_STORM = KING_SHELTER + 8;             // enemy pawn on them, by its rank from our side (0: none)
constexpr int THREAT_PAWN_ON_MINOR = KING_STORM + 8;     // enemy knight or bishop attacked by a pawn
constexpr int THREAT_PAWN_ON_MAJOR = THREAT_PAWN_ON_MINOR + 1;
constexpr int THREAT_MINOR_ON_MAJOR = THREAT_PAWN_ON_MAJOR + 1;
constexpr int THREAT_ROOK_ON_QUEEN = THREAT_MINOR_ON_MAJOR + 1;
constexpr int HANGING = THREAT_ROOK_ON_QUEEN + 1;        // an enemy piece attacked and not defended
constexpr int TEMPO = HANGING + 1;                       // the side to move
constexpr int COUNT = TEMPO + 1;
}  // namespace term

struct TermWeight {
    std::int16_t mg;
    std::int16_t eg;
};

struct EvalWeights {
    TermWeight w[term::COUNT];
};

// The weights the engine plays with, as tools/tune last wrote them.
extern const EvalWeights TUNED_WEIGHTS;

// The name of the block a term belongs to and its place in it, for the
// weights file.
const char* term_block_name(int t, int* index_in_block);

// Material phase: 24 with every minor piece (1), rook (2) and queen (4) on
// the board, 0 with none; the endgame weights count the more the lower it is.
constexpr int PHASE_MAX = 24;
// Drawish endings keep scale / SCALE_NORMAL of their score.
constexpr int SCALE_NORMAL = 64;

// A position as the tuner sees it: the sum is
//   sum over features of value * (mg * phase + eg * (24 - phase)) / 24 * scale / 64
// from White's point of view.
constexpr int MAX_FEATURES = 192;
struct EvalFeatures {
    int count;
    std::int16_t term[MAX_FEATURES];
    std::int16_t value[MAX_FEATURES];
    int phase;
    int scale;
};

void extract_features(const Position& pos, EvalFeatures& features);

// The pawn-only terms of a placement, kept per pawn key.
struct EvalPawnEntry {
    Key key = 0;
    bool filled = false;
    std::int32_t mg = 0;
    std::int32_t eg = 0;
    Bitboard passed[2] = {0, 0};
};

constexpr int EVAL_PAWN_CACHE_BITS = 13;

// One per search thread.
struct EvalCache {
    EvalPawnEntry pawns[1 << EVAL_PAWN_CACHE_BITS];
};

// The score from the side to move's point of view, pawn = 100.
int evaluate(const Position& pos, EvalCache& cache, const EvalWeights& weights = TUNED_WEIGHTS);

}  // namespace strong
