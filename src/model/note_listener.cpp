#include "model/note_listener.h"

#include <algorithm>

namespace zembera {

double soundingCents(const PitchTables& tables, const PerString<float>& tuningOffset, int s,
                     int m) {
    if (s < 1 || s > kStringCount || m < kMandalLow || m > kMandalHigh) return 0;
    return tables.centTable(s, m) + tuningOffset[static_cast<std::size_t>(s)];
}

void NoteListeners::add(NoteListener& listener) {
    if (std::find(listeners_.begin(), listeners_.end(), &listener) == listeners_.end())
        listeners_.push_back(&listener);
}

void NoteListeners::remove(NoteListener& listener) {
    std::erase(listeners_, &listener);
}

void NoteListeners::noteStarted(const StartedNote& note) {
    for (NoteListener* listener : listeners_)
        listener->noteStarted(note);
}

void NoteListeners::noteEnded(Voice voice) {
    for (NoteListener* listener : listeners_)
        listener->noteEnded(voice);
}

} // namespace zembera
