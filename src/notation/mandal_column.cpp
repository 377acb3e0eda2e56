#include "notation/mandal_column.h"

#include "canvas/colors.h"

namespace zembera {
namespace {

using namespace colors;

std::string twoDigits(int s) {
    return (s < 10 ? "0" : "") + std::to_string(s);
}

} // namespace

void drawKeyMap(CanvasImage& canvas, const PerString<std::string>& mciAlias,
                const PerString<std::string>& keyNames) {
    double y = 2;
    for (int s = 1; s <= 26; ++s) {
        canvas.setCurrentY(y);
        canvas.setCurrentX(1);
        canvas.setForeColor(kBlue);
        canvas.print(twoDigits(s));
        canvas.setCurrentX(20);
        canvas.setForeColor(kRed);
        canvas.print(mciAlias[s]);
        canvas.setCurrentX(kKeyLetterX);
        canvas.setForeColor(kGreen);
        canvas.setBold(true);
        canvas.print(keyNames[s]);
        canvas.setBold(false);
        y += kKeyMapRowHeight;
    }
}

void drawKeyLetter(CanvasImage& canvas, int s, const std::string& keyName, bool held) {
    canvas.setBold(true);
    canvas.setForeColor(held ? kBlack : kGreen);
    canvas.setCurrentY(keyMapRowY(s));
    canvas.setCurrentX(kKeyLetterX);
    canvas.print(keyName, true);
    canvas.setBold(false);
}

bool arıza_yaz(CanvasImage& canvas, const InstrumentState& state, int s, bool labelsShown) {
    const double top = keyMapRowY(s);
    canvas.filledBox(52, top, 66, top + 16, kWhite);
    const int pos = state.mandalPos[s];
    if (pos == 0) return labelsShown;
    canvas.setForeColor(kBlack);
    canvas.setBold(true);
    canvas.setCurrentX(pos >= 10 ? 48 : 55);
    canvas.setCurrentY(top);
    canvas.printNumber(pos);
    canvas.setBold(false);
    return labelsShown;
}

void drawTransposedCell(CanvasImage& canvas, const InstrumentState& state, int s) {
    if (state.transposedMandal[s] == 0) return;
    const int value = state.transposedMandal[s];
    canvas.setForeColor(kRed);
    canvas.setBold(true);
    // Two-digit numbers of both columns stand close (1010); at scale 1 as they always did, but
    // drawn sharp at a higher device resolution they read as one number: the red one moves right.
    const double twoDigitX = canvas.deviceScale() > 1 ? kSharpTwoDigitRedX : kTwoDigitRedX;
    canvas.setCurrentX(value >= 10 ? twoDigitX : 72);
    canvas.setCurrentY(keyMapRowY(s));
    canvas.printNumber(value);
    canvas.setBold(false);
}

void clearTransposedColumn(CanvasImage& canvas) {
    for (int s = 1; s <= 26; ++s) {
        const double top = keyMapRowY(s);
        canvas.filledBox(69, top, 87, top + 16, kWhite);
    }
}

} // namespace zembera
