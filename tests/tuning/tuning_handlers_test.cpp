// The handlers of the setting switch and the resets. The pitch level and the degree shift are
// checked with the transposition; the octave division, which changes no pitch, through the window.

#include <gtest/gtest.h>

#include <sstream>

#include "support/golden.h"
#include "support/program_folder.h"
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
    // What a step did, for an approved dump: the redraws asked for, the positions sounding and
    // saved, the strings prepared so far (each the fresh preparation at its position and fine
    // tuning), the frequency shown, the focus given back and the setting shown.
    std::string step(const std::string& title) {
        std::ostringstream out;
        out << "# " << title << "\nçizim:";
        for (const std::string& call : rig.view.calls)
            out << " [" << call << ']';
        out << "\nmandallar:";
        for (int s = 1; s <= 26; ++s)
            out << ' ' << pos()[s] << '/' << rig.tuning.savedMandal[s] << '/'
                << rig.instrument.transposedMandal[s];
        out << "\nhazır:";
        const SoundImagePtr never = StringSounds(folder, {}, rig.messages).stringSound(1);
        for (int s = 1; s <= 26; ++s) {
            if (*rig.sounds.stringSound(s) == *never) continue;
            out << ' ' << s;
            EXPECT_TRUE(*rig.sounds.stringSound(s) ==
                        preparedAt(s, pos()[s], rig.tuning.tuningOffset[s]))
                << "string " << s << " is not the fresh preparation at its position";
        }
        out << "\nfrekans " << rig.sounds.noteFrequency << ", odak " << rig.controls.focusCount
            << ", düzen " << (rig.instrument.untransposedShown ? 1 : 2) << '\n';
        rig.view.calls.clear();
        return out.str();
    }

    static inline std::filesystem::path folder;
    TuningRig rig{test::bundledTables(), folder};
    PerString16& pos() { return rig.instrument.mandalPos; }
};

// The setting switch saves, restores and redraws the strings that moved (a change to the
// transposed setting is not kept); the tuning reset rebuilds only retuned strings where their
// mandals stand and shows the last one's frequency; the mandal reset rebuilds moved strings at 0
// with their fine tuning, redraws a moved current string and resets only the sounding setting.
TEST_F(TuningHandlersTest, SettingSwitchAndResetsAsOneDump) {
    pos() = PerString16{0, 0, 0, 2};
    rig.instrument.transposedMandal[12] = -1;
    rig.instrument.currentString = 12;
    rig.handlers.settingSwitchClick(2);
    std::string dump = step("transposed setting shown");
    pos()[12] = 0;
    rig.handlers.settingSwitchClick(1);
    dump += step("back, string 12 moved to 0 meanwhile");
    rig.handlers.tuningResetClick();
    dump += step("tuning reset without fine tuning");
    pos()[3] = 2;
    pos()[20] = -3;
    pos()[9] = 4; // no fine tuning: left alone
    rig.tuning.tuningOffset[3] = 2;
    rig.tuning.tuningOffset[20] = -0.25f;
    rig.handlers.tuningResetClick();
    EXPECT_EQ(rig.tuning.tuningOffset, (std::array<float, 27>{}));
    dump += step("tuning reset with strings 3 and 20 retuned");
    pos()[5] = -2;
    rig.tuning.tuningOffset[5] = 2;
    pos()[12] = 3;
    pos()[26] = 9;
    rig.tuning.savedMandal[5] = 4;
    rig.instrument.transposedMandal[26] = -1;
    rig.handlers.mandalResetClick();
    dump += step("mandal reset, current string 12 moved");
    pos()[5] = 1;
    rig.handlers.mandalResetClick();
    dump += step("mandal reset, only string 5 moved");
    rig.handlers.mandalResetClick();
    test::expectGolden("tuning/handlers.txt", dump + step("mandal reset, nothing moved"));
}

} // namespace
} // namespace zembera
