#pragma once
// What the tuning handlers touch in the window besides the instrument views: the degree-shift
// scroll bar with its text box, the untransposed/transposed switch, the picture of the mandal
// number columns and the keyboard focus. The window implements it; tests fake it.
//
// Thread: UI thread only.

#include <string>

#include "canvas/canvas_image.h"

namespace zembera {

class TuningView {
  public:
    virtual ~TuningView() = default;

    // HScroll1: the degree shift, -8..12.
    virtual int HScroll1Value() const = 0;
    // Moves HScroll1. When the value changes, HScroll1_Change runs before this returns; setting
    // the value it already has runs nothing.
    virtual void setHScroll1Value(int value) = 0;
    virtual void setText3(const std::string& text) = 0;

    // Option5: index 1 the untransposed setting, 2 the transposed one.
    virtual bool option5Selected(int index) const = 0;
    // Selects an Option5 button. When the selection changes, Option5_Click runs before this
    // returns; selecting the button already selected runs nothing.
    virtual void selectOption5(int index) = 0;

    // Picture10, which holds the black and red mandal number columns.
    virtual CanvasImage& numberColumns() = 0;
    virtual void refreshNumberColumns() = 0;

    // Gives the keyboard focus back to the instrument picture, so the keys go on playing.
    virtual void focusInstrument() = 0;
};

} // namespace zembera
