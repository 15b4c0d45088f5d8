// The strong search's tunable numbers in one place, each with its value and
// the range a tuner may move it in; and the steps the search was built in.
#pragma once
#include <array>
#include <iterator>

namespace strong {

// The steps the strong search was built in, each measured against the one
// before (see doc/strength.md); a build with TAVRIN_STRONG_STEP=N has the
// first N. 1: table, principal-variation search, quiescence, draws; 2: move
// ordering by exchange, killers, history, counter-moves; 3: null move;
// 4: late-move reductions; 5: futility, late-move and exchange pruning;
// 6: aspiration windows; 7: shallower nodes without a table move, and quiet
// checks in quiescence.
#ifndef TAVRIN_STRONG_STEP
#define TAVRIN_STRONG_STEP 7
#endif
constexpr int STRONG_STEP = TAVRIN_STRONG_STEP;

// A build for tuning (TAVRIN_TUNING=1) reads the parameters from a table
// that options can change; any other build reads them as constants.
#ifndef TAVRIN_TUNING
#define TAVRIN_TUNING 0
#endif
constexpr bool TUNING = TAVRIN_TUNING != 0;

enum Param : int {
    LMR_BASE_PERCENT,        // late-move reduction: base + ln(depth) ln(moves) / divisor, in hundredths
    LMR_DIVISOR_PERCENT,
    LMR_HISTORY_DIVISOR,     // a quiet move's history (its own and after the two moves before) takes one ply off or on per this much
    LMR_MIN_DEPTH,
    HISTORY_BONUS_PER_DEPTH, // a cut-off's bonus: per depth less the offset, at most the cap
    HISTORY_BONUS_OFFSET,
    HISTORY_BONUS_MAX,
    QS_FUTILITY_MARGIN,      // quiescence: a capture that cannot lift the score by this much to alpha is skipped
    RFP_MAX_DEPTH,           // reverse futility: eval - margin * depth (less when improving) above beta
    RFP_MARGIN,
    RFP_IMPROVING,
    NMP_MIN_DEPTH,           // null move: reduced by base + depth / divisor + (eval - beta) / eval divisor
    NMP_BASE,
    NMP_DEPTH_DIVISOR,
    NMP_EVAL_DIVISOR,
    NMP_EVAL_MAX,
    PROBCUT_MIN_DEPTH,       // ProbCut: from this depth, a capture beating beta + margin in a search 4 plies shallower
    PROBCUT_MARGIN,
    IIR_MIN_DEPTH,           // a ply less without a table move from this depth
    LMP_MAX_DEPTH,           // late-move pruning after (base + depth^2) / (2 - improving) moves
    LMP_BASE,
    FUTILITY_MAX_DEPTH,      // quiet moves pruned when eval + base + per-depth margin stays below alpha
    FUTILITY_BASE,
    FUTILITY_PER_DEPTH,
    HISTORY_PRUNE_MAX_DEPTH, // quiet moves whose history is below -margin * depth pruned
    HISTORY_PRUNE_MARGIN,
    SEE_QUIET_MAX_DEPTH,     // quiet moves losing more than margin * depth pruned
    SEE_QUIET_MARGIN,
    SEE_CAPTURE_MAX_DEPTH,   // captures and checks losing more than margin * depth^2 pruned
    SEE_CAPTURE_MARGIN,
    SE_MIN_DEPTH,            // singular extension: from this depth, below the table's score by margin * depth / 16
    SE_MARGIN_PER_DEPTH,
    SE_DOUBLE_MARGIN,        // a second ply when every other move falls this much further short
    CORRECTION_WEIGHT_PERCENT,  // how much of the correction history the static evaluation takes
    TM_NODES_BASE,           // the soft limit is scaled by (base - slope * the best move's share of the nodes) / 100
    TM_NODES_SLOPE,
    TM_FALL_DIVISOR,         // and by 1 + the score's fall / divisor (0.85 to 1.5)
    ASPIRATION_MIN_DEPTH,    // aspiration window from this depth, first this wide either side
    ASPIRATION_DELTA,
    PARAM_COUNT,
};

struct ParamSpec {
    const char* name;  // as a tuning build's option is called
    int value;
    int min;
    int max;
};

inline constexpr ParamSpec PARAM_SPECS[] = {
    {"LmrBasePercent", 80, 0, 200},
    {"LmrDivisorPercent", 230, 150, 400},
    {"LmrHistoryDivisor", 8192, 2000, 24000},
    {"LmrMinDepth", 3, 2, 5},
    {"HistoryBonusPerDepth", 170, 50, 400},
    {"HistoryBonusOffset", 100, 0, 400},
    {"HistoryBonusMax", 1700, 500, 4000},
    {"QsFutilityMargin", 200, 50, 400},
    {"RfpMaxDepth", 8, 4, 12},
    {"RfpMargin", 80, 40, 150},
    {"RfpImproving", 60, 0, 120},
    {"NmpMinDepth", 3, 2, 5},
    {"NmpBase", 4, 2, 6},
    {"NmpDepthDivisor", 4, 2, 8},
    {"NmpEvalDivisor", 200, 100, 400},
    {"NmpEvalMax", 3, 1, 5},
    {"ProbcutMinDepth", 5, 4, 8},
    {"ProbcutMargin", 200, 80, 400},
    {"IirMinDepth", 4, 3, 8},
    {"LmpMaxDepth", 8, 4, 12},
    {"LmpBase", 3, 1, 8},
    {"FutilityMaxDepth", 8, 4, 12},
    {"FutilityBase", 120, 40, 250},
    {"FutilityPerDepth", 90, 40, 200},
    {"HistoryPruneMaxDepth", 3, 1, 6},
    {"HistoryPruneMargin", 2048, 512, 8192},
    {"SeeQuietMaxDepth", 8, 4, 12},
    {"SeeQuietMargin", 60, 20, 150},
    {"SeeCaptureMaxDepth", 6, 3, 10},
    {"SeeCaptureMargin", 30, 10, 80},
    {"SeMinDepth", 8, 5, 12},
    {"SeMarginPerDepth", 32, 8, 64},
    {"SeDoubleMargin", 20, 0, 60},
    {"CorrectionWeightPercent", 100, 0, 200},
    {"TmNodesBase", 160, 100, 250},
    {"TmNodesSlope", 100, 0, 200},
    {"TmFallDivisor", 200, 50, 800},
    {"AspirationMinDepth", 5, 2, 8},
    {"AspirationDelta", 20, 8, 50},
};
static_assert(std::size(PARAM_SPECS) == PARAM_COUNT);

// A tuning build's values, set through set_param; unused elsewhere.
extern std::array<int, PARAM_COUNT> tuned_values;

inline int param(Param p) {
    if constexpr (TUNING) return tuned_values[static_cast<std::size_t>(p)];
    return PARAM_SPECS[p].value;
}

// Sets the parameter of that name to `value` in a tuning build; false for
// an unknown name, a value outside its range, or another build.
bool set_param(const char* name, int value);

}  // namespace strong
