// Listening while the engine thinks: the lines that arrive during a search
// are read, and each front end's classifier says what each one means.
#pragma once
#include <cstddef>

// What a line read during a search asks for.
enum class Heard {
    NOTHING,         // answered in place, or nothing to do: search on
    DEFER,           // carried out after the search: search on
    DEFER_AND_STOP,  // carried out after the search, which must end now
    STOP,            // the search must end now; the line is done with
};

// What the waiting lines came to.
enum class Listened {
    GO_ON,        // search on
    STOP,         // a line ended the search
    INPUT_ENDED,  // every line has been read and no more will come
};

// A front end's reading of lines during a search. `dropped` is told of a
// line that should have waited but found no room to wait in.
struct LineClassifier {
    Heard (*classify)(void* context, const char* line);
    void (*dropped)(void* context, const char* line);
    void* context;
};

// Reads every line already waiting (never blocks) into `buffer` and acts on
// its class. A line too long for the buffer is passed over.
Listened listen_for_lines(const LineClassifier& classifier, char* buffer, std::size_t size);
