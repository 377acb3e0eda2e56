#pragma once
// Which string, at which mandal position, a key of a MIDI keyboard sounds. The kanun's strings
// are diatonic, so its 26 strings lie on the white keys A2 (note 45, string 26) to E6 (note 88,
// string 1). A white key sounds its string at the string's current position; a black key sounds
// the string of the white key below it at its sharp position (mark +6) or, when that string has
// none, the string of the white key above it at its flat position (mark -6).
//
// Thread: any (pure).

#include <optional>

#include "model/instrument_state.h"
#include "pitch/pitch_table.h"

namespace zembera {

constexpr int kLowestMidiKey = 45;  // A2, string 26
constexpr int kHighestMidiKey = 88; // E6, string 1
constexpr int kSharpMark = 6;
constexpr int kFlatMark = -6;

// The string of a white key in kLowestMidiKey..kHighestMidiKey; 0 for a black key or one outside.
int stringOfWhiteKey(int note);

// The position of string s (1..26) within its mandal range whose mark is `mark`, the one nearest
// the open position when several are; nullopt when none is.
std::optional<int> positionWithMark(const PitchTables& tables, int s, int mark);

struct MidiKeyTarget {
    int string = 0;
    int position = 0;
    bool currentPosition = false; // a white key: the string as its letter key sounds it
    bool operator==(const MidiKeyTarget&) const = default;
};

// What key `note` sounds; nullopt outside the range and for a black key neither of whose
// neighbouring strings has the needed position.
std::optional<MidiKeyTarget> midiKeyTarget(int note, const PitchTables& tables,
                                           const InstrumentState& state);

} // namespace zembera
