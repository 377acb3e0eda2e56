// trans_çalgı: the transposition (göçürme) of the whole instrument to another pitch level and
// degree shift, from the untransposed mandal setting.

#include <optional>

#include "model/pitch_levels.h"
#include "pitch/degree_span.h"
#include "tuning/transposition_messages.h"
#include "tuning/tuning_handlers.h"

namespace zembera {
namespace {

struct Place {
    int tel;
    int mandal;
};

Place place1(const DegreeRecord& r) {
    return {r.tel1, r.mandal1};
}
Place place2(const DegreeRecord& r) {
    return {r.tel2, r.mandal2};
}
Place place3(const DegreeRecord& r) {
    return {r.tel3, r.mandal3};
}

// The first searched degree whose first place is (tel, mandal); failing that, the same search
// over the second places, then over the third.
std::optional<int> originDegree(const DegreeTable& table, DegreeSpan searched, int tel,
                                int mandal) {
    for (Place (*placeOf)(const DegreeRecord&) : {place1, place2, place3}) {
        for (int d = searched.low; d <= searched.high; ++d) {
            const Place p = placeOf(table(d));
            if (p.tel == tel && p.mandal == mandal) return d;
        }
    }
    return std::nullopt;
}

// The position at which the record's degree sounds on string t2, trying the second place first.
// A place whose position lies off the mandal scale is not one a string can take.
std::optional<int> positionOn(const DegreeRecord& r, int t2) {
    for (const Place p : {place2(r), place1(r), place3(r)}) {
        if (p.tel == t2 && p.mandal >= kMandalLow && p.mandal <= kMandalHigh) return p.mandal;
    }
    return std::nullopt;
}

} // namespace

void TuningHandlers::trans_çalgı(int ahenk, int dereceFarkı) {
    if (!isPitchLevel(ahenk)) return;
    InstrumentState& st = p_.instrument;

    // The walk always starts from the untransposed setting.
    if (p_.controls.settingSwitchSelected(2)) p_.controls.selectSetting(1);
    clearTransposed(st);
    p_.controls.clearTransposedColumn();

    const PitchLevel& level = kPitchLevels[ahenk];
    const int k = level.stringShift;
    const int step = k < 0 ? 1 : -1;
    // Counted in the degrees of the pitch system in use (the table's own for Yarman 79).
    const int levelOffset =
        levelOffsetIn(level.degreeOffset, p_.tuning.degreesPerOctave, p_.tuning.naturalDegrees);
    const int shift = degreeShiftIn(dereceFarkı, p_.tuning.degreesPerOctave);
    const int total = shift + levelOffset;
    p_.tuning.totalDegreeShift = static_cast<std::int16_t>(total);

    for (int t = level.firstSource; t != level.lastSource + step; t += step) {
        if (!transposeString(t, levelOffset, k, shift, total)) return;
    }

    // The strings of 8..26 the walk did not reach take the position of the string an octave away.
    if (k > 0) {
        for (int s = 8; s < 8 + k; ++s)
            copyTransposed(s, s + 7);
    } else if (k < 0) {
        for (int s = kStringCount + 1 + k; s <= kStringCount; ++s)
            copyTransposed(s, s - 7);
    }
    // Strings 1..7 follow the string an octave below, folded onto their shorter mandal rows.
    // Their full-scale target is kept even when it is 0, which keepTransposed itself skips: the
    // pitch panel names their notes from it and must not see the target of an earlier run.
    for (int t = 1; t <= 7; ++t) {
        st.transposedMandal[t] = st.transposedMandal[t + 7];
        st.fullRangeTransposed[t] = st.transposedMandal[t];
        keepTransposed(st, t);
        p_.controls.drawTransposedCell(st, t);
    }

    // Nothing moves only at the table's own level with no shift: then nothing transposed stays.
    if (total != 0 || k != 0) {
        p_.controls.selectSetting(2);
    } else {
        p_.controls.selectSetting(1);
        clearTransposed(st);
        p_.controls.clearTransposedColumn();
    }
    p_.controls.refreshNumberColumns();
}

bool TuningHandlers::transposeString(int t, int levelOffset, int stringShift, int dereceFarkı,
                                     int total) {
    InstrumentState& st = p_.instrument;
    // The degrees of the pitch system in use: far more than the table's in a finer system.
    const DegreeSpan searched = placedDegrees(p_.tables, p_.tuning.degreesPerOctave);
    const std::optional<int> origin =
        originDegree(p_.tables.degreeTable, searched, t, st.mandalPos[t]);
    if (!origin) {
        p_.controls.refreshNumberColumns();
        p_.messages.show(originNotFoundMessage(t, st.mandalPos[t]));
        return true;
    }
    const int d2 = *origin + total;
    const int t2 = t + stringShift;
    if (!searched.contains(d2)) {
        p_.controls.refreshNumberColumns();
        p_.messages.show(
            targetOutsideTableMessage({t, *origin, levelOffset, dereceFarkı, total, t2, d2}));
        return true;
    }
    const DegreeRecord& target = p_.tables.degreeTable(d2);
    const std::optional<int> position = positionOn(target, t2);
    if (!position) {
        p_.controls.refreshNumberColumns();
        p_.messages.show(
            noPlaceOnTargetMessage({t, st.mandalPos[t], t2, target.tel1, target.tel2}));
        // Cancelled: the untransposed setting stays. From another degree shift the scroll bar's
        // change handler reruns the transposition with shift 0 before this returns.
        p_.controls.setDegreeShift(0);
        return false;
    }
    st.transposedMandal[t2] = static_cast<std::int16_t>(*position);
    keepTransposed(st, t2);
    p_.controls.drawTransposedCell(st, t2);
    return true;
}

void TuningHandlers::copyTransposed(int to, int from) {
    InstrumentState& st = p_.instrument;
    st.transposedMandal[to] = st.transposedMandal[from];
    keepTransposed(st, to);
    p_.controls.drawTransposedCell(st, to);
}

} // namespace zembera
