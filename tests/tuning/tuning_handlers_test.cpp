// The handlers of the setting switch and the resets. The pitch level and the degree shift are
// checked with the transposition; the octave division, which changes no pitch, through the window.

#include <gtest/gtest.h>

#include <cmath>

#include "support/program_folder.h"
#include "tuning/transposition_messages.h"
#include "tuning_rig.h"

namespace zembera {
namespace {

using test::TuningRig;
using Calls = std::vector<std::string>;

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

TEST_F(TuningHandlersTest, SettingSwitchSavesRestoresAndRedrawsTheStringsThatMoved) {
    PerString16 untransposed{0, 0, 0, 2}, transposed{};
    transposed[12] = -1;
    pos() = untransposed;
    rig.instrument.transposedMandal = transposed;
    rig.instrument.currentString = 12;
    rig.handlers.settingSwitchClick(2);
    EXPECT_FALSE(rig.instrument.untransposedShown);
    EXPECT_EQ(pos(), transposed);
    EXPECT_EQ(rig.tuning.savedMandal, untransposed);
    EXPECT_EQ(rig.view.calls, (Calls{"arıza_yaz 3", "arıza_yaz 12", "mandal_at"}));
    rig.view.calls.clear();
    pos()[12] = 0; // a change to the transposed setting is not kept
    rig.handlers.settingSwitchClick(1);
    EXPECT_TRUE(rig.instrument.untransposedShown);
    EXPECT_EQ(pos(), untransposed);
    EXPECT_EQ(rig.view.calls, Calls{"arıza_yaz 3"}); // string 12 stayed at 0
    EXPECT_EQ(rig.controls.focusCount, 2);
}

TEST_F(TuningHandlersTest, TuningResetRebuildsOnlyRetunedStringsWhereTheirMandalsStand) {
    // Without fine tuning nothing is rebuilt, but the panel is still redrawn.
    rig.handlers.tuningResetClick();
    EXPECT_TRUE(preparedStrings().empty());
    EXPECT_EQ(rig.view.calls, Calls{"etiket"});

    rig.view.calls.clear();
    pos()[3] = 2;
    pos()[20] = -3;
    pos()[9] = 4; // no fine tuning: left alone
    rig.tuning.tuningOffset[3] = 2;
    rig.tuning.tuningOffset[20] = -0.25f;
    rig.handlers.tuningResetClick();
    EXPECT_EQ(rig.tuning.tuningOffset, (std::array<float, 27>{}));
    EXPECT_EQ(preparedStrings(), (std::vector<int>{3, 20}));
    EXPECT_EQ(*rig.sounds.stringSound(3), preparedAt(3, 2, 0));
    EXPECT_EQ(*rig.sounds.stringSound(20), preparedAt(20, -3, 0));
    // The frequency shown is that of the last string rebuilt.
    EXPECT_FLOAT_EQ(rig.sounds.noteFrequency,
                    static_cast<float>(262 * std::pow(2, rig.tables.centTable(20, -3) / 1200)));
    EXPECT_EQ(rig.view.calls, Calls{"etiket"});
    EXPECT_EQ(rig.controls.focusCount, 2);
}

TEST_F(TuningHandlersTest, MandalResetRebuildsMovedStringsAtZeroAndRedrawsAMovedCurrentOne) {
    pos()[5] = -2;
    rig.tuning.tuningOffset[5] = 2;
    pos()[12] = 3;
    pos()[26] = 9;
    rig.instrument.currentString = 12;
    rig.tuning.savedMandal[5] = 4;
    rig.instrument.transposedMandal[26] = -1;
    rig.handlers.mandalResetClick();
    EXPECT_EQ(pos(), PerString16{});
    EXPECT_EQ(rig.view.calls, (Calls{"arıza_yaz 5", "arıza_yaz 12", "mandal_at", "porte", "etiket",
                                     "arıza_yaz 26"}));
    EXPECT_EQ(preparedStrings(), (std::vector<int>{5, 12, 26}));
    EXPECT_EQ(*rig.sounds.stringSound(5), preparedAt(5, 0, 2));
    EXPECT_EQ(*rig.sounds.stringSound(26), preparedAt(26, 0, 0));
    // Only the sounding setting is reset.
    EXPECT_EQ(rig.tuning.savedMandal[5], 4);
    EXPECT_EQ(rig.instrument.transposedMandal[26], -1);
    EXPECT_EQ(rig.controls.focusCount, 1);

    // A current string already at 0 is not redrawn; with every mandal at 0 nothing is.
    rig.view.calls.clear();
    pos()[5] = 1;
    rig.handlers.mandalResetClick();
    EXPECT_EQ(rig.view.calls, Calls{"arıza_yaz 5"});
    rig.view.calls.clear();
    rig.handlers.mandalResetClick();
    EXPECT_TRUE(rig.view.calls.empty());
    EXPECT_EQ(rig.controls.focusCount, 3);
}

} // namespace
} // namespace zembera
