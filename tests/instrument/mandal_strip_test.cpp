#include "instrument/instrument_drawing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "support/gui_application.h"
#include "support/pixels.h"

namespace zembera {
namespace {

using namespace test;

constexpr QRgb kGold = qRgb(238, 201, 0);
constexpr QRgb kLightGrey = qRgb(224, 224, 224);

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

    // The pixel at (dx, dy) from the left edge of the mandal of slot i (16 pixels a slot).
    QRgb mandal(int i, int dx, int dy) const { return canvas.pixel(156 + 16 * i + dx, dy); }
    // The middle of an upright box; white when the mandal of slot i is lifted.
    QRgb upright(int i) const { return mandal(i, 2, 30); }

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
    }
}

TEST_F(MandalStrip, String12AtZeroHasNineUprightAndTwelveLiftedMandals) {
    draw(12, 0);
    EXPECT_EQ(upright(0), kBlack); // -8, the lowest
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(upright(i), kRed) << i;
    EXPECT_EQ(upright(8), kBlue); // position 0
    // An upright box spans x .. x + 5 and y = 22 .. 38.
    EXPECT_EQ(mandal(3, 0, 22), kRed);
    EXPECT_EQ(mandal(3, 5, 38), kRed);
    EXPECT_NE(mandal(3, 6, 30), kRed);

    // A lifted lever: a tilted quadrilateral with its foot at (x + 3, 40), hollow inside.
    for (int i = 9; i <= 20; ++i) {
        const QRgb color = i - 8 <= 8 ? kRed : kGold;
        EXPECT_EQ(upright(i), kWhite) << i;
        for (auto [dx, dy] : {std::pair{-1, 36}, {2, 33}, {11, 24}, {15, 28}, {9, 34}, {3, 40}})
            EXPECT_EQ(mandal(i, dx, dy), color) << i << ": " << dx << "," << dy;
        EXPECT_EQ(mandal(i, 7, 30), kWhite) << i;
    }
}

TEST_F(MandalStrip, WoodenStripNumbersAndStringLine) {
    draw(12, 0);
    // (5, 30) lies under the first step of the edge, (300, 10) above it.
    const PixelAt pixels[] = {{126, 44, kWood},
                              {5, 30, kWood},
                              {480, 58, kWood},
                              {300, 10, kWhite},
                              {5, 18, kBlack},
                              {149, 30, kBlack},
                              {40, 21, qRgb(185, 80, 80)},
                              {499, 20, qRgb(185, 80, 80)}};
    expectPixels(canvas, pixels);
    // A number in black under every slot. Numbers from 1 up begin with a blank: the first
    // columns of their slots stay clear, so two-digit numbers do not run into each other.
    for (int i = 0; i <= 20; ++i) {
        int ink = 0;
        int inkAtLeft = 0;
        for (int y = 42; y < 60; ++y) {
            for (int x = 150 + 16 * i; x < 166 + 16 * i; ++x) {
                ink += canvas.pixel(x, y) == kBlack;
                inkAtLeft += x <= 151 + 16 * i && canvas.pixel(x, y) == kBlack;
            }
        }
        EXPECT_GT(ink, 4) << "slot " << i;
        EXPECT_TRUE(i < 9 || inkAtLeft == 0) << "slot " << i;
    }
}

TEST_F(MandalStrip, NarrowStringsAtTheirHighestAndLowestPositions) {
    draw(1, 6);
    EXPECT_EQ(upright(0), kBlack);
    EXPECT_EQ(upright(5), kBlue);
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11})
        EXPECT_EQ(upright(i), kRed) << i;
    for (int i = 0; i <= 11; ++i)
        EXPECT_EQ(mandal(i, 11, 24), kWhite) << i;
    EXPECT_EQ(upright(12), kWhite);
    // At its lowest only the first stands; position 0 is lifted in blue.
    draw(3, -5);
    EXPECT_THAT((std::vector{upright(0), upright(1), mandal(1, 11, 24), mandal(5, 11, 24)}),
                ::testing::ElementsAre(kBlack, kWhite, kRed, kBlue));
}

TEST_F(MandalStrip, MarksAboveEightAreGoldOnAnyStringAndString26IsGreyAboveEight) {
    tables->mandalMark(5, 3) = 12;
    draw(5, 10);
    EXPECT_THAT((std::vector{upright(3 + 7), upright(2 + 7), upright(0)}),
                ::testing::ElementsAre(kGold, kRed, kBlack));
    // On string 26 the positions above 8 are grey unless their mark makes them gold.
    tables->mandalMark(26, 10) = 0;
    draw(26, 12);
    EXPECT_THAT((std::vector{upright(18), upright(17), upright(16)}), // 10, 9 keeps its mark, 8
                ::testing::ElementsAre(kLightGrey, kGold, kRed));
}

TEST_F(MandalStrip, OnlyString26GetsTheThickBlackLine) {
    // The foot of the lever of position 9 (x + 3, 40) lies under the line.
    draw(25, 0);
    EXPECT_THAT((std::vector{mandal(17, 3, 40), mandal(16, 3, 40)}),
                ::testing::ElementsAre(kGold, kRed));
    draw(26, 0);
    for (int x = 408; x <= 454; x += 2)
        EXPECT_EQ(canvas.pixel(x, 40), kBlack) << x;
    EXPECT_THAT((std::vector{mandal(17, 3, 40), mandal(16, 3, 40), mandal(19, 3, 40)}),
                ::testing::ElementsAre(kBlack, kBlack, kGold)); // 11 lies beyond the line
}

} // namespace
} // namespace zembera
