#include "pitch_table/layout.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "pitch/pitch_table.h"

namespace zembera::pitchtool {
namespace {

constexpr const char* kLetters[kNaturalsPerOctave] = {"C", "D", "E", "F", "G", "A", "B"};

void requireString(int s) {
    if (s < 1 || s > kStringCount) throw std::out_of_range("no string " + std::to_string(s));
}

void requirePosition(int m) {
    if (m < kMandalLow || m > kMandalHigh) {
        throw std::out_of_range("no mandal position " + std::to_string(m));
    }
}

bool isWholeSign(int v) {
    return std::abs(v) == 6 || std::abs(v) == 12;
}

// Of the full-scale offsets folding onto position m of string s (1..7, m in range).
int foldedOffset(int s, int m) {
    bool found = false;
    int best = 0;
    for (int v = kMandalLow; v <= kMandalHigh; ++v) {
        if (foldedPosition(s, v) != m) continue;
        const bool better = !found || (isWholeSign(v) && !isWholeSign(best)) ||
                            (isWholeSign(v) == isWholeSign(best) && std::abs(v) > std::abs(best));
        if (better) best = v;
        found = true;
    }
    if (!found) {
        throw std::logic_error("position " + std::to_string(m) + " of string " + std::to_string(s) +
                               " is reached by no full-scale offset");
    }
    return best;
}

} // namespace

int naturalIndex(int s) {
    requireString(s);
    return kC4String - s;
}

int openDegree(int s) {
    const int n = naturalIndex(s);
    const int octave = floorDiv(n, kNaturalsPerOctave);
    return octave * kDegreesPerOctave + kNaturalDegrees[n - octave * kNaturalsPerOctave];
}

const char* openNoteLetter(int s) {
    const int n = naturalIndex(s);
    return kLetters[n - floorDiv(n, kNaturalsPerOctave) * kNaturalsPerOctave];
}

int openNoteOctave(int s) {
    return 4 + floorDiv(naturalIndex(s), kNaturalsPerOctave);
}

MandalRange mandalRange(int s) {
    requireString(s);
    return {zembera::mandalMinOf(s), zembera::mandalMaxOf(s)};
}

int foldedPosition(int s, int v) {
    if (s < 1 || s > kNarrowStrings)
        throw std::out_of_range("no folded row for string " + std::to_string(s));
    requirePosition(v);
    return zembera::foldedPosition(s, v);
}

int markAt(int s, int m) {
    requireString(s);
    requirePosition(m);
    if (s > kNarrowStrings) return m;
    const MandalRange r = mandalRange(s);
    return foldedOffset(s, m < r.low ? r.low : (m > r.high ? r.high : m));
}

} // namespace zembera::pitchtool
