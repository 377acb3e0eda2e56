#include "instrument/instrument_drawing.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kSkin = qRgb(230, 220, 180);
constexpr QRgb kPinBlock = qRgb(220, 220, 220);

// First pixel row of the three lines of string s, and their start.
int stringY(int s) {
    return 26 + 15 * (s - 1);
}
int stringX0(int s) {
    return 530 - 19 * (s - 1);
}

class InstrumentDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
        setPlayStarts(state);
    }

    // The colour of string s where all three of its lines run, checked to be the same on each.
    QRgb stringColor(int s) {
        const QRgb c = canvas.pixel(760, stringY(s));
        EXPECT_EQ(canvas.pixel(760, stringY(s) + 2), c) << "string " << s;
        EXPECT_EQ(canvas.pixel(760, stringY(s) + 4), c) << "string " << s;
        return c;
    }

    InstrumentState state;
    CanvasImage canvas{904, 420};
};

TEST_F(InstrumentDrawing, FourAreasOfTheBodyTakeTheirColours) {
    resim(canvas, state);
    EXPECT_EQ(canvas.pixel(320, 200), kPinBlock);
    EXPECT_EQ(canvas.pixel(365, 204), qRgb(130, 30, 30));
    // The other two seeds lie on the lowest line of string 13; the area shows just below it.
    EXPECT_EQ(canvas.pixel(385, 210), kWhite);
    EXPECT_EQ(canvas.pixel(384, 211), qRgb(180, 120, 120)); // between two ticks
    EXPECT_EQ(canvas.pixel(515, 210), kWhite);
    EXPECT_EQ(canvas.pixel(515, 211), kWood);
    // Each area reaches the far ends of its strip.
    EXPECT_EQ(canvas.pixel(60, 410), kPinBlock);
    EXPECT_EQ(canvas.pixel(110, 407), qRgb(130, 30, 30));
    EXPECT_EQ(canvas.pixel(612, 23), qRgb(180, 120, 120));
    EXPECT_EQ(canvas.pixel(800, 410), kWood);
}

TEST_F(InstrumentDrawing, NothingLeaksOutOfTheBody) {
    resim(canvas, state);
    for (auto [x, y] :
         {std::pair{100, 100}, {520, 15}, {20, 414}, {850, 200}, {900, 419}, {450, 417}})
        EXPECT_EQ(canvas.pixel(x, y), kWhite) << x << "," << y;
    // The body's outline itself.
    EXPECT_EQ(canvas.pixel(806, 300), kBlack);
    EXPECT_EQ(canvas.pixel(300, 414), kBlack);
    EXPECT_EQ(canvas.pixel(700, 20), kBlack);
}

TEST_F(InstrumentDrawing, SkinPanelsBridgeAndFeet) {
    resim(canvas, state);
    for (auto [x, y] : {std::pair{710, 70}, {710, 167}, {710, 260}, {710, 362}, {770, 80}})
        EXPECT_EQ(canvas.pixel(x, y), kSkin) << x << "," << y;
    EXPECT_EQ(canvas.pixel(700, 24), kBlack);  // outline of the first panel
    EXPECT_EQ(canvas.pixel(690, 200), kBlack); // left side of the second
    EXPECT_EQ(canvas.pixel(686, 70), kWood);   // between the panels and the line x = 682
    EXPECT_EQ(canvas.pixel(700, 119), kWood);  // between the first two panels

    EXPECT_EQ(canvas.pixel(735, 100), kBlue);
    EXPECT_EQ(canvas.pixel(736, 302), kBlue);
    EXPECT_EQ(canvas.pixel(737, 100), kSkin);
    EXPECT_EQ(canvas.pixel(734, 100), kSkin);
    for (int top : {60, 158, 254, 352}) {
        EXPECT_EQ(canvas.pixel(732, top + 2), kBlue) << top;
        EXPECT_EQ(canvas.pixel(739, top + 10), kBlue) << top;
        EXPECT_NE(canvas.pixel(740, top + 10), kBlue) << top;
    }
}

TEST_F(InstrumentDrawing, PinsAreBlueRingsOnThePinBlock) {
    resim(canvas, state);
    for (int s : {1, 13, 26}) {
        const int cx = stringX0(s);
        const int cy = 30 + 15 * (s - 1);
        EXPECT_EQ(canvas.pixel(cx, cy), kPinBlock) << s;
        EXPECT_EQ(canvas.pixel(cx - 3, cy), kBlue) << s;
        EXPECT_EQ(canvas.pixel(cx, cy + 3), kBlue) << s;
        EXPECT_EQ(canvas.pixel(cx + 14 + 3, cy + 2), kBlue) << s;
        EXPECT_EQ(canvas.pixel(cx + 28, cy + 4 + 3), kBlue) << s;
    }
}

