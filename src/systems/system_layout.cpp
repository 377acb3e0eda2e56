#include "systems/system_layout.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace zembera::systems {
namespace {

constexpr const char* kLetters[kNaturalsPerOctave] = {"C", "D", "E", "F", "G", "A", "B"};
constexpr double kEqualNaturals[kNaturalsPerOctave] = {0, 200, 400, 500, 700, 900, 1100};
constexpr double kTieCents = 0.001;

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

} // namespace

int naturalIndex(int s) {
    requireString(s);
    return kC4String - s;
}

const char* openNoteLetter(int s) {
    const int n = naturalIndex(s);
    return kLetters[n - floorDiv(n, kNaturalsPerOctave) * kNaturalsPerOctave];
}

int openNoteOctave(int s) {
    return 4 + floorDiv(naturalIndex(s), kNaturalsPerOctave);
}

SystemLayout::SystemLayout(const Scale& scale, int cStep, bool tableFolding) : scale_(scale) {
    const int n = scale_.size();
    cStep_ = ((cStep % n) + n) % n;
    cCents_ = degreeCents(scale_, cStep_);
    for (int i = 0; i < kNaturalsPerOctave; ++i) {
        int best = 0;
        for (int d = 1; d < n; ++d) {
            const double gap = std::abs(cents(d) - kEqualNaturals[i]);
            if (gap < std::abs(cents(best) - kEqualNaturals[i]) - kTieCents) best = d;
        }
        naturals_[static_cast<std::size_t>(i)] = best;
    }
    // Each string reaches the positions within about a whole tone of its open degree.
    folds_ = tableFolding;
    for (int s = 1; s <= kStringCount; ++s) {
        const int open = openDegree(s);
        const double openCents = cents(open);
        MandalRange r{0, 0};
        while (r.low > kMandalLow && openCents - cents(open + r.low - 1) <= kWholeToneReachCents)
            --r.low;
        while (r.high < kMandalHigh && cents(open + r.high + 1) - openCents <= kWholeToneReachCents)
            ++r.high;
        if (s > kNarrowStrings && (r.low != kMandalLow || r.high != kMandalHigh)) folds_ = false;
        ranges_[static_cast<std::size_t>(s)] = r;
    }
    for (int s = 1; s <= kNarrowStrings; ++s) {
        MandalRange& r = ranges_[static_cast<std::size_t>(s)];
        if (folds_) {
            r = {mandalMinOf(s), mandalMaxOf(s)};
        } else {
            r = {std::max(r.low, mandalMinOf(s)), std::min(r.high, mandalMaxOf(s))};
        }
    }
}

double SystemLayout::cents(int degree) const {
    return degreeCents(scale_, degree + cStep_) - cCents_;
}

int SystemLayout::openDegree(int s) const {
    const int n = naturalIndex(s);
    const int octave = floorDiv(n, kNaturalsPerOctave);
    return octave * degreesPerOctave() + naturals_[static_cast<std::size_t>(n - octave * 7)];
}

// Of the full-row offsets folding onto position m of string s (1..7, m in range): the whole
// sign (+-6, +-12) when one of them is, otherwise the one farthest from 0.
int SystemLayout::foldedOffset(int s, int m) const {
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
                               " is reached by no full-row offset");
    }
    return best;
}

int SystemLayout::markAt(int s, int m) const {
    requireString(s);
    requirePosition(m);
    const MandalRange r = mandalRange(s);
    const int at = m < r.low ? r.low : (m > r.high ? r.high : m);
    if (s <= kNarrowStrings && folds_) return foldedOffset(s, at);
    return at;
}

} // namespace zembera::systems
