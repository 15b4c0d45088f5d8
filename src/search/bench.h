// The bench: fixed-depth searches of a fixed list of positions; their total
// node count is the engine's signature, and nodes per second its speed.
#pragma once
#include <cstdint>

struct BenchPosition {
    const char* fen;
    int depth;
};

// Openings, middlegames, endgames and tactics, each searched to a fixed depth
// with the book off. Changing this list changes the signature.
constexpr BenchPosition bench_positions[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 7},
    {"r1bqkbnr/pp1ppppp/2n5/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 6},
    {"rnbqkb1r/ppp2ppp/4pn2/3p2B1/2PP4/2N5/PP2PPPP/R2QKBNR b KQkq - 3 4", 6},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", 6},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10", 6},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 5},
    {"2rq1rk1/pp1bppbp/2np1np1/8/3NP3/1BN1BP2/PPPQ2PP/2KR3R b - - 5 11", 6},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", 7},
    {"8/k7/3p4/p2P1p2/P2P1P2/8/8/K7 w - - 0 1", 16},
    {"2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - 0 1", 7},
    {"8/7p/5k2/5p2/p1p2P2/Pr1pPK2/1P1R3P/8 b - - 0 1", 7},
};

struct BenchTotals {
    std::uint64_t nodes;
    double seconds;
};

// Runs every position with the book off, printing one line each to standard
// output; false (with a message) if a position does not load.
bool run_bench(BenchTotals& totals);
