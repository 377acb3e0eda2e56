#pragma once
// The picture beside the strings: the key map of every string (number, label, key) and two
// number columns, the sounding mandal position (black) and the transposed one (red). Row s spans
// y = 2 + 15(s - 1) .. 18 + 15(s - 1).

#include <array>
#include <string>

#include "canvas/canvas_image.h"
#include "model/instrument_state.h"
#include "pitch/per_string.h"

namespace zembera {

constexpr int kKeyMapRowHeight = 15;
constexpr double kKeyLetterX = 36;

// Where a red two-digit position is printed: at scale 1, and on a canvas of a higher device
// scale, where it stands apart from the black number.
constexpr double kTwoDigitRedX = 65;
constexpr double kSharpTwoDigitRedX = 68;

inline double keyMapRowY(int s) {
    return 2 + kKeyMapRowHeight * (s - 1);
}

// Writes the 26 rows of the key map: the string number in blue at x 1, its label in red at x 20,
// its key in green bold at x 36.
void drawKeyMap(CanvasImage& canvas, const PerString<std::string>& mciAlias,
                const PerString<std::string>& keyNames);

// Repaints the key letter of string s: black while its key is held, green otherwise.
void drawKeyLetter(CanvasImage& canvas, int s, const std::string& keyName, bool held);

// Rewrites the black cell of string s; returns true when the diagonal labels of the instrument
// must be redrawn: whenever they are shown, so that a label whose mandal went back to 0 goes too.
bool arıza_yaz(CanvasImage& canvas, const InstrumentState& state, int s, bool labelsShown);

// Writes the red cell of string s when its transposed position is not 0: the position as kept
// (keepTransposed folds strings 1..7 first). The cell is not cleared: the transposition clears
// the whole column first.
void drawTransposedCell(CanvasImage& canvas, const InstrumentState& state, int s);

// Clears the red column.
void clearTransposedColumn(CanvasImage& canvas);

} // namespace zembera
