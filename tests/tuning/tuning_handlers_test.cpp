// The handlers of the pitch level, degree shift, octave division, setting switch and resets.

#include <gtest/gtest.h>

#include <cmath>

#include "support/program_folder.h"
#include "tuning/transposition_messages.h"
#include "tuning_rig.h"

namespace zembera {
namespace {

using test::TuningRig;

class TuningHandlersTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = std::filesystem::temp_directory_path() / "zembera_tuning_samples";
        std::filesystem::create_directories(folder);
        const auto names = test::sineSampleNames();
        for (int s = 1; s <= 26; ++s)
            test::writeSineSample(folder / names[s], 262, 2205);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(folder); }

    // The image a fresh preparation of string s at position m with `offset` cents gives.
    SoundImage preparedAt(int s, int m, float offset) {
        StringSounds fresh(folder, test::sineSampleNames(), rig.messages);
        fresh.PrepareStringSound(s, m, rig.tables, offset);
        return *fresh.stringSound(s);
    }
    // Strings whose image differs from the empty one: the strings prepared so far.
    std::vector<int> preparedStrings() {
        std::vector<int> prepared;
        const SoundImagePtr never = StringSounds(folder, {}, rig.messages).stringSound(1);
        for (int s = 1; s <= 26; ++s) {
            if (*rig.sounds.stringSound(s) != *never) prepared.push_back(s);
        }
        return prepared;
    }

    static inline std::filesystem::path folder;
    TuningRig rig{test::bundledTables(), folder};
    PerString16& pos() { return rig.instrument.mandalPos; }
};

TEST_F(TuningHandlersTest, LevelChosenAwayFromShiftZeroResetsTheBarAndTransposesOnce) {
    pos()[20] = 13; // every run reports this string once
    rig.controls.setHScroll1Value(5);
    ASSERT_EQ(rig.messages.shown.size(), 1u);
    rig.messages.shown.clear();
    const int focusBefore = rig.controls.focusCount;

    rig.handlers.Option1_Click(1);
    EXPECT_EQ(rig.controls.hscroll, 0);
    EXPECT_EQ(rig.controls.text3, "0");
    EXPECT_EQ(rig.controls.hscrollSets, (std::vector<int>{5, 0}));
    EXPECT_EQ(rig.messages.shown, std::vector<std::string>{originNotFoundMessage(20, 13)});
    EXPECT_EQ(rig.tuning.ahenkIndex, 1);
    EXPECT_EQ(rig.tuning.ahenkShift, 4);
    EXPECT_EQ(rig.tuning.totalDegreeShift, -46);
    EXPECT_GT(rig.controls.focusCount, focusBefore);
}

TEST_F(TuningHandlersTest, LevelChosenAtShiftZeroTransposesOnceWithoutTouchingTheBar) {
    pos()[20] = 13;
    rig.handlers.Option1_Click(3);
    EXPECT_TRUE(rig.controls.hscrollSets.empty());
    EXPECT_EQ(rig.messages.shown.size(), 1u);
    EXPECT_EQ(rig.tuning.ahenkShift, 2);
    EXPECT_EQ(rig.tuning.totalDegreeShift, -20);
    EXPECT_EQ(rig.controls.option5, 2);
}

