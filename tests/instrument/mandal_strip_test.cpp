#include "instrument/instrument_drawing.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGold = qRgb(238, 201, 0);
constexpr QRgb kLightGrey = qRgb(224, 224, 224);

// Left edge of the mandal of slot i.
int mandalX(int i) {
    return 156 + 16 * i;
}

class MandalStrip : public ::testing::Test {
  protected:
    void SetUp() override {
        test::ensureGuiApplication();
        setMandalRanges(state);
        // Marks as the pitch table gives them for strings 8-26: each position marks itself.
        // Strings 1-7 carry their own marks; here they stay 0.
        for (int s = 8; s <= 26; ++s)
            for (int m = -8; m <= 12; ++m)
                tables->mandalMark(s, m) = static_cast<std::int16_t>(m);
    }

    MandalStripPlacement draw(int s, int pos) {
        state.currentString = static_cast<std::int16_t>(s);
        state.mandalPos[s] = static_cast<std::int16_t>(pos);
        return mandal_at(canvas, state, *tables);
    }

    InstrumentState state;
    std::unique_ptr<PitchTables> tables = std::make_unique<PitchTables>();
    CanvasImage canvas{485, 60};
};

TEST_F(MandalStrip, WidthFollowsTheRangeAndTheStripStartsOutOfView) {
    for (auto [s, width] : {std::pair{1, 372}, {3, 404}, {6, 468}, {12, 516}, {26, 516}}) {
        const MandalStripPlacement placement = draw(s, 0);
        EXPECT_EQ(placement.width, width) << s;
        EXPECT_EQ(placement.left, -100) << s;
        EXPECT_EQ(canvas.width(), width) << s;
        EXPECT_EQ(canvas.height(), 60) << s;
    }
}

TEST_F(MandalStrip, String12AtZeroHasNineUprightAndTwelveLiftedMandals) {
    draw(12, 0);
    EXPECT_EQ(canvas.pixel(mandalX(0) + 2, 30), kBlack); // -8, the lowest
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(canvas.pixel(mandalX(i) + 2, 30), kRed) << i;
    EXPECT_EQ(canvas.pixel(mandalX(8) + 2, 30), kBlue); // position 0
    // An upright box spans x .. x + 5 and y = 22 .. 38.
    EXPECT_EQ(canvas.pixel(mandalX(3), 22), kRed);
    EXPECT_EQ(canvas.pixel(mandalX(3) + 5, 38), kRed);
    EXPECT_NE(canvas.pixel(mandalX(3) + 6, 30), kRed);

    for (int i = 9; i <= 20; ++i) {
        const int x = mandalX(i);
        const QRgb color = i - 8 <= 8 ? kRed : kGold;
        EXPECT_EQ(canvas.pixel(x + 2, 30), kWhite) << i; // no box
        EXPECT_EQ(canvas.pixel(x - 1, 36), color) << i;
        EXPECT_EQ(canvas.pixel(x + 2, 33), color) << i;
        EXPECT_EQ(canvas.pixel(x + 11, 24), color) << i;
        EXPECT_EQ(canvas.pixel(x + 15, 28), color) << i;
        EXPECT_EQ(canvas.pixel(x + 9, 34), color) << i;
        EXPECT_EQ(canvas.pixel(x + 3, 40), color) << i;
        EXPECT_EQ(canvas.pixel(x + 7, 30), kWhite) << i; // inside the lever
    }
}

