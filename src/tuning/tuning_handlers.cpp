#include "tuning/tuning_handlers.h"

#include <string>

#include "model/pitch_levels.h"

namespace zembera {

void TuningHandlers::pitchLevelClick(int index) {
    if (!isPitchLevel(index)) return;
    p_.tuning.ahenkShift = static_cast<std::int16_t>(kPitchLevels[index].stringShift);
    p_.tuning.ahenkIndex = static_cast<std::int16_t>(index);
    // A new level always starts from degree shift 0, and transposes exactly once: moving the
    // scroll bar to 0 raises its change handler, which does it.
    if (p_.controls.degreeShift() == 0) {
        trans_çalgı(index, 0);
    } else {
        p_.controls.setDegreeShift(0);
    }
    p_.controls.focusInstrument();
}

void TuningHandlers::degreeShiftChange() {
    const int shift = p_.controls.degreeShift();
    p_.controls.setDegreeShiftText(std::to_string(shift));
    trans_çalgı(p_.tuning.ahenkIndex, shift);
}

void TuningHandlers::octaveDivisionClick(int /*index*/) {
    p_.controls.focusInstrument();
}

void TuningHandlers::settingSwitchClick(int index) {
    InstrumentState& st = p_.instrument;
    const PerString<std::int16_t> before = st.mandalPos;
    if (index == 1) {
        st.untransposedShown = true;
        for (int s = 1; s <= kStringCount; ++s)
            st.mandalPos[s] = p_.tuning.savedMandal[s];
    } else if (index == 2) {
        st.untransposedShown = false;
        for (int s = 1; s <= kStringCount; ++s) {
            p_.tuning.savedMandal[s] = st.mandalPos[s];
            st.mandalPos[s] = st.transposedMandal[s];
        }
    }
    // The black column, the close-up, the staff and the panel show the setting that sounds now,
    // not the one before; the panel's note name also follows the new degree shift.
    for (int s = 1; s <= kStringCount; ++s) {
        if (st.mandalPos[s] != before[s]) p_.view.arıza_yaz(s);
    }
    const int current = st.currentString;
    if (current >= 1 && current <= kStringCount) {
        if (st.mandalPos[current] != before[current]) p_.view.mandal_at();
        p_.view.porte();
        p_.view.etiket();
    }
    p_.controls.focusInstrument();
}

void TuningHandlers::tuningResetClick() {
    for (int s = 1; s <= kStringCount; ++s) {
        if (p_.tuning.tuningOffset[s] == 0) continue;
        p_.tuning.tuningOffset[s] = 0;
    }
    p_.view.etiket();
    p_.controls.focusInstrument();
}

void TuningHandlers::mandalResetClick() {
    InstrumentState& st = p_.instrument;
    for (int s = 1; s <= kStringCount; ++s) {
        if (st.mandalPos[s] == 0) continue;
        st.mandalPos[s] = 0;
        p_.view.arıza_yaz(s);
        if (s == st.currentString) {
            p_.view.mandal_at();
            p_.view.porte();
            p_.view.etiket();
        }
    }
    p_.controls.focusInstrument();
}

} // namespace zembera
