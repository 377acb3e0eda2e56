#pragma once
// The kanun seen from above in the instrument picture (904 x 420 pixels, the drawing needs
// 807 x 415), and the close-up of the selected string's mandal row in the mandal strip.

#include "canvas/canvas_image.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"

namespace zembera {

// resim draws the whole instrument. Body, stepped edge of the mandal bank, the four coloured areas,
// ticks, skin panels, bridge, pins and finally the strings.
void resim(CanvasImage& canvas, const InstrumentState& state);

// The 26 strings: red for the marked residue (5, 12, 19, 26), white otherwise, the selected one
// black. Drawing over the old strings is what moves the black mark.
void tel_çiz(CanvasImage& canvas, const InstrumentState& state);

// The label column beside the pins: the mandal position of every string that is not at 0.
void diyagonal_yaz(CanvasImage& canvas, const InstrumentState& state);

// The label column emptied: 26 white boxes (the check box of the labels unticked).
void eraseLabels(CanvasImage& canvas);

// Where the window must put the mandal strip after mandal_at: its width changes with the
// string's range and its leftmost 100 pixels are kept out of view.
struct MandalStripPlacement {
    int width = 0;
    int left = 0;
};

// Clears the strip, sets its width and draws the mandal row of the selected string: upright
// boxes up to the sounding position, lifted levers above it. Requires currentString in 1..26.
MandalStripPlacement mandal_at(CanvasImage& canvas, const InstrumentState& state,
                               const PitchTables& tables);

} // namespace zembera
