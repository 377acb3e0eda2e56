#pragma once
// The eight pitch levels (ahenk) of the instrument, by the index of their option button.

#include <array>
#include <cstdint>

namespace zembera {

struct PitchLevel {
    const char* caption;
    int degreeOffset; // in degrees of the pitch table
    int stringShift;  // strings a note moves; positive towards the lower, higher-numbered strings
    int firstSource;  // the source strings of the transposition, walked from first to last
    int lastSource;
};

constexpr int kPitchLevelCount = 8;
constexpr int kReferenceLevel = 5; // SÜPÜRDE: the level of the pitch table itself

// Index 1..8; element 0 is unused.
inline constexpr std::array<PitchLevel, kPitchLevelCount + 1> kPitchLevels{{
    {"", 0, 0, 0, 0},
    {"ŞAH", -46, 4, 22, 8},
    {"MANSUR", -33, 3, 23, 8},
    {"KIZ NEYİ", -20, 2, 24, 8},
    {"MÜSTAHSEN", -7, 1, 25, 8},
    {"SÜPÜRDE", 0, 0, 26, 8},
    {"BOLAHENK NIS.", 13, -1, 9, 26},
    {"DAVUD NIS.", 26, -2, 10, 26},
    {"ŞAH NISFİYE", 33, -3, 11, 26},
}};

// The offsets above lie between the written naturals of the 79-degree table. In another pitch
// system a level keeps its interval: the same naturals, counted in that system's degrees.
inline constexpr std::array<int, 7> kTableNaturalDegrees{0, 13, 26, 33, 46, 59, 72};
constexpr int kTableDegreesPerOctave = 79;

inline int levelOffsetIn(int tableOffset, int degreesPerOctave,
                         const std::array<std::int16_t, 7>& naturals) {
    const int octave =
        tableOffset >= 0 ? tableOffset / kTableDegreesPerOctave
                         : -((-tableOffset + kTableDegreesPerOctave - 1) / kTableDegreesPerOctave);
    const int within = tableOffset - octave * kTableDegreesPerOctave;
    for (std::size_t i = 0; i < naturals.size(); ++i) {
        if (kTableNaturalDegrees[i] == within) return octave * degreesPerOctave + naturals[i];
    }
    // Not on a natural: the same share of the octave.
    return (tableOffset * degreesPerOctave + (tableOffset < 0 ? -39 : 39)) / kTableDegreesPerOctave;
}

// A degree shift of the scroll bar, counted in table degrees, as degrees of another system: the
// same share of the octave, rounded.
inline int degreeShiftIn(int tableShift, int degreesPerOctave) {
    if (degreesPerOctave == kTableDegreesPerOctave) return tableShift;
    const int scaled = tableShift * degreesPerOctave;
    return (scaled + (scaled < 0 ? -39 : 39)) / kTableDegreesPerOctave;
}

inline bool isPitchLevel(int index) {
    return index >= 1 && index <= kPitchLevelCount;
}

// The transposition walks from firstSource to lastSource, downwards unless the shift is negative,
// and every source string and its target (source + shift) must be one of the strings 8..26.
constexpr bool walksStayOnStrings() {
    for (int i = 1; i <= kPitchLevelCount; ++i) {
        const PitchLevel& l = kPitchLevels[i];
        const int step = l.stringShift < 0 ? 1 : -1;
        if ((l.lastSource - l.firstSource) * step < 0) return false;
        for (int t = l.firstSource; t != l.lastSource + step; t += step) {
            if (t < 8 || t > 26 || t + l.stringShift < 8 || t + l.stringShift > 26) return false;
        }
    }
    return true;
}
static_assert(walksStayOnStrings());

} // namespace zembera
