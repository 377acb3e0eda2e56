#pragma once
// What the tuning handlers touch in the window besides the instrument views: the degree-shift
// scroll bar with its text box, the untransposed/transposed switch, the picture of the mandal
// number columns and the keyboard focus. The window implements it; tests fake it.
//
// Thread: UI thread only.

#include <string>

#include "canvas/canvas_image.h"
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

    // mandalColumn, which holds the black and red mandal number columns. Only the drawing below
    // touches it; the transposition hands it the state it computed.
    virtual CanvasImage& numberColumns() = 0;
    virtual void refreshNumberColumns() = 0;
    // The red cell of string s from its kept target, and the emptied red column.
    virtual void drawTransposedCell(const InstrumentState& state, int s);
    virtual void clearTransposedColumn();

    // Gives the keyboard focus back to the instrument picture, so the keys go on playing.
    virtual void focusInstrument() = 0;
};

} // namespace zembera