TEST_F(TuningHandlersTest, ShiftShowsPlainNumberAndTransposesAtTheChosenLevel) {
    rig.handlers.Option1_Click(8);
    rig.controls.setHScroll1Value(-1);
    EXPECT_EQ(rig.controls.text3, "-1");
    EXPECT_EQ(rig.tuning.totalDegreeShift, 33 - 1);
    rig.controls.setHScroll1Value(12);
    EXPECT_EQ(rig.controls.text3, "12");
    EXPECT_EQ(rig.tuning.totalDegreeShift, 33 + 12);
    EXPECT_EQ(rig.tuning.ahenkShift, -3);
    rig.handlers.Option1_Click(5);
    rig.controls.setHScroll1Value(-8);
    EXPECT_EQ(rig.controls.text3, "-8");
    EXPECT_EQ(rig.tuning.totalDegreeShift, -8);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST_F(TuningHandlersTest, OctaveDivisionChangesNoPitch) {
    pos()[12] = 3;
    rig.tuning.tuningOffset[12] = 2;
    rig.handlers.Option4_Click(2);
    EXPECT_EQ(pos()[12], 3);
    EXPECT_EQ(rig.tuning.tuningOffset[12], 2);
    EXPECT_EQ(rig.controls.option5, 1);
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_TRUE(rig.view.calls.empty());
    EXPECT_TRUE(preparedStrings().empty());
    EXPECT_EQ(rig.controls.focusCount, 1);
}

TEST_F(TuningHandlersTest, SettingSwitchSavesAndRestoresWithoutRedrawing) {
    for (int s = 1; s <= 26; ++s) {
        pos()[s] = static_cast<std::int16_t>(s % 5);
        rig.instrument.transposedMandal[s] = static_cast<std::int16_t>(-(s % 3));
    }
    rig.handlers.Option5_Click(2);
    EXPECT_FALSE(rig.instrument.untransposedShown);
    for (int s = 1; s <= 26; ++s) {
        EXPECT_EQ(pos()[s], -(s % 3)) << s;
        EXPECT_EQ(rig.tuning.savedMandal[s], s % 5) << s;
    }
    pos()[7] = 9; // a change to the transposed setting is not kept
    rig.handlers.Option5_Click(1);
    EXPECT_TRUE(rig.instrument.untransposedShown);
    for (int s = 1; s <= 26; ++s)
        EXPECT_EQ(pos()[s], s % 5) << s;
    EXPECT_TRUE(rig.view.calls.empty());
    EXPECT_EQ(rig.controls.focusCount, 2);
}

TEST_F(TuningHandlersTest, TuningResetRebuildsOnlyRetunedStringsWhereTheirMandalsStand) {
    pos()[3] = 2;
    pos()[20] = -3;
    pos()[9] = 4; // no fine tuning: left alone
    rig.tuning.tuningOffset[3] = 2;
    rig.tuning.tuningOffset[20] = -0.25f;
    rig.handlers.Command8_Click();
    for (int s = 1; s <= 26; ++s)
        EXPECT_EQ(rig.tuning.tuningOffset[s], 0) << s;
    EXPECT_EQ(preparedStrings(), (std::vector<int>{3, 20}));
    EXPECT_EQ(*rig.sounds.stringSound(3), preparedAt(3, 2, 0));
    EXPECT_EQ(*rig.sounds.stringSound(20), preparedAt(20, -3, 0));
    // The frequency shown is that of the last string rebuilt.
    EXPECT_FLOAT_EQ(rig.sounds.noteFrequency,
                    static_cast<float>(262 * std::pow(2, rig.tables.centTable(20, -3) / 1200)));
    EXPECT_EQ(rig.view.calls, std::vector<std::string>{"etiket"});
    EXPECT_EQ(rig.controls.focusCount, 1);
}

TEST_F(TuningHandlersTest, TuningResetWithoutFineTuningStillRedrawsThePanel) {
    rig.handlers.Command8_Click();
    EXPECT_TRUE(preparedStrings().empty());
    EXPECT_EQ(rig.view.calls, std::vector<std::string>{"etiket"});
}

TEST_F(TuningHandlersTest, MandalResetRebuildsMovedStringsAtZeroAndRedrawsTheCurrentOne) {
    pos()[5] = -2;
    rig.tuning.tuningOffset[5] = 2;
    pos()[12] = 3;
    pos()[26] = 9;
    rig.instrument.currentString = 12;
    rig.tuning.savedMandal[5] = 4;
    rig.instrument.transposedMandal[26] = -1;
    rig.handlers.Command9_Click();
    for (int s = 1; s <= 26; ++s)
        EXPECT_EQ(pos()[s], 0) << s;
    EXPECT_EQ(rig.view.calls, (std::vector<std::string>{"arıza_yaz 5", "arıza_yaz 12", "mandal_at",
                                                        "porte", "etiket", "arıza_yaz 26"}));
    EXPECT_EQ(preparedStrings(), (std::vector<int>{5, 12, 26}));
    EXPECT_EQ(*rig.sounds.stringSound(5), preparedAt(5, 0, 2));
    EXPECT_EQ(*rig.sounds.stringSound(26), preparedAt(26, 0, 0));
    // Only the sounding setting is reset.
    EXPECT_EQ(rig.tuning.savedMandal[5], 4);
    EXPECT_EQ(rig.instrument.transposedMandal[26], -1);
    EXPECT_EQ(rig.controls.focusCount, 1);
}

TEST_F(TuningHandlersTest, MandalResetRedrawsStaffAndPanelOnlyForAMovedCurrentString) {
    pos()[5] = 1;
    rig.instrument.currentString = 12; // its mandal is already at 0
    rig.handlers.Command9_Click();
    EXPECT_EQ(rig.view.calls, std::vector<std::string>{"arıza_yaz 5"});

    rig.view.calls.clear();
    rig.handlers.Command9_Click(); // all at 0: nothing at all
    EXPECT_TRUE(rig.view.calls.empty());
    EXPECT_EQ(preparedStrings(), std::vector<int>{5});
    EXPECT_EQ(rig.controls.focusCount, 2);
}

} // namespace
} // namespace zembera
