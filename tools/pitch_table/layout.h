#pragma once
// Where the degrees of the 79-tone scale lie on the instrument: the open degree of each string,
// each string's mandal range, and the full-scale offset each mandal position sounds.

#include <array>

namespace zembera::pitchtool {

constexpr int kDegreesPerOctave = 79;
constexpr int kNaturalsPerOctave = 7;
// Degrees of the written naturals C D E F G A B within an octave: a whole tone is 13 degrees,
// a diatonic semitone 7.
constexpr std::array<int, kNaturalsPerOctave> kNaturalDegrees{0, 13, 26, 33, 46, 59, 72};
constexpr int kC4String = 17;     // open on degree 0
constexpr int kNarrowStrings = 7; // strings 1..7 have fewer, wider mandal steps

struct MandalRange {
    int low;
    int high;
};

// Integer division rounding toward minus infinity.
constexpr int floorDiv(int a, int b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Index of string s's open note counted in naturals from C4 (string 17: 0, string 1: 16).
int naturalIndex(int s);

// The degree string s sounds open: the natural one staff step above string s + 1.
int openDegree(int s);

// Written note of string s's open degree, e.g. "E6" for string 1.
const char* openNoteLetter(int s);
int openNoteOctave(int s);

MandalRange mandalRange(int s);

// The position string s (1..7) takes for a full-scale position v (-8..12): the rows the
// transposition uses to fold a target onto the shorter mandal rows.
int foldedPosition(int s, int v);

// The full-scale offset string s sounds at position m (-8..12), i.e. its degree above the open
// degree. Strings 8..26: m itself. Strings 1..7: of the full-scale offsets that fold onto m, the
// whole sign (+-6, +-12) when one of them is, otherwise the one farthest from 0. Beyond the
// string's range the offset of its nearest end: there are no more mandals to raise or lower.
int markAt(int s, int m);

// The degree string s sounds at position m.
inline int degreeAt(int s, int m) {
    return openDegree(s) + markAt(s, m);
}

} // namespace zembera::pitchtool
