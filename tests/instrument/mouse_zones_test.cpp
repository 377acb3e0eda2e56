#include "instrument/mouse_zones.h"

#include <gtest/gtest.h>

namespace zembera {
namespace {

TEST(StringRows, WholePixelsFromTopToBottom) {
    EXPECT_EQ(stringAtY(20), 0);
    EXPECT_EQ(stringAtY(21), 1);
    EXPECT_EQ(stringAtY(36), 1);
    EXPECT_EQ(stringAtY(37), 2);
    EXPECT_EQ(stringAtY(30), 1);
    EXPECT_EQ(stringAtY(80), 4);
    EXPECT_EQ(stringAtY(396), 25);
    EXPECT_EQ(stringAtY(397), 26);
    EXPECT_EQ(stringAtY(400), 26);
    EXPECT_EQ(stringAtY(409), 26);
    EXPECT_EQ(stringAtY(410), 0);
}

TEST(StringRows, FractionsRoundHalfToEvenBeforeTheDivision) {
    EXPECT_EQ(stringAtY(20.99), 0); // the bounds look at the fraction
    EXPECT_EQ(stringAtY(409.01), 0);
    EXPECT_EQ(stringAtY(21.5), 1);  // -0.5 rounds to 0
    EXPECT_EQ(stringAtY(36.5), 1);  // 14.5 rounds to 14
    EXPECT_EQ(stringAtY(37.5), 2);  // 15.5 rounds to 16
    EXPECT_EQ(stringAtY(36.51), 2); // 14.51 rounds to 15
    EXPECT_EQ(stringAtY(51.5), 3);  // 29.5 rounds to 30
    EXPECT_EQ(stringAtY(66.5), 3);  // 44.5 rounds to 44
}

class PluckZone : public ::testing::Test {
  protected:
    void SetUp() override { setPlayStarts(state); }
    InstrumentState state;
};

TEST_F(PluckZone, BetweenTheMandalBankAndTheBridge) {
    EXPECT_EQ(pluckedString(700, 30, state), 1);
    EXPECT_EQ(pluckedString(600, 30, state), 0);
    EXPECT_EQ(pluckedString(300, 400, state), 26);
    EXPECT_EQ(pluckedString(730, 30, state), 0);
    EXPECT_EQ(pluckedString(729.9, 30, state), 1);
}

TEST_F(PluckZone, BothLimitsAreStrict) {
    EXPECT_EQ(pluckedString(623, 30, state), 0);
    EXPECT_EQ(pluckedString(623.5, 30, state), 1);
    EXPECT_EQ(pluckedString(198, 400, state), 0);
    EXPECT_EQ(pluckedString(199, 400, state), 26);
    // The limit moves 17 pixels left per string.
    EXPECT_EQ(pluckedString(436, 200, state), 0); // string 12: 640 - 204 = 436
    EXPECT_EQ(pluckedString(437, 200, state), 12);
}

TEST_F(PluckZone, OutsideTheRowsNothingIsPlucked) {
    EXPECT_EQ(pluckedString(700, 20, state), 0);
    EXPECT_EQ(pluckedString(700, 410, state), 0);
}

class MandalSlots : public ::testing::Test {
  protected:
    void SetUp() override { setMandalRanges(state); }
    InstrumentState state;
};

TEST_F(MandalSlots, SharedColumnsBelongToNeitherSlot) {
    state.currentString = 12;
    EXPECT_EQ(mandalSlotAt(151, state), std::nullopt);
    EXPECT_EQ(mandalSlotAt(152, state), -8);
    EXPECT_EQ(mandalSlotAt(166.9, state), -8);
    EXPECT_EQ(mandalSlotAt(167, state), std::nullopt);
    EXPECT_EQ(mandalSlotAt(168, state), -7);
    EXPECT_EQ(mandalSlotAt(290, state), 0); // slot 8: 279 < x < 295
    EXPECT_EQ(mandalSlotAt(486, state), 12);
    EXPECT_EQ(mandalSlotAt(487, state), std::nullopt);
    EXPECT_EQ(mandalSlotAt(100, state), std::nullopt);
}

TEST_F(MandalSlots, SlotsStartAtTheStringsLowestPosition) {
    state.currentString = 1;
    EXPECT_EQ(mandalSlotAt(152, state), -5);
    EXPECT_EQ(mandalSlotAt(342, state), 6);            // slot 11
    EXPECT_EQ(mandalSlotAt(344, state), std::nullopt); // beyond the highest
    state.currentString = 6;
    EXPECT_EQ(mandalSlotAt(152, state), -7);
}

TEST_F(MandalSlots, NoSelectedStringHitsNothing) {
    state.currentString = 0;
    EXPECT_EQ(mandalSlotAt(152, state), std::nullopt);
}

TEST(TuningQuadrants, LeftRaisesRightLowersTopIsTheLargeStep) {
    EXPECT_EQ(tuningStep(10, 10), 2.0f);
    EXPECT_EQ(tuningStep(40, 60), -0.25f);
    EXPECT_EQ(tuningStep(26.9, 44.9), 2.0f);
    EXPECT_EQ(tuningStep(27, 44), -2.0f);
    EXPECT_EQ(tuningStep(10, 45), 0.25f);
    EXPECT_EQ(tuningStep(27, 45), -0.25f);
}

} // namespace
} // namespace zembera
