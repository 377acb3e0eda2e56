#include "midi/midi_mapping.h"

#include <cstdlib>

namespace zembera {
namespace {

// Semitone steps within the octave that are white keys, from C.
bool isWhite(int note) {
    switch (note % 12) {
    case 1:
    case 3:
    case 6:
    case 8:
    case 10:
        return false;
    default:
        return true;
    }
}

} // namespace

int stringOfWhiteKey(int note) {
    if (note < kLowestMidiKey || note > kHighestMidiKey || !isWhite(note)) return 0;
    int whiteKeysBelow = 0;
    for (int n = kLowestMidiKey; n < note; ++n)
        if (isWhite(n)) ++whiteKeysBelow;
    return kStringCount - whiteKeysBelow;
}

std::optional<int> positionWithMark(const PitchTables& tables, int s, int mark) {
    if (s < 1 || s > kStringCount) return std::nullopt;
    std::optional<int> best;
    for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
        if (tables.mandalMark(s, m) != mark) continue;
        if (!best || std::abs(m) < std::abs(*best)) best = m;
    }
    return best;
}

std::optional<MidiKeyTarget> midiKeyTarget(int note, const PitchTables& tables,
                                           const InstrumentState& state) {
    if (note < kLowestMidiKey || note > kHighestMidiKey) return std::nullopt;
    if (const int s = stringOfWhiteKey(note); s != 0)
        return MidiKeyTarget{s, state.mandalPos[s], true};
    // A black key lies between two white keys of the range: the lowest and highest keys are white.
    const int below = stringOfWhiteKey(note - 1);
    if (const auto m = positionWithMark(tables, below, kSharpMark))
        return MidiKeyTarget{below, *m, false};
    const int above = stringOfWhiteKey(note + 1);
    if (const auto m = positionWithMark(tables, above, kFlatMark))
        return MidiKeyTarget{above, *m, false};
    return std::nullopt;
}

} // namespace zembera
