#pragma once
// Scale files in the Scala formats: the scale (.scl) and its keyboard mapping (.kbm).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zembera {

// Limits of the scales the instrument can be tuned to.
constexpr int kScaleDegreesMin = 5;
constexpr int kScaleDegreesMax = 160;
constexpr double kPeriodToleranceCents = 15.0; // how far the period may lie from an octave

struct Scale {
    std::string description;
    // Cents of step k above step 0, k = 0..n-1; steps[0] is the implied 1/1 (0 cents).
    std::vector<double> steps;
    // Cents of the last pitch line, the interval after which the steps repeat (about 1200).
    double period = 0;

    int size() const { return static_cast<int>(steps.size()); }
};

// Parses .scl text: lines starting with "!" are comments; the first other line is the
// description, the next the number of pitches, then one pitch per line (cents when it contains
// a ".", otherwise a ratio "n/d" or a whole number); text after the value is ignored. Throws
// FormatError naming `fileName`, the line and the reason when the text is not a scale the
// instrument can take: fewer than 5 or more than 160 degrees, a period that is not about an
// octave, pitches that do not rise, a broken number.
Scale parseScale(std::string_view text, const std::string& fileName);

// Cents of scale degree `degree` counted from step 0 across periods (negative degrees lie below).
double degreeCents(const Scale& scale, int degree);

// A keyboard mapping: which scale degree each MIDI key plays and the reference frequency.
struct KeyboardMapping {
    int size = 0; // 0: every key plays the next degree
    int firstKey = 0;
    int lastKey = 127;
    int middleKey = 60; // the key that plays degree 0
    int referenceKey = 69;
    double referenceHz = 440.0;
    int octaveDegree = 0;                 // degree of the formal octave
    std::vector<std::optional<int>> keys; // `size` entries; empty where a key is unmapped
};

// Parses .kbm text (comment lines start with "!"; the seven numbers of the header, then one
// line per mapped key, a degree or "x"; keys left out at the end are unmapped). Throws
// FormatError naming the file, the line and the reason.
KeyboardMapping parseKeyboardMapping(std::string_view text, const std::string& fileName);

// The scale degree key `key` plays, or nothing when the key is unmapped.
std::optional<int> degreeOfKey(const KeyboardMapping& mapping, int key);

} // namespace zembera
