#pragma once
// Which string, mandal slot or tuning step a mouse position hits. Coordinates are those of the
// picture receiving the event and may carry fractions.

#include "model/instrument_state.h"

#include <optional>

namespace zembera {

// Rows of the instrument picture: 21 <= y <= 409, string 1 at the top, 15 pixels a row.
// Returns 0 outside the rows.
int stringAtY(double y);

// The string a left click plucks: its row, when x lies strictly between the string's playStart
// and 730 (between the mandal bank and the bridge). 0 when the click plucks nothing.
int pluckedString(double x, double y, const InstrumentState& state);

// The mandal position of the selected string whose slot in the mandal strip contains x:
// 151 + 16 i < x < 167 + 16 i for slot i = position - mandalMin. y is not looked at. Empty when
// no slot is hit or no string is selected.
std::optional<int> mandalSlotAt(double x, const InstrumentState& state);

// The change of fine tuning (cents) of a click in the tuning picture: + on the left half,
// - on the right; 2 in the upper part, 0.25 in the lower.
float tuningStep(double x, double y);

} // namespace zembera
