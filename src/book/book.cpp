// The opening book: a text file of openings, one per line, probed by weighted chance.
#include "book/book.h"

#include <cstring>
#include <ctime>

#include "board/make_move.h"
#include "board/move_text.h"
#include "board/zobrist.h"

std::FILE* book_file = nullptr;

bool book_open(const char* path) {
    // The clock seed comes last, after the fixed seed of the hash keys.
    seed_random(static_cast<std::uint32_t>(std::time(nullptr)));
    if (book_file != nullptr) std::fclose(book_file);
    book_file = std::fopen(path, "r");
    return book_file != nullptr;
}

void book_close() {
    if (book_file != nullptr) std::fclose(book_file);
    book_file = nullptr;
}

int line_starts_with(const char* prefix, const char* line) {
    for (int i = 0; prefix[i]; ++i)
        if (line[i] == '\0' || line[i] != prefix[i]) return 0;
    return 1;
}

Move book_probe() {
    if (book_file == nullptr || history_ply > BOOK_PLY_LIMIT) return -1;

    // The game so far, each move followed by one blank: at most 25 x 6 characters.
    char game_text[256];
    int length = 0;
    game_text[0] = '\0';
    for (int i = 0; i < history_ply; ++i) {
        const char* text = move_to_text(game_history[i].move);
        const int n = static_cast<int>(std::strlen(text));
        std::memcpy(game_text + length, text, n);
        game_text[length + n] = ' ';
        length += n + 1;
    }
    game_text[length] = '\0';

    Move candidate_moves[BOOK_MAX_CANDIDATES];
    int candidate_counts[BOOK_MAX_CANDIDATES];
    int candidates = 0;
    int candidate_total = 0;

    std::rewind(book_file);
    char line[256];
    while (std::fgets(line, sizeof line, book_file)) {
        if (!line_starts_with(game_text, line)) continue;
        const int index = parse_move_text(line + length);
        if (index == -1) continue;
        const Move move = move_list[index].move;
        // Only moves the engine may really play: it never announces an illegal one.
        if (!make_move(move)) continue;
        unmake_move();
        int c = 0;
        while (c < candidates && candidate_moves[c] != move) ++c;
        if (c == candidates) {
            if (candidates == BOOK_MAX_CANDIDATES) continue;  // no room: further moves are ignored
            candidate_moves[c] = move;
            candidate_counts[c] = 0;
            ++candidates;
        }
        ++candidate_counts[c];
        ++candidate_total;
    }
    if (candidate_total == 0) return -1;

    int r = next_random() % candidate_total;
    for (int c = 0; c < candidates; ++c) {
        r -= candidate_counts[c];
        if (r < 0) return candidate_moves[c];
    }
    return -1;
}
