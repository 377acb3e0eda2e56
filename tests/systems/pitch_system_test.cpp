// The pitch tables of every bundled system as approved dumps, the 79-tone one against Dizek.txt;
// Scala and MIDI tuning exports as approved files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "pitch/scala_file.h"
#include "sound/sound_test_support.h"
#include "support/golden.h"
#include "systems/pitch_system.h"
#include "systems/system_files.h"
#include "systems/tuning_export.h"

namespace zembera::systems {
namespace {

using test::expectGolden;

const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

const DegreeNamer& names() {
    static const DegreeNamer namer = readDegreeNamer(kProgram);
    return namer;
}

std::string trimmed(const std::string& s) {
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

// A system's scale, written C and naturals, then per string its open name, range and each
// position's degree=cents (and with `named` its name and accidental mark).
std::string dump(const PitchSystem& sys, bool named, int digits = 2) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(digits) << sys.name << ": " << sys.scale.size()
        << " perde, periyot " << sys.scale.period << ", C adımı " << sys.cStep << ", doğallar";
    for (int i = 0; i < 7; ++i)
        out << ' ' << sys.layout.cents(sys.layout.naturalDegree(i));
    out << '\n';
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        out << "tel " << s << " '" << trimmed(sys.tables.degreeName(s, 0)) << "' "
            << sys.mandalMin[i] << ".." << sys.mandalMax[i] << ":";
        for (int m = sys.mandalMin[i]; m <= sys.mandalMax[i]; ++m) {
            out << ' ' << sys.tables.stringDegree(s, m) << '=' << sys.tables.centTable(s, m);
            if (named)
                out << " '" << trimmed(sys.tables.degreeName(s, m)) << "' "
                    << sys.tables.mandalMark(s, m) << ';';
        }
        out << '\n';
    }
    return out.str();
}

// Every bundled system; the names and marks of a perde within 5 cents, else the name below with
// its cents, shown on 12-EDO.
TEST(PitchSystems, EveryStringAtEveryPositionSoundsItsScaleDegree) {
    std::string all;
    for (const BundledSystem& b : bundledSystems())
        all += dump(findSystem(kProgram, b.name, names()), false);
    expectGolden("systems/bundled.txt", all);
    expectGolden("systems/twelve_named.txt", dump(findSystem(kProgram, "12 eşit", names()), true));
}

// Every position's cents (to the last digit), degree, name and mark, and every degree record.
TEST(PitchSystems, Yarman79IsTheBundledTable) {
    const PitchSystem sys = findSystem(kProgram, "yarman79", names());
    const auto bytes = test::readFile(kProgram / "Dizek.txt");
    PitchSystem dizek = sys;
    dizek.tables = parsePitchTable(std::string(bytes.begin(), bytes.end()), "Dizek.txt");
    EXPECT_EQ(dump(sys, true, 17), dump(dizek, true, 17));
    for (int k = kDegreeLow; k <= kDegreeHigh; ++k) {
        const DegreeRecord& a = sys.tables.degreeTable(k);
        const DegreeRecord& b = dizek.tables.degreeTable(k);
        EXPECT_EQ(std::tie(a.tel1, a.mandal1, a.tel2, a.mandal2, a.tel3, a.mandal3, a.cent, a.ad),
                  std::tie(b.tel1, b.mandal1, b.tel2, b.mandal2, b.tel3, b.mandal3, b.cent, b.ad))
            << k;
    }
    EXPECT_EQ(sys.tables.octaveDivisionCaptions, dizek.tables.octaveDivisionCaptions);
}

TEST(PitchSystems, RefusesAScaleWhoseDegreesDoNotFitTheTables) {
    test::TempDir temp;
    const std::filesystem::path& dir = temp.path();
    std::string text = "160 equal\n160\n";
    for (int k = 1; k < 160; ++k)
        text += std::to_string(1200.0 * k / 160) + "\n";
    std::ofstream(dir / "160.scl") << text << "2/1\n";
    EXPECT_THAT([&] { findSystem(kProgram, (dir / "160.scl").string(), names()); },
                testing::ThrowsMessage<std::runtime_error>(
                    testing::HasSubstr("160.scl: 160 perdeli bu sistem çalgıya sığmıyor")));
    EXPECT_THROW(findSystem(kProgram, "Yarman 81", names()), std::runtime_error);
}

// A keyboard mapping beside the scale says which degree is C4: key 60 on step 2.
TEST(PitchSystems, AKeyboardMappingBesideTheScaleChoosesItsC) {
    test::TempDir temp;
    const std::filesystem::path& dir = temp.path();
    std::filesystem::copy_file(kProgram / kSystemsFolder / "12-edo.scl", dir / "twelve.scl");
    std::ofstream(dir / "twelve.kbm") << "! twelve.kbm\n0\n0\n127\n58\n69\n440.0\n12\n";
    const PitchSystem sys = findSystem(kProgram, (dir / "twelve.scl").string(), names());
    EXPECT_EQ(sys.cStep, 2);
    EXPECT_EQ(sys.name, "twelve");
    EXPECT_NEAR(sys.tables.centTable(16, 0), 200.0, 1e-3);
}

// Every string on its natural in 12-EDO above C4 = 262 Hz, A4 2.25 cents higher, D5 50.5.
StringCents handTuning(double shift) {
    StringCents cents{};
    for (int s = 1; s <= kStringCount; ++s)
        cents[static_cast<std::size_t>(s)] = 100.0 * (stringKey(s) - 60) + shift;
    cents[12] += 2.25;
    cents[9] += 50.5;
    return cents;
}

// Scala files (degrees from C2, black keys unmapped) of the hand tuning and of the 79-tone system
// with strings at their ends and fine tuned; the MIDI dump shifted onto equal-tempered naturals.
TEST(TuningExport, ScalaFilesAndMidiBulkDumpAreTheApprovedOnes) {
    const PitchSystem sys = findSystem(kProgram, "yarman79", names());
    std::array<std::int16_t, kStringCount + 1> positions{};
    std::array<float, kStringCount + 1> tuning{};
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        positions[i] = static_cast<std::int16_t>(s % 2 ? sys.mandalMax[i] : sys.mandalMin[i]);
        tuning[i] = 0.25f * static_cast<float>(s % 5) - 0.5f;
    }
    const StringCents varied = soundingCents(sys.tables, positions, tuning);
    const ScalaFiles files = exportScala(handTuning(0.0), "test", "ZEMBERA test");
    const ScalaFiles other = exportScala(varied, "x", "yarman79");
    const double toEqual = -1200.0 * std::log2(262.0 / (440.0 * std::exp2(-9.0 / 12.0)));
    const std::vector<std::uint8_t> dump = exportMidiTuning(handTuning(toEqual), "ZEMBERA test");
    std::ostringstream hex;
    for (std::size_t i = 0; i < dump.size(); ++i)
        hex << std::hex << std::setw(2) << std::setfill('0') << int{dump[i]}
            << (i % 24 == 23 ? '\n' : ' ');
    expectGolden("systems/export.txt",
                 files.scl + files.kbm + hex.str() + "\n" + other.scl + other.kbm);
}

} // namespace
} // namespace zembera::systems
