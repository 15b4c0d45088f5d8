// Perft positions with their published counts, shared by the two perft tiers.
#pragma once
#include <cstdint>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

struct PerftCase {
    std::string name;
    std::string fen;
    std::vector<std::uint64_t> counts;  // counts[d - 1] is the count at depth d
};

inline void PrintTo(const PerftCase& c, std::ostream* os) { *os << c.fen; }

// A single published count for a position where one rule decides.
struct TargetedCase {
    const char* name;
    const char* fen;
    int depth;
    std::uint64_t count;
};

inline void PrintTo(const TargetedCase& c, std::ostream* os) { *os << c.fen; }

// Lines of "FEN ;D1 n ;D2 n ...".
inline std::vector<PerftCase> read_epd() {
    std::vector<PerftCase> cases;
    std::ifstream in(TAVRIN_SOURCE_DIR "/tests/data/standard.epd");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        PerftCase c;
        std::getline(fields, c.fen, ';');
        while (!c.fen.empty() && c.fen.back() == ' ') c.fen.pop_back();
        if (c.fen.empty()) continue;
        std::string depth;
        std::uint64_t count;
        while (fields >> depth >> count) {
            c.counts.push_back(count);
            fields.ignore(3, ';');
        }
        c.name = "epd" + std::to_string(cases.size() + 1);
        cases.push_back(c);
    }
    return cases;
}
