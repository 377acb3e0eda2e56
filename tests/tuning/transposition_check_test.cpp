// The transposition on the bundled pitch table, as one approved dump: for each setting, level and
// shift the bar's final value, the setting shown, the total shift, every string's position (a star
// where its number is drawn red) and the messages shown. The positions were approved against the
// degrees the records list: each string reached sounds its origin's degree moved by the total.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/golden.h"
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

} // namespace
} // namespace zembera
