#include "notation/instrument_drawing.h"

#include <cstdlib>
#include <string>

#include "canvas/colors.h"

namespace zembera {
namespace {

using namespace colors;

constexpr QRgb kWood = qRgb(252, 179, 100);
constexpr QRgb kSkin = qRgb(230, 220, 180);
constexpr QRgb kGold = qRgb(238, 201, 0);
constexpr QRgb kLightGrey = qRgb(224, 224, 224);
constexpr double kStripFontSize = 7;

// Every per-string quantity of the drawing steps 19 pixels left and 15 down from one string to
// the next.
constexpr int stepX(int s) {
    return -19 * (s - 1);
}
constexpr int stepY(int s) {
    return 15 * (s - 1);
}

// Top-left corner of the label box of string s; the box is 21 x 16.
constexpr int labelX(int s) {
    return 489 + stepX(s);
}
constexpr int labelY(int s) {
    return 18 + stepY(s);
}
constexpr double kLabelFontSize = 12;
constexpr double kLabelBoxWidth = 22; // pixels x .. x + 21

// The label of a position as the toolkit prints it, kept inside its box so that erasing the box
// erases all of it: a two-digit number too wide with its leading blank loses the blank, and a
// face wider still is set smaller.
void printLabel(CanvasImage& canvas, int position) {
    std::string label = (position < 0 ? "" : " ") + std::to_string(position);
    if (position >= 0 && canvas.textWidth(label) > kLabelBoxWidth) label = std::to_string(position);
    const double width = canvas.textWidth(label);
    if (width > kLabelBoxWidth) canvas.setFontSize(kLabelFontSize * kLabelBoxWidth / width);
    canvas.print(label + " ", true);
    canvas.setFontSize(kLabelFontSize);
}

void drawBody(CanvasImage& canvas) {
    canvas.setLineWidth(2);
    canvas.setForeColor(kBlack);
    canvas.line(30, 414, 806, 414);
    canvas.line(806, 414, 806, 20);
    canvas.line(806, 20, 530, 20);
    canvas.line(530, 20, 30, 414);
    // Two oblique lines parallel to the left edge.
    canvas.line(592, 20, 92, 414);
    canvas.line(628, 20, 206, 414);
}

// One step per string down the mandal bank, then a short stroke that closes the edge against
// the bottom line so the areas on both sides of it stay apart.
void drawSteppedEdge(CanvasImage& canvas) {
    int x = 620;
    int y = 20;
    for (int s = 1; s <= 26; ++s) {
        canvas.line(x, y, x - 19, y);
        canvas.lineTo(x - 19, y + 15);
        x -= 19;
        y += 15;
    }
    canvas.line(125, 411, 126, 413);
}

void fillAreas(CanvasImage& canvas) {
    canvas.setFillStyle(FillStyle::Solid);
    struct Area {
        int x, y;
        QRgb color;
    };
    const Area areas[] = {
        {320, 200, qRgb(220, 220, 220)}, // between the left edge and the first oblique line
        {365, 204, qRgb(130, 30, 30)},   // between the first oblique line and the stepped edge
        {385, 210, qRgb(180, 120, 120)}, // between the stepped edge and the second oblique line
        {515, 210, kWood},               // the soundboard
    };
    for (const Area& area : areas) {
        canvas.setFillColor(area.color);
        canvas.floodFill(area.x, area.y);
    }
}

void drawMandalTicks(CanvasImage& canvas) {
    canvas.setLineWidth(2);
    for (int s = 1; s <= 26; ++s) {
        const int x = 602 + stepX(s);
        const int y = 24 + stepY(s);
        for (int k = 1; k <= s + 1; ++k)
            canvas.line(x + 3 * k, y, x + 3 * k, y + 9, kBlack);
    }
}

void drawSkinPanels(CanvasImage& canvas) {
    canvas.setLineWidth(1);
    canvas.line(790, 414, 790, 20);
    canvas.line(682, 414, 682, 20);
    canvas.line(682, 215, 790, 215);

    struct Panel {
        int top, bottom, seedY;
    };
    const Panel panels[] = {{24, 115, 70}, {123, 212, 165}, {220, 309, 260}, {317, 408, 360}};
    canvas.setLineWidth(2);
    for (const Panel& p : panels)
        canvas.box(690, p.top, 783, p.bottom);
    canvas.setFillColor(kSkin);
    for (const Panel& p : panels)
        canvas.floodFill(710, p.seedY);

    canvas.setFillStyle(FillStyle::Transparent);
    canvas.setLineWidth(1);
    for (const Panel& p : panels) {
        canvas.line(690, p.top, 783, p.bottom);
        canvas.line(690, p.bottom, 783, p.top);
    }
}

void drawBridge(CanvasImage& canvas) {
    canvas.filledBox(735, 414, 736, 20, kBlue);
    for (const int top : {60, 158, 254, 352})
        canvas.filledBox(732, top, 739, top + 20, kBlue);
}

void drawPins(CanvasImage& canvas) {
    canvas.setForeColor(kBlue);
    canvas.setLineWidth(1);
    for (int s = 1; s <= 26; ++s) {
        for (int pin = 0; pin < 3; ++pin)
            canvas.circle(530 + stepX(s) + 14 * pin, 30 + stepY(s) + 2 * pin, 3);
    }
}

// Colour of a mandal in the close-up. Later rules override earlier ones.
QRgb mandalColor(int s, int k, bool lowest, const PitchTables& tables) {
    QRgb color = kRed;
    if (lowest) color = kBlack;
    if (k == 0) color = kBlue;
    if (s == 26 && k > 8) color = kLightGrey;
    if (tables.mandalMark(s, k) > 8) color = kGold;
    return color;
}

} // namespace

void resim(CanvasImage& canvas, const InstrumentState& state) {
    drawBody(canvas);
    drawSteppedEdge(canvas);
    fillAreas(canvas);
    drawMandalTicks(canvas);
    drawSkinPanels(canvas);
    drawBridge(canvas);
    drawPins(canvas);
    tel_çiz(canvas, state);
}

void tel_çiz(CanvasImage& canvas, const InstrumentState& state) {
    // Every drawing of the instrument leaves the width at 1; the strings are drawn at that width.
    canvas.setLineWidth(1);
    for (int s = 1; s <= 26; ++s) {
        QRgb color = s % 7 == state.markedStringResidue ? kRed : kWhite;
        if (s == state.currentString) color = kBlack;
        const int x0 = 530 + stepX(s);
        const int y = 26 + stepY(s);
        canvas.line(x0, y, 795, y, color);
        canvas.line(x0 + 14, y + 2, 798, y + 2, color);
        canvas.line(x0 + 28, y + 4, 795, y + 4, color);
    }
}

void diyagonal_yaz(CanvasImage& canvas, const InstrumentState& state) {
    canvas.setForeColor(kBlue);
    canvas.setLineWidth(1);
    canvas.setFontSize(kLabelFontSize);
    for (int s = 1; s <= 26; ++s) {
        const int x = labelX(s);
        const int y = labelY(s);
        canvas.filledBox(x, y, x + 21, y + 16, kWhite);
        if (state.mandalPos[s] == 0) continue;
        canvas.setCurrentX(x);
        canvas.setCurrentY(y);
        canvas.setForeColor(s >= 8 ? qRgb(206, 30, 10) : qRgb(192, 192, 0));
        printLabel(canvas, state.mandalPos[s]);
    }
}

void eraseLabels(CanvasImage& canvas) {
    canvas.setForeColor(kBlue);
    canvas.setLineWidth(1);
    for (int s = 1; s <= 26; ++s)
        canvas.filledBox(labelX(s), labelY(s), labelX(s) + 21, labelY(s) + 16, kWhite);
}

MandalStripPlacement mandal_at(CanvasImage& canvas, const InstrumentState& state,
                               const PitchTables& tables) {
    const int s = state.currentString;
    const int min = state.mandalMin[s];
    const int max = state.mandalMax[s];
    const int pos = state.mandalPos[s];

    canvas.clear();
    const MandalStripPlacement placement{(std::abs(min) + max + 3) * 16 + 148, -100};
    canvas.setWidth(placement.width);

    // The edge of the wooden strip, and the strip below it.
    canvas.setFillStyle(FillStyle::Solid);
    canvas.setLineWidth(4);
    canvas.setForeColor(kBlack);
    canvas.line(0, 20, 150, 20);
    canvas.lineTo(150, 40);
    canvas.lineTo(560, 40);
    canvas.setFillColor(kWood);
    canvas.floodFill(126, 44);

    // The number of each position under its slot, small enough that " 10" fits the 16 pixels.
    canvas.setFontSize(kStripFontSize);
    canvas.setCurrentY(42);
    canvas.setForeColor(kBlack);
    for (int k = min; k <= max; ++k) {
        canvas.setCurrentX(150 + 16 * (k - min));
        canvas.printNumber(k);
    }

    canvas.setLineWidth(2);
    canvas.line(20, 21, 500, 21, qRgb(185, 80, 80));
    canvas.setLineWidth(1);

    // Engaged mandals stand upright from the lowest position up to the sounding one.
    for (int k = min; k <= pos; ++k) {
        const int x = 156 + 16 * (k - min);
        canvas.filledBox(x, 22, x + 5, 38, mandalColor(s, k, k == min, tables));
    }
    // The others are levers tilted up.
    for (int k = pos + 1; k <= max; ++k) {
        const int x = 156 + 16 * (k - min);
        canvas.setForeColor(mandalColor(s, k, false, tables));
        canvas.line(x + 3, 40, x - 1, 36);
        canvas.lineTo(x + 11, 24);
        canvas.lineTo(x + 15, 28);
        canvas.lineTo(x + 3, 40);
    }

    if (s == 26) {
        canvas.setLineWidth(4);
        canvas.line(408, 40, 454, 40, kBlack);
    }
    return placement;
}

} // namespace zembera
