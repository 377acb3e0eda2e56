#include "instrument/instrument_state.h"

#include "pitch/pitch_table.h"

namespace zembera {

void setMandalRanges(InstrumentState& state) {
    for (int s = 1; s <= 26; ++s) {
        state.mandalMin[s] = static_cast<std::int16_t>(mandalMinOf(s));
        state.mandalMax[s] = static_cast<std::int16_t>(mandalMaxOf(s));
    }
}

namespace {

// Rows of strings 1..7 over the targets -8..12.
constexpr std::int16_t kFoldedRows[7][21] = {
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6, 6, 6},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-5, -4, -4, -3, -3, -2, -1, -1, 0, 1, 2, 2, 3, 4, 5, 5, 6, 7, 7, 8, 8},
    {-5, -4, -4, -3, -2, -2, -1, -1, 0, 1, 1, 2, 3, 4, 4, 5, 6, 6, 7, 7, 8},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 8, 9, 10},
    {-7, -6, -5, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 4, 5, 6, 7, 8, 9, 9, 10},
    {-7, -6, -5, -4, -3, -3, -2, -1, 0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 8, 9, 10},
};

} // namespace

void yenimandal(InstrumentState& state, int tel) {
    if (tel < 1 || tel > 7) return;
    const int v = state.transposedMandal[tel];
    if (v < -8 || v > 12 || v == -1 || v == 0) return;
    state.transposedMandal[tel] = kFoldedRows[tel - 1][v + 8];
}

void setPlayStarts(InstrumentState& state) {
    state.playStart[0] = 640;
    for (int s = 1; s <= 26; ++s)
        state.playStart[s] = state.playStart[s - 1] - 17;
}

} // namespace zembera
