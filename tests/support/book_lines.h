// A book line shared by the unit and protocol tests of the book.
#pragma once
#include <string>
#include <vector>

// A closed Spanish, 30 plies, every move legal in turn.
inline const std::vector<std::string> SPANISH_LINE = {
    "e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6", "e1g1", "f8e7",
    "f1e1", "b7b5", "a4b3", "d7d6", "c2c3", "e8g8", "h2h3", "c6b8", "d2d4", "b8d7",
    "b1d2", "c8b7", "b3c2", "f8e8", "d2f1", "e7f8", "f1g3", "g7g6", "a2a4", "c7c5",
};

// Its first `plies` moves, each followed by `separator`.
inline std::string spanish(int plies, const std::string& separator) {
    std::string text;
    for (int i = 0; i < plies; ++i) text += SPANISH_LINE[i] + separator;
    return text;
}
