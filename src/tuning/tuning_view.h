#pragma once
// What the tuning handlers touch in the window besides the instrument views: the degree-shift
// scroll bar with its text box, the untransposed/transposed switch, the red column of transposed
// positions and the keyboard focus. The window implements it and draws; the handlers only tell it
// what to show. Tests fake it.
//
// Thread: UI thread only.

#include <string>

#include "model/instrument_state.h"

namespace zembera {

class TuningView {
  public:
    virtual ~TuningView() = default;

    // The degree-shift bar, -8..12.
    virtual int degreeShift() const = 0;
    // Moves the degree-shift bar. When the value changes, degreeShiftChange runs before this
    // returns; setting the value it already has runs nothing.
    virtual void setDegreeShift(int value) = 0;
    virtual void setDegreeShiftText(const std::string& text) = 0;

    // The setting switch: index 1 the untransposed setting, 2 the transposed one.
    virtual bool settingSwitchSelected(int index) const = 0;
    // Selects a button of the setting switch. When the selection changes, settingSwitchClick runs
    // before this returns; selecting the button already selected runs nothing.
    virtual void selectSetting(int index) = 0;

    // The red column of the mandal numbers: the cell of string s from the target the
    // transposition kept in `state` (nothing for 0), and the column emptied. Neither changes the
    // state. The drawing shows after refreshNumberColumns.
    virtual void drawTransposedCell(const InstrumentState& state, int s) = 0;
    virtual void clearTransposedColumn() = 0;
    virtual void refreshNumberColumns() = 0;

    // Gives the keyboard focus back to the instrument picture, so the keys go on playing.
    virtual void focusInstrument() = 0;
};

} // namespace zembera
