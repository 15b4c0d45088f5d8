// Which opening book the game uses, and where the shipped one is looked for.
#include "game/book_path.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"

#ifndef TAVRIN_DATADIR
#define TAVRIN_DATADIR "/usr/local/share"
#endif
#ifndef TAVRIN_RELATIVE_DATADIR
#define TAVRIN_RELATIVE_DATADIR "share"
#endif

namespace {

constexpr const char* BOOK_NAME = "book.book";

char opened_path[PATH_MAX + 64] = "book.book";

bool open_at(const char* path) {
    if (!book_open(path)) return false;
    std::snprintf(opened_path, sizeof opened_path, "%s", path);
    return true;
}

// The installed book relative to the executable's own folder (bin/..), so
// that an installation moved as a whole still finds it.
bool open_beside_executable() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return false;
    *slash = '\0';
    char book[PATH_MAX + 64];
    std::snprintf(book, sizeof book, "%s/../%s/tavrin/%s", path, TAVRIN_RELATIVE_DATADIR, BOOK_NAME);
    return open_at(book);
}

}  // namespace

bool open_shipped_book() {
    if (const char* named = std::getenv("TAVRIN_BOOK")) {
        std::snprintf(opened_path, sizeof opened_path, "%s", named);
        return book_open(named);
    }
    if (open_at(BOOK_NAME)) return true;
    if (open_beside_executable()) return true;
    return open_at(TAVRIN_DATADIR "/tavrin/book.book");
}

const char* shipped_book_path() { return opened_path; }

bool game_open_book(const char* path) { return book_open(path); }

void game_close_book() { book_close(); }
