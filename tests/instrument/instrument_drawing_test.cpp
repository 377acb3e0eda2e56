#include "instrument/instrument_drawing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <utility>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kSkin = qRgb(230, 220, 180);
constexpr QRgb kPinBlock = qRgb(220, 220, 220);
constexpr QRgb kMaroon = qRgb(130, 30, 30);
constexpr QRgb kRose = qRgb(180, 120, 120);
constexpr QRgb kNarrowLabel = qRgb(192, 192, 0); // strings 1..7
constexpr QRgb kWideLabel = qRgb(206, 30, 10);

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

    // The pixels of `color` in the label box of string s (22 x 17), and the leftmost column
    // holding one (-1 when none does).
    std::pair<int, int> labelInk(int s, QRgb color) const {
        const int left = 489 - 19 * (s - 1);
        const int top = 18 + 15 * (s - 1);
        int n = 0;
        int leftmost = -1;
        for (int x = left; x < left + 22; ++x) {
            for (int y = top; y < top + 17; ++y) {
                if (canvas.pixel(x, y) != color) continue;
                ++n;
                if (leftmost < 0) leftmost = x;
            }
        }
        return {n, leftmost};
    }
    int labelPixels(int s, QRgb color) const { return labelInk(s, color).first; }

    InstrumentState state;
    CanvasImage canvas{904, 420};
};

TEST_F(InstrumentDrawing, AreasPanelsBridgeAndPinsTakeTheirColours) {
    resim(canvas, state);
    // The four areas reach the far ends of their strips (two seeds lie on the lowest line of
    // string 13: their areas show just below it, between two ticks); nothing leaks out of the
    // black outline; skin fills the four panels, with wood beside and between them; the bridge
    // is a blue bar two pixels wide.
    const PixelAt pixels[] = {
        {320, 200, kPinBlock}, {60, 410, kPinBlock}, {365, 204, kMaroon}, {110, 407, kMaroon},
        {385, 210, kWhite},    {384, 211, kRose},    {612, 23, kRose},    {515, 210, kWhite},
        {515, 211, kWood},     {800, 410, kWood},    {100, 100, kWhite},  {520, 15, kWhite},
        {20, 414, kWhite},     {850, 200, kWhite},   {900, 419, kWhite},  {450, 417, kWhite},
        {806, 300, kBlack},    {300, 414, kBlack},   {700, 20, kBlack},   {710, 70, kSkin},
        {710, 167, kSkin},     {710, 260, kSkin},    {710, 362, kSkin},   {770, 80, kSkin},
        {700, 24, kBlack},     {690, 200, kBlack},   {686, 70, kWood},    {700, 119, kWood},
        {735, 100, kBlue},     {736, 302, kBlue},    {737, 100, kSkin},   {734, 100, kSkin}};
    expectPixels(canvas, pixels);
    // The bridge widens to 8 pixels in four places.
    for (int top : {60, 158, 254, 352}) {
        EXPECT_EQ(canvas.pixel(732, top + 2), kBlue) << top;
        EXPECT_EQ(canvas.pixel(739, top + 10), kBlue) << top;
        EXPECT_NE(canvas.pixel(740, top + 10), kBlue) << top;
    }
    // Three pins a string, blue rings on the pin block, each 14 right and 2 down of the last.
    for (int s : {1, 13, 26}) {
        const int cx = stringX0(s);
        const int cy = stringY(s) + 4;
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

// The strings are redrawn from the state alone: the marked residue chooses the red strings.
TEST_F(InstrumentDrawing, RedrawingTheStringsFollowsTheResidue) {
    resim(canvas, state);
    state.markedStringResidue = 0;
    state.currentString = 3;
    tel_çiz(canvas, state);
    EXPECT_THAT((std::vector{stringColor(3), stringColor(12), stringColor(7), stringColor(14),
                             stringColor(5)}),
                ::testing::ElementsAre(kBlack, kWhite, kRed, kRed, kWhite));
}

TEST_F(InstrumentDrawing, LabelsShowThePositionsThatAreNotZero) {
    resim(canvas, state);
    state.mandalPos[3] = -2;
    state.mandalPos[10] = 4;
    diyagonal_yaz(canvas, state);
    EXPECT_GT(labelPixels(3, kNarrowLabel), 10);
    EXPECT_EQ(labelPixels(3, kWideLabel), 0);
    EXPECT_GT(labelPixels(10, kWideLabel), 10);
    // The rest of those boxes is white.
    EXPECT_EQ(labelPixels(3, kNarrowLabel) + labelPixels(3, kWhite), 22 * 17);
    EXPECT_EQ(labelPixels(10, kWideLabel) + labelPixels(10, kWhite), 22 * 17);
    // Written from the box's corner: the "-2" begins at once with its minus sign, the " 4"
    // after a blank.
    EXPECT_THAT(labelInk(3, kNarrowLabel).second,
                ::testing::AllOf(::testing::Ge(451), ::testing::Le(453)));
    EXPECT_GE(labelInk(10, kWideLabel).second, 318 + 3);
    for (int s : {1, 2, 5, 9, 12, 20, 26})
        EXPECT_EQ(labelPixels(s, kWhite), 22 * 17) << "string " << s;
    // Unticked: empty white boxes, and the drawing around them stays.
    eraseLabels(canvas);
    for (int s = 1; s <= 26; ++s)
        EXPECT_EQ(labelPixels(s, kWhite), 22 * 17) << "string " << s;
    EXPECT_EQ(canvas.pixel(320, 200), kPinBlock);
}

} // namespace
} // namespace zembera
