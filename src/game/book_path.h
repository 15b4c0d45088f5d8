// Which opening book the game uses, and where the shipped one is looked for.
#pragma once

// Opens the book and says whether it is open. When the environment names a
// book in TAVRIN_BOOK, that file alone is tried (tests use it, so that an
// installed copy never changes what they see). Otherwise "book.book" in the
// working directory, then the book installed beside the executable, then the
// one in the data directory the build was configured to install to.
bool open_shipped_book();

// The path of the book that open_shipped_book opened, or "book.book".
const char* shipped_book_path();

// Opens the book at `path` in place of any book open before; false (and no
// book) when it cannot be read.
bool game_open_book(const char* path);

// Closes the book: the engine then always searches.
void game_close_book();