TEST_F(MandalStrip, WoodenStripNumbersAndStringLine) {
    draw(12, 0);
    EXPECT_EQ(canvas.pixel(126, 44), kWood);
    EXPECT_EQ(canvas.pixel(5, 30), kWood); // under the first step of the edge
    EXPECT_EQ(canvas.pixel(480, 58), kWood);
    EXPECT_EQ(canvas.pixel(300, 10), kWhite); // above the edge
    EXPECT_EQ(canvas.pixel(5, 18), kBlack);
    EXPECT_EQ(canvas.pixel(149, 30), kBlack);
    EXPECT_EQ(canvas.pixel(40, 21), qRgb(185, 80, 80));
    EXPECT_EQ(canvas.pixel(499, 20), qRgb(185, 80, 80));
    // A number in black under every slot.
    for (int i = 0; i <= 20; ++i) {
        int ink = 0;
        for (int y = 42; y < 60; ++y)
            for (int x = 150 + 16 * i; x < 166 + 16 * i; ++x)
                ink += canvas.pixel(x, y) == kBlack;
        EXPECT_GT(ink, 4) << "slot " << i;
    }
    // Numbers from 1 up begin with a blank: the first columns of their slots stay clear, so
    // two-digit numbers do not run into each other.
    for (int i = 9; i <= 20; ++i)
        for (int y = 42; y < 60; ++y)
            for (int x = 150 + 16 * i; x <= 151 + 16 * i; ++x)
                EXPECT_NE(canvas.pixel(x, y), kBlack) << x << "," << y;
}

TEST_F(MandalStrip, String1AtItsHighestHasTwelveBoxesAndNoLever) {
    draw(1, 6);
    EXPECT_EQ(canvas.width(), 372);
    EXPECT_EQ(canvas.pixel(mandalX(0) + 2, 30), kBlack);
    EXPECT_EQ(canvas.pixel(mandalX(5) + 2, 30), kBlue);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(canvas.pixel(mandalX(i) + 2, 30), kRed) << i;
    for (int i = 0; i <= 11; ++i)
        EXPECT_EQ(canvas.pixel(mandalX(i) + 11, 24), kWhite) << i;
    EXPECT_EQ(canvas.pixel(mandalX(12) + 2, 30), kWhite);
}

TEST_F(MandalStrip, ALowPositionLeavesTheRestLifted) {
    draw(3, -5);
    EXPECT_EQ(canvas.pixel(mandalX(0) + 2, 30), kBlack);
    EXPECT_EQ(canvas.pixel(mandalX(1) + 2, 30), kWhite);
    EXPECT_EQ(canvas.pixel(mandalX(1) + 11, 24), kRed);
    EXPECT_EQ(canvas.pixel(mandalX(5) + 11, 24), kBlue); // position 0, lifted
}

TEST_F(MandalStrip, MarksAboveEightAreGoldOnAnyString) {
    tables->mandalMark(5, 3) = 12;
    draw(5, 10);
    EXPECT_EQ(canvas.pixel(mandalX(3 + 7) + 2, 30), kGold);
    EXPECT_EQ(canvas.pixel(mandalX(2 + 7) + 2, 30), kRed);
    EXPECT_EQ(canvas.pixel(mandalX(0) + 2, 30), kBlack);
}

TEST_F(MandalStrip, String26HighMandalsAreGreyWithoutAHighMark) {
    tables->mandalMark(26, 10) = 0;
    draw(26, 12);
    EXPECT_EQ(canvas.pixel(mandalX(18) + 2, 30), kLightGrey);
    EXPECT_EQ(canvas.pixel(mandalX(17) + 2, 30), kGold); // 9 keeps its mark
    EXPECT_EQ(canvas.pixel(mandalX(16) + 2, 30), kRed);  // 8
}

TEST_F(MandalStrip, OnlyString26GetsTheThickBlackLine) {
    // The foot of the lever of position 9 (x + 3, 40) lies under the line.
    draw(25, 0);
    EXPECT_EQ(canvas.pixel(mandalX(17) + 3, 40), kGold);
    EXPECT_EQ(canvas.pixel(mandalX(16) + 3, 40), kRed);
    draw(26, 0);
    for (int x = 408; x <= 454; x += 2)
        EXPECT_EQ(canvas.pixel(x, 40), kBlack) << x;
    EXPECT_EQ(canvas.pixel(mandalX(17) + 3, 40), kBlack);
    EXPECT_EQ(canvas.pixel(mandalX(16) + 3, 40), kBlack);
    EXPECT_EQ(canvas.pixel(mandalX(19) + 3, 40), kGold); // position 11, beyond the line
}

} // namespace
} // namespace zembera