TEST_F(InstrumentDrawing, SelectedStringIsBlackMarkedOnesRedOthersWhite) {
    resim(canvas, state);
    for (int s = 1; s <= 26; ++s) {
        const QRgb expected = s == 12 ? kBlack : (s == 5 || s == 19 || s == 26) ? kRed : kWhite;
        EXPECT_EQ(stringColor(s), expected) << "string " << s;
        // Each line runs from its start to its end, the middle one three pixels further.
        EXPECT_EQ(canvas.pixel(stringX0(s), stringY(s)), expected) << s;
        EXPECT_EQ(canvas.pixel(795, stringY(s) + 4), expected) << s;
        EXPECT_EQ(canvas.pixel(798, stringY(s) + 2), expected) << s;
        EXPECT_NE(canvas.pixel(797, stringY(s)), expected) << s;
        EXPECT_NE(canvas.pixel(stringX0(s) + 27, stringY(s) + 4), expected) << s;
    }
}

TEST_F(InstrumentDrawing, RedrawingTheStringsMovesTheBlackMark) {
    resim(canvas, state);
    state.currentString = 11;
    tel_çiz(canvas, state);
    EXPECT_EQ(stringColor(11), kBlack);
    EXPECT_EQ(stringColor(12), kRed);

    state.currentString = 19;
    tel_çiz(canvas, state);
    EXPECT_EQ(stringColor(19), kBlack);
    EXPECT_EQ(stringColor(11), kWhite);

    state.currentString = 3;
    tel_çiz(canvas, state);
    EXPECT_EQ(stringColor(19), kRed);
    EXPECT_EQ(stringColor(3), kBlack);
    EXPECT_EQ(stringColor(12), kRed);
}

TEST_F(InstrumentDrawing, TheMarkedResidueChoosesTheRedStrings) {
    state.markedStringResidue = 0;
    state.currentString = 0;
    tel_çiz(canvas, state);
    EXPECT_EQ(stringColor(7), kRed);
    EXPECT_EQ(stringColor(14), kRed);
    EXPECT_EQ(stringColor(5), kWhite);
}

// Counts pixels of `color` inside the label box of string s.
int labelPixels(const CanvasImage& canvas, int s, QRgb color) {
    const int x = 489 - 19 * (s - 1);
    const int y = 18 + 15 * (s - 1);
    int n = 0;
    for (int py = y; py <= y + 16; ++py)
        for (int px = x; px <= x + 21; ++px)
            n += canvas.pixel(px, py) == color;
    return n;
}

int leftmostColumn(const CanvasImage& canvas, int s, QRgb color) {
    const int x = 489 - 19 * (s - 1);
    const int y = 18 + 15 * (s - 1);
    for (int px = x; px <= x + 21; ++px)
        for (int py = y; py <= y + 16; ++py)
            if (canvas.pixel(px, py) == color) return px;
    return -1;
}

TEST_F(InstrumentDrawing, LabelsShowThePositionsThatAreNotZero) {
    resim(canvas, state);
    state.mandalPos[3] = -2;
    state.mandalPos[10] = 4;
    diyagonal_yaz(canvas, state);
    const QRgb narrow = qRgb(192, 192, 0);
    const QRgb wide = qRgb(206, 30, 10);
    EXPECT_GT(labelPixels(canvas, 3, narrow), 10);
    EXPECT_EQ(labelPixels(canvas, 3, wide), 0);
    EXPECT_GT(labelPixels(canvas, 10, wide), 10);
    // The rest of those boxes is white.
    EXPECT_EQ(labelPixels(canvas, 3, narrow) + labelPixels(canvas, 3, kWhite), 22 * 17);
    EXPECT_EQ(labelPixels(canvas, 10, wide) + labelPixels(canvas, 10, kWhite), 22 * 17);
    // Written from the box's corner: the "-2" begins at once with its minus sign, the " 4"
    // after a blank.
    const int minusStart = leftmostColumn(canvas, 3, narrow);
    EXPECT_GE(minusStart, 451);
    EXPECT_LE(minusStart, 451 + 2);
    EXPECT_GE(leftmostColumn(canvas, 10, wide), 318 + 3);
    for (int s : {1, 2, 5, 9, 12, 20, 26})
        EXPECT_EQ(labelPixels(canvas, s, kWhite), 22 * 17) << "string " << s;
}

TEST_F(InstrumentDrawing, UntickingTheLabelsLeavesEmptyWhiteBoxes) {
    resim(canvas, state);
    for (int s = 1; s <= 26; ++s)
        state.mandalPos[s] = static_cast<std::int16_t>(s % 5 - 2);
    diyagonal_yaz(canvas, state);
    EXPECT_GT(labelPixels(canvas, 8, qRgb(206, 30, 10)), 10);
    eraseLabels(canvas);
    for (int s = 1; s <= 26; ++s)
        EXPECT_EQ(labelPixels(canvas, s, kWhite), 22 * 17) << "string " << s;
    // Only the boxes: the drawing around them stays.
    EXPECT_EQ(canvas.pixel(320, 200), kPinBlock);
}

} // namespace
} // namespace zembera
