#include "instrument/instrument_state.h"

namespace zembera {

void setMandalRanges(InstrumentState& state) {
    for (int s = 1; s <= 26; ++s) {
        state.mandalMin[s] = s <= 4 ? -5 : s <= 7 ? -7 : -8;
        state.mandalMax[s] = s == 1 ? 6 : s <= 4 ? 8 : s <= 7 ? 10 : 12;
    }
}

void setPlayStarts(InstrumentState& state) {
    state.playStart[0] = 640;
    for (int s = 1; s <= 26; ++s)
        state.playStart[s] = state.playStart[s - 1] - 17;
}

} // namespace zembera
