#include "lv2/transposition.h"

#include "model/instrument_state.h"
#include "model/pitch_levels.h"

namespace zembera::lv2 {

Transposition::Transposition(const KanunSystem& system)
    : searched_(placedDegrees(system.tables, system.degreesPerOctave)),
      degreesPerOctave_(system.degreesPerOctave), naturals_(system.naturals),
      mandalMin_(system.mandalMin), mandalMax_(system.mandalMax), folds_(system.folds) {
    const DegreeTable& degrees = system.tables.degreeTable;
    for (int d = searched_.low; d <= searched_.high; ++d) {
        const DegreeRecord& r = degrees(d);
        places_[static_cast<std::size_t>(d - kDegreeLow)] = {
            Place{r.tel2, r.mandal2}, Place{r.tel1, r.mandal1}, Place{r.tel3, r.mandal3}};
    }
    // A position's degree: the first searched degree whose first place it is, failing that the
    // first whose second place, then third.
    for (int s = 1; s <= kStringCount; ++s) {
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            int found = kNone;
            for (const int which : {1, 0, 2}) {
                for (int d = searched_.low; d <= searched_.high && found == kNone; ++d) {
                    const Place p = places_[static_cast<std::size_t>(d - kDegreeLow)]
                                           [static_cast<std::size_t>(which)];
                    if (p.string == s && p.position == m) found = d;
                }
            }
            origin_[static_cast<std::size_t>(s)][static_cast<std::size_t>(m - kMandalLow)] = found;
        }
    }
}

bool Transposition::positions(const PerString<std::int16_t>& from, int ahenk, int shift,
                              PerString<std::int16_t>& out) const noexcept {
    if (!isPitchLevel(ahenk)) return false;
    const PitchLevel& level = kPitchLevels[static_cast<std::size_t>(ahenk)];
    const int k = level.stringShift;
    const int step = k < 0 ? 1 : -1;
    const int levelOffset = levelOffsetIn(level.degreeOffset, degreesPerOctave_, naturals_);
    const int total = degreeShiftIn(shift, degreesPerOctave_) + levelOffset;
    InstrumentState st;
    st.mandalMin = mandalMin_;
    st.mandalMax = mandalMax_;
    st.narrowStringsFold = folds_;
    st.transposedMandal.fill(0);
    for (int t = level.firstSource; t != level.lastSource + step; t += step) {
        const int m = from[static_cast<std::size_t>(t)];
        if (m < kMandalLow || m > kMandalHigh) continue;
        const int origin =
            origin_[static_cast<std::size_t>(t)][static_cast<std::size_t>(m - kMandalLow)];
        if (origin == kNone) continue; // the window names it and goes on
        const int d2 = origin + total;
        if (!searched_.contains(d2)) continue;
        const int t2 = t + k;
        bool placed = false;
        for (const Place p : places_[static_cast<std::size_t>(d2 - kDegreeLow)]) {
            if (p.string == t2 && p.position >= kMandalLow && p.position <= kMandalHigh) {
                st.transposedMandal[static_cast<std::size_t>(t2)] = p.position;
                keepTransposed(st, t2);
                placed = true;
                break;
            }
        }
        if (!placed) return false;
    }
    const auto copy = [&](int to, int source) {
        st.transposedMandal[static_cast<std::size_t>(to)] =
            st.transposedMandal[static_cast<std::size_t>(source)];
        keepTransposed(st, to);
    };
    if (k > 0)
        for (int s = 8; s < 8 + k; ++s)
            copy(s, s + 7);
    else if (k < 0)
        for (int s = kStringCount + 1 + k; s <= kStringCount; ++s)
            copy(s, s - 7);
    for (int t = 1; t <= 7; ++t) {
        st.transposedMandal[static_cast<std::size_t>(t)] =
            st.transposedMandal[static_cast<std::size_t>(t + 7)];
        keepTransposed(st, t);
    }
    out = st.transposedMandal;
    return true;
}

} // namespace zembera::lv2
