#include "instrument/mouse_zones.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>

namespace zembera {
namespace {

// The bounds look at the fraction. Inside them y - 22 is rounded half to even before the division
// by 15: 21.5 gives 0 and 36.5 14 (string 1), 37.5 16 (string 2), 66.5 44 (string 3).
TEST(StringRows, FifteenPixelsARowFrom21To409) {
    const std::pair<double, int> cases[] = {
        {20, 0},   {21, 1},   {30, 1},    {36, 1},   {37, 2},    {80, 4},     {396, 25},
        {397, 26}, {400, 26}, {409, 26},  {410, 0},  {20.99, 0}, {409.01, 0}, {21.5, 1},
        {36.5, 1}, {37.5, 2}, {36.51, 2}, {51.5, 3}, {66.5, 3}};
    for (auto [y, s] : cases)
        EXPECT_EQ(stringAtY(y), s) << y;
}

// Strictly between the string's play start (640 less 17 per string) and the bridge at 730.
TEST(PluckZone, BetweenTheMandalBankAndTheBridgeBothLimitsStrict) {
    InstrumentState state;
    setPlayStarts(state);
    struct Case {
        double x, y;
        int string;
    };
    const Case cases[] = {{700, 30, 1},   {600, 30, 0},  {623, 30, 0},   {623.5, 30, 1},
                          {729.9, 30, 1}, {730, 30, 0},  {300, 400, 26}, {198, 400, 0},
                          {199, 400, 26}, {436, 200, 0}, {437, 200, 12}, {700, 20, 0},
                          {700, 410, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(pluckedString(c.x, c.y, state), c.string) << c.x << "," << c.y;
}

// Slot i lies strictly between 151 + 16 i and 167 + 16 i, counted from the string's lowest
// position: the shared columns belong to neither slot.
TEST(MandalSlots, SlotsStartAtTheStringsLowestPosition) {
    InstrumentState state;
    setMandalRanges(state);
    struct Case {
        int string;
        double x;
        std::optional<int> position;
    };
    const Case cases[] = {{12, 151, {}}, {12, 152, -8}, {12, 166.9, -8}, {12, 167, {}},
                          {12, 168, -7}, {12, 290, 0},  {12, 486, 12},   {12, 487, {}},
                          {12, 100, {}}, {1, 152, -5},  {1, 342, 6},     {1, 344, {}},
                          {6, 152, -7},  {0, 152, {}}};
    for (const Case& c : cases) {
        state.currentString = static_cast<std::int16_t>(c.string);
        EXPECT_EQ(mandalSlotAt(c.x, state), c.position) << c.string << " at " << c.x;
    }
}

TEST(TuningQuadrants, LeftRaisesRightLowersTopIsTheLargeStep) {
    for (auto [x, y, step] : {std::tuple{10.0, 10.0, 2.0f},
                              {40.0, 60.0, -0.25f},
                              {26.9, 44.9, 2.0f},
                              {27.0, 44.0, -2.0f},
                              {10.0, 45.0, 0.25f},
                              {27.0, 45.0, -0.25f}})
        EXPECT_EQ(tuningStep(x, y), step) << x << "," << y;
}

} // namespace
} // namespace zembera
