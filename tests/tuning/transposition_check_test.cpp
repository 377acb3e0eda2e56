// The transposition on the bundled pitch table, as approved dumps. First: for each setting, level
// and shift the bar's final value, the setting shown, the total shift, every string's position (a
// star where its number is drawn red) and the messages shown. The positions were approved against
// the degrees the records list: each string reached sounds its origin's degree moved by the total.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <regex>
#include <sstream>

#include "support/golden.h"
#include "support/program_folder.h"
#include "tuning_rig.h"

namespace zembera {
namespace {

PerString16 setting(std::initializer_list<std::pair<std::initializer_list<int>, int>> groups) {
    PerString16 p{};
    for (const auto& [strings, position] : groups) {
        for (int s : strings)
            p[s] = static_cast<std::int16_t>(position);
    }
    return p;
}

// Chooses `level` from a transposed setting, which the run must first undo, then moves the bar.
std::string run(int level, int shift, const PerString16& start) {
    test::TuningRig rig(test::bundledTables());
    rig.instrument.mandalPos = start;
    rig.controls.setDegreeShift(1);
    rig.messages.shown.clear();
    rig.handlers.pitchLevelClick(level);
    if (shift != 0) rig.controls.setDegreeShift(shift);
    const InstrumentState& st = rig.instrument;
    EXPECT_EQ(rig.controls.degreeShiftBox, std::to_string(rig.controls.hscroll));
    EXPECT_EQ(st.untransposedShown, rig.controls.settingSwitch == 1);
    if (rig.controls.settingSwitch == 2) {
        EXPECT_EQ(rig.tuning.savedMandal, start);
    }
    std::ostringstream out;
    out << "ahenk " << level << " kaydırma " << shift << " -> " << rig.controls.hscroll << " düzen "
        << rig.controls.settingSwitch << " toplam " << rig.tuning.totalDegreeShift << ":";
    for (int s = 1; s <= 26; ++s)
        out << ' ' << st.mandalPos[s] << (test::redCell(rig.controls.column, s) ? "*" : "");
    out << '\n';
    // The messages by the numbers they name, in order (two for a position no record lists, seven
    // for a target outside the table, five for no place on the target); their texts are checked
    // apart.
    for (std::size_t i = 0; i < rig.messages.shown.size(); ++i) {
        out << (i == 0 ? "  !" : ";");
        const auto& m = rig.messages.shown[i];
        std::istringstream words(std::regex_replace(m, std::regex("[^-0-9]+"), " "));
        for (std::string w; words >> w;)
            out << ' ' << w;
    }
    out << (rig.messages.shown.empty() ? "" : "\n");
    return out.str();
}

// Every level and shift from the open strings; the other settings at a few shifts: positions no
// record lists (13 beyond every row, -9 below the scale, 32767 far off it), a Rast-like setting
// (Segâh and Irak a comma low), a Hicaz-like one, the mandals at the ends of their rows and a
// position no target string can take.
TEST(TranspositionCheck, EveryLevelAndShiftFromSixSettings) {
    InstrumentState ranges;
    setMandalRanges(ranges);
    PerString16 ends{};
    for (int s = 1; s <= 26; ++s)
        ends[s] = s % 2 ? ranges.mandalMax[s] : ranges.mandalMin[s];
    const std::pair<const char*, PerString16> settings[] = {
        {"açık teller", PerString16{}},
        {"listede olmayan yerler", setting({{{8, 15, 22}, 13}, {{9}, -9}, {{10}, 32767}})},
        {"Rast", setting({{{1, 8, 15, 22}, -2}, {{4, 11, 18, 25}, -2}})},
        {"Hicaz", setting({{{4, 11, 18, 25}, -6}, {{3, 10, 17, 24}, 6}, {{7, 14, 21}, 5}})},
        {"sıra uçları", ends},
        // (22, 12) sounds degree -41, listed only in that record's third place: KIZ NEYİ moves it
        // to string 24, which cannot reach it; the red number of string 26 walked before stays.
        {"22 en üstte", setting({{{24}, 1}, {{22}, 12}})},
    };
    std::string dump;
    for (const auto& [name, start] : settings) {
        const bool open = start == PerString16{};
        dump += std::string("# ") + name + "\n";
        for (int level = 1; level <= 8; ++level) {
            for (int shift = -8; shift <= 12; ++shift) {
                if (open || shift == -8 || shift == 0 || shift == 7 || shift == 12)
                    dump += run(level, shift, start);
            }
        }
    }
    test::expectGolden("tuning/transposition.txt", dump);
}

// Then the walk on the bundled table and on a copy of it with records changed: the positions
// each run leaves and the whole messages it shows.
class TranspositionWalk : public ::testing::Test {
  protected:
    // A fresh instrument on the table as it stands.
    test::TuningRig& fresh() { return rig.emplace(*table); }
    PerString16& pos() { return rig->instrument.mandalPos; }
    // Each string's position, transposed position and (strings 1 to 7) full-scale target, the
    // level, the setting shown and the messages, one a line.
    std::string after(const std::string& title) {
        std::ostringstream out;
        out << "# " << title << ": ahenk " << rig->tuning.ahenkIndex << ", düzen "
            << rig->controls.settingSwitch << '\n';
        for (int s = 1; s <= 26; ++s) {
            out << ' ' << pos()[s] << '/' << rig->instrument.transposedMandal[s];
            if (s <= 7) out << '/' << rig->instrument.fullRangeTransposed[s];
        }
        out << '\n';
        for (std::string m : rig->messages.shown) {
            std::replace(m.begin(), m.end(), '\r', '|');
            std::replace(m.begin(), m.end(), '\n', '|');
            out << "ileti: " << m << '\n';
        }
        rig->messages.shown.clear();
        return out.str();
    }
    // Moves the place (s, m) from record `from` into the third place of record `to`.
    void movePlace(int s, int m, int from, int to) {
        DegreeRecord& r = table->degreeTable(from);
        for (auto [tel, mandal] :
             {std::pair{&r.tel1, &r.mandal1}, {&r.tel2, &r.mandal2}, {&r.tel3, &r.mandal3}}) {
            if (*tel == s && *mandal == m) *tel = 0;
        }
        table->degreeTable(to).tel3 = static_cast<int16_t>(s);
        table->degreeTable(to).mandal3 = static_cast<int16_t>(m);
    }

