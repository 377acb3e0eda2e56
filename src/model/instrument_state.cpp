#include "model/instrument_state.h"

#include <algorithm>

#include "pitch/pitch_table.h"

namespace zembera {

void setMandalRanges(InstrumentState& state) {
    for (int s = 1; s <= 26; ++s) {
        state.mandalMin[s] = static_cast<std::int16_t>(mandalMinOf(s));
        state.mandalMax[s] = static_cast<std::int16_t>(mandalMaxOf(s));
    }
}

void yenimandal(InstrumentState& state, int tel) {
    if (tel < 1 || tel > 7) return;
    const int v = state.transposedMandal[tel];
    if (v < -8 || v > 12 || v == -1 || v == 0) return;
    if (!state.narrowStringsFold) {
        state.transposedMandal[tel] =
            std::clamp(state.transposedMandal[tel], state.mandalMin[tel], state.mandalMax[tel]);
        return;
    }
    state.transposedMandal[tel] = static_cast<std::int16_t>(foldedPosition(tel, v));
}

void keepTransposed(InstrumentState& state, int s) {
    if (state.transposedMandal[s] == 0 || s < 1 || s > 7) return;
    state.fullRangeTransposed[s] = state.transposedMandal[s];
    yenimandal(state, s);
}

void clearTransposed(InstrumentState& state) {
    for (int s = 1; s <= 26; ++s)
        state.transposedMandal[s] = 0;
    // The full-scale targets go too: a string that the next transposition leaves at 0 is never
    // kept, and the pitch panel would name an old target for it.
    state.fullRangeTransposed.fill(0);
}

void setPlayStarts(InstrumentState& state) {
    state.playStart[0] = 640;
    for (int s = 1; s <= 26; ++s)
        state.playStart[s] = state.playStart[s - 1] - 17;
}

} // namespace zembera
