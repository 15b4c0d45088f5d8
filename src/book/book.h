// The opening book: a text file of openings, one per line, probed by weighted chance.
#pragma once
#include <cstdio>

#include "board/position.h"

constexpr int BOOK_PLY_LIMIT = 25;  // the largest history_ply at which the book is asked
constexpr int BOOK_MAX_CANDIDATES = 50;

// The open book, or null. Written by book_open only.
extern std::FILE* book_file;

// Seeds the random generator from the calendar time and opens the book at
// `path` in place of any book open before; true when it is open.
bool book_open(const char* path);

// Closes the book, if one is open: the engine then always searches.
void book_close();

// A legal move of the position that the book's lines play after the game so
// far, chosen with weights by how many lines play it; -1 when there is none.
// Needs the ply-0 move list of the current position.
Move book_probe();

// 1 when `line` begins with the whole of `prefix`.
int line_starts_with(const char* prefix, const char* line);