    std::unique_ptr<PitchTables> table = std::make_unique<PitchTables>(test::bundledTables());
    std::optional<test::TuningRig> rig;
};

// Folded strings forget the target of an earlier run; unknown levels change nothing; a huge shift
// stays in the tables (message B for every string of the walk 11..26); a position no record lists
// (message A). On changed records: DAVUD NIS. with shift 12 moves by 38 degrees, so from 159 the
// target lies past 196 (B), from 158 it is 196 itself, still searched but with no place on
// string 8 (C); the target takes the second place first and ignores places off the scale.
TEST_F(TranspositionWalk, WalksAndMessagesAsOneDump) {
    fresh().controls.setDegreeShift(1);
    rig->controls.selectSetting(1);
    pos()[8] = 13;
    rig->controls.setDegreeShift(2);
    std::string dump = after("string 8 at 13, shift 2 after 1");
    fresh();
    pos()[12] = 2;
    for (int level : {0, 9, -1}) {
        rig->handlers.trans_çalgı(level, 1);
        rig->handlers.pitchLevelClick(level);
    }
    dump += after("levels 0, 9, -1");
    rig->handlers.trans_çalgı(8, 30000);
    dump += after("level 8, shift 30000");
    fresh();
    pos()[9] = -9;
    rig->controls.setDegreeShift(1);
    dump += after("string 9 at -9, shift 1");

    movePlace(10, 0, 79, 159);
    movePlace(11, 0, 72, 158);
    fresh().tuning.ahenkIndex = 7;
    rig->controls.setDegreeShift(12);
    dump += after("(10, 0) moved to 159, (11, 0) to 158, level 7, shift 12");
    *table = test::bundledTables();
    DegreeRecord& r = table->degreeTable(60); // string 12 at 1, one above its open degree
    r = DegreeRecord{12, 5, 12, 2, 12, 3, r.cent, r.ad};
    fresh().handlers.trans_çalgı(5, 1);
    dump += after("60 holds (12, 5), (12, 2), (12, 3)");
    rig->controls.selectSetting(1);
    r = DegreeRecord{12, 40, 30, 2, 12, -20, r.cent, r.ad}; // no such string and positions
    rig->handlers.trans_çalgı(5, 1);
    test::expectGolden("tuning/transposition_walk.txt",
                       dump + after("60 holds places off the scale"));
}

// The handlers of the setting switch and the resets; the octave division, which changes no
// pitch, is checked through the window.

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
