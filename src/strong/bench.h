// The strong search's bench: fixed-depth searches of a fixed list of
// positions on one thread; their total node count is its signature.
#pragma once
#include <cstdint>

namespace strong {

struct BenchPosition {
    const char* fen;
    int depth;
};

// Openings, middlegames, endgames and tactics. Changing this list, or the
// search, changes the signature.
constexpr BenchPosition bench_positions[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 14},
    {"r1bqkbnr/pp1ppppp/2n5/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 13},
    {"rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4", 13},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 12},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 13},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 11},
    {"2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 5 11", 13},
    {"r1bq1rk1/pp2nppp/2n1p3/3pP3/1b1P4/2NB1N2/PP3PPP/R1BQK2R w KQ - 4 9", 13},
    {"3r1rk1/p4ppp/1qp1bn2/4p3/4P3/1BN2Q2/PPP2PPP/3R1RK1 w - - 0 16", 13},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 18},
    {"8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1", 24},
    {"1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - 0 1", 12},
    {"8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1", 16},
    {"6k1/5p2/6p1/8/7p/8/6PP/6K1 b - - 0 1", 20},
    {"r1b2rk1/2q1b1pp/p2ppn2/1p6/3QP3/1BN1B3/PPP3PP/R4RK1 w - - 0 1", 12},
};

struct BenchTotals {
    std::uint64_t nodes = 0;
    double seconds = 0;
};

// Searches every position from an empty table and fresh histories, printing
// one line each to standard output; false (with a message) if one does not load.
bool run_bench(BenchTotals& totals);

}  // namespace strong
