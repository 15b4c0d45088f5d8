// Which opening book the game uses, and where the shipped one is looked for.
#pragma once
#include "board/types.h"

// Opens the book and says whether it is open. When the environment names a
// book in TAVRIN_BOOK, that file alone is tried (tests use it, so that an
// installed copy never changes what they see). Otherwise "book.book" in the
// working directory, then the book installed beside the executable, then the
// one in the data directory the build was configured to install to.
bool open_shipped_book();

// The path of the book that open_shipped_book opened, or "book.book".
const char* shipped_book_path();

// The kinds of book the game reads, told apart by their content: Tavrin's
// own text book (openings as lines of moves), or a Polyglot book.
enum class BookKind { NONE, TEXT, POLYGLOT };

// From now on the book's random choice is seeded from this process's own
// entropy, so that engines started in the same second choose independently
// (protocol 1 keeps its seed from the clock).
void game_seed_books_independently();

// Opens the book at `path` in place of any book open before. Returns
// nullptr, or what is wrong with the file, and then there is no book.
const char* game_open_book(const char* path);

// Closes the book: the engine then always searches.
void game_close_book();

BookKind game_book_kind();

// A move of the Polyglot book for the game position, picked by its weights;
// -1 when there is none or the book is not a Polyglot one. Needs the ply-0 list.
Move polyglot_book_move();
