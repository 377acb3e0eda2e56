#pragma once
// The transposition's two steps for one string as the column test drives them: the target kept in
// the state first, then the red cell drawn from it; clearing empties the state and the column.

#include "model/instrument_state.h"
#include "notation/mandal_column.h"

namespace zembera {

inline void göçürümYaz(CanvasImage& canvas, InstrumentState& state, int s) {
    keepTransposed(state, s);
    drawTransposedCell(canvas, state, s);
}

inline void göçürümTemizle(CanvasImage& canvas, InstrumentState& state) {
    clearTransposed(state);
    clearTransposedColumn(canvas);
}

} // namespace zembera
