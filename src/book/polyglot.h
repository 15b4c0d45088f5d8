// Polyglot opening books: the standard position key, loading a book file, and a weighted probe.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "board/position.h"

constexpr std::size_t POLYGLOT_ENTRY_BYTES = 16;
constexpr std::uintmax_t POLYGLOT_MAX_FILE_BYTES = std::uintmax_t{1} << 30;  // 1 GiB, 64 M entries

// One entry as stored big-endian in 16 bytes: key 8, move 2, weight 2, learn 4.
// move: to file bits 0-2, to row 3-5, from file 6-8, from row 9-11 (row 0 is
// rank 1), promotion 12-14 (0 none, 1 knight, 2 bishop, 3 rook, 4 queen).
// Castling is written as the king taking its own rook: e1h1, e1a1, e8h8, e8a8.
struct PolyglotEntry {
    std::uint64_t key;
    std::uint16_t move;
    std::uint16_t weight;
    std::uint32_t learn;
};
static_assert(sizeof(PolyglotEntry) == POLYGLOT_ENTRY_BYTES);

// A book owned by its user; empty means no book. Entries are sorted by key.
struct PolyglotBook {
    std::vector<PolyglotEntry> entries;
};

// The standard Polyglot key of the global position.
std::uint64_t polyglot_key();

// Whether `size` bytes of a whole file are a Polyglot book: at least one
// entry, a whole number of entries, not every byte text (so a text book never
// passes), and keys in ascending order.
bool looks_like_polyglot(const unsigned char* bytes, std::size_t size);

// Replaces the book's entries by those of the file at `path`. Returns nullptr
// on success, otherwise what is wrong with the file, and the book is empty.
const char* polyglot_load(PolyglotBook& book, const char* path);

// A legal move that the book gives for the global position, picked with
// chance proportional to its weight by `random_value`, whose whole 32-bit
// range is shared out by weight (pass random32(), not next_random(), whose 15
// bits would always pick the first move); -1 when there is none. Entries of
// weight 0 are never played. Needs the ply-0 move list; allocates nothing.
Move polyglot_probe(const PolyglotBook& book, std::uint32_t random_value);
