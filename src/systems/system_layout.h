#pragma once
// Where the degrees of a pitch system lie on the instrument: the open degree of each string,
// each string's mandal range, and the degree offset each mandal position sounds.

#include <array>

#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"

namespace zembera::systems {

constexpr int kNaturalsPerOctave = 7;
constexpr int kC4String = 17; // open on degree 0
// A mandal position reaches no farther from the open string than about a whole tone.
constexpr double kWholeToneReachCents = 210.0;

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
// Written note of string s's open degree, e.g. "E6" for string 1.
const char* openNoteLetter(int s);
int openNoteOctave(int s);

// The layout of one scale on the instrument. Degree 0 is C4; degree d sounds the scale step
// cStep + d above the scale's 1/1, moved down so that C4 is 0 cents.
class SystemLayout {
  public:
    // `cStep` is the step of the scale that is the written C (0 when the scale starts on C).
    // `tableFolding`: strings 1..7 fold the full row as on the bundled 79-tone table (the
    // Yarman 79 and 80 systems); otherwise each of their positions is one degree, as on the
    // other strings.
    explicit SystemLayout(const Scale& scale, int cStep = 0, bool tableFolding = false);

    int degreesPerOctave() const { return scale_.size(); }
    int cStep() const { return cStep_; }
    double cents(int degree) const;
    // Degree (0..n-1) of the written natural i (C = 0 .. B = 6): the step nearest to the
    // equal-tempered natural, the lower one when two lie equally near.
    int naturalDegree(int i) const { return naturals_[static_cast<std::size_t>(i)]; }
    // Strings 1..7 fold the full row of offsets onto their shorter mandal rows, as on the
    // 79-tone table: asked for, and a whole tone spans the full row of positions on every other
    // string.
    bool folds() const { return folds_; }

    int openDegree(int s) const;
    MandalRange mandalRange(int s) const { return ranges_.at(static_cast<std::size_t>(s)); }
    // The degree offset above the open degree string s sounds at position m (-8..12). Beyond
    // the string's range the offset of its nearest end.
    int markAt(int s, int m) const;
    int degreeAt(int s, int m) const { return openDegree(s) + markAt(s, m); }

  private:
    int foldedOffset(int s, int m) const;
    Scale scale_;
    int cStep_;
    double cCents_;
    std::array<int, kNaturalsPerOctave> naturals_{};
    PerString<MandalRange> ranges_{};
    bool folds_ = false;
};

} // namespace zembera::systems
