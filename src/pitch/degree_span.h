#pragma once
// The degrees the searches by place or by cents walk through: the fixed spans of the bundled
// 79-degree table, or the degrees the strings of another pitch system really reach.

#include "pitch/pitch_table.h"

namespace zembera {

struct DegreeSpan {
    int low = 0;
    int high = 0;
    bool contains(int degree) const { return degree >= low && degree <= high; }
};

// The octave of the bundled table, whose spans below are fixed.
inline constexpr int kTableOctaveDegrees = 79;
inline constexpr DegreeSpan kTableNarrowStringDegrees{104, 196};
inline constexpr DegreeSpan kTableWrittenDegrees{-104, 196};

// Degrees searched for the place of a string (the transposition): -107..196 in the bundled
// table; in another system, the lowest to the highest degree with a place on a string.
DegreeSpan placedDegrees(const PitchTables& tables, int degreesPerOctave);

// Degrees searched by cents for the notes of strings 1..7: 104..196 in the bundled table; in
// another system, the lowest to the highest degree with a place on one of those strings.
DegreeSpan narrowStringDegrees(const PitchTables& tables, int degreesPerOctave);

// Degrees a written note may have and still be named: -104..196 in the bundled table; in
// another system, every degree of the table that has a name.
bool isNamedWrittenDegree(const PitchTables& tables, int degreesPerOctave, int degree);

} // namespace zembera
