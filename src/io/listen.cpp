// Listening while the engine thinks: the lines that arrive during a search
// are read, and each front end's classifier says what each one means.
#include "io/listen.h"

#include "io/input.h"

Listened listen_for_lines(const LineClassifier& classifier, char* buffer, std::size_t size) {
    while (line_waiting()) {
        bool too_long = false;
        if (!read_new_line(buffer, size, &too_long)) return Listened::INPUT_ENDED;
        if (too_long) continue;
        const Heard heard = classifier.classify(classifier.context, buffer);
        if (heard == Heard::NOTHING) continue;
        if (heard == Heard::STOP) return Listened::STOP;
        if (!defer_line(buffer)) classifier.dropped(classifier.context, buffer);
        if (heard == Heard::DEFER_AND_STOP) return Listened::STOP;
    }
    return input_has_ended() ? Listened::INPUT_ENDED : Listened::GO_ON;
}
