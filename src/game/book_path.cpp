// Which opening book the game uses, and where the shipped one is looked for.
#include "game/book_path.h"

#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "board/zobrist.h"
#include "common/random.h"
#include "book/book.h"
#include "book/polyglot.h"

#ifndef TAVRIN_DATADIR
#define TAVRIN_DATADIR "/usr/local/share"
#endif
#ifndef TAVRIN_RELATIVE_DATADIR
#define TAVRIN_RELATIVE_DATADIR "share"
#endif

namespace {

constexpr const char* BOOK_NAME = "book.book";

// Set by the front ends whose book choice must not follow the clock's
// second: each new seed then comes from the process's own entropy.
bool seeded_independently = false;

// A seed no other process shares: the system's entropy where it has some,
// the clock in nanoseconds, and where this process's stack lies.
std::uint32_t independent_seed() {
    std::uint64_t state = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    int here = 0;
    state ^= reinterpret_cast<std::uintptr_t>(&here);
    try {
        std::random_device entropy;
        state ^= (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
    } catch (...) {
        // No entropy device: the clock and the address must do.
    }
    return static_cast<std::uint32_t>(splitmix64(state) >> 32);
}

PolyglotBook polyglot_book;
BookKind book_kind = BookKind::NONE;

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

// The shipped book is a text book.
static bool open_shipped_text_book() {
    if (const char* named = std::getenv("TAVRIN_BOOK")) {
        std::snprintf(opened_path, sizeof opened_path, "%s", named);
        return book_open(named);
    }
    if (open_at(BOOK_NAME)) return true;
    if (open_beside_executable()) return true;
    return open_at(TAVRIN_DATADIR "/tavrin/book.book");
}

bool open_shipped_book() {
    const bool open = open_shipped_text_book();
    book_kind = open ? BookKind::TEXT : BookKind::NONE;
    return open;
}

const char* shipped_book_path() { return opened_path; }

namespace {

// Tavrin's own book is text: tabs, line ends and printable characters, with
// room for a stray byte or two; a Polyglot book is mostly binary keys.
bool is_text_file(const char* path, bool* readable) {
    std::FILE* file = std::fopen(path, "rb");
    *readable = file != nullptr;
    if (file == nullptr) return false;
    long text = 0, other = 0;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\t' || c == '\n' || c == '\r' || (c >= 32 && c < 127))
            ++text;
        else
            ++other;
    }
    std::fclose(file);
    return other * 20 <= text + other;
}

}  // namespace

void game_seed_books_independently() {
    seeded_independently = true;
    seed_random(independent_seed());
}

const char* game_open_book(const char* path) {
    game_close_book();
    bool readable = false;
    if (is_text_file(path, &readable)) {
        if (!book_open(path)) return "cannot open the book file";
        // Opening a text book seeds the choice from the clock; not here.
        if (seeded_independently) seed_random(independent_seed());
        book_kind = BookKind::TEXT;
        return nullptr;
    }
    if (!readable) return "the book file is missing or cannot be read";
    if (const char* why = polyglot_load(polyglot_book, path)) return why;
    book_kind = BookKind::POLYGLOT;
    return nullptr;
}

void game_close_book() {
    book_close();
    polyglot_book.entries.clear();
    polyglot_book.entries.shrink_to_fit();
    book_kind = BookKind::NONE;
}

BookKind game_book_kind() { return book_kind; }

Move polyglot_book_move() {
    if (book_kind != BookKind::POLYGLOT) return -1;
    return polyglot_probe(polyglot_book, random32());
}
