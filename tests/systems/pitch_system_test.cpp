// The pitch tables of every bundled system against its scale, the 79-tone one against Dizek.txt;
// Scala and MIDI tuning exports against files written by hand from the published formats.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "pitch/scala_file.h"
#include "sound/sound_test_support.h"
#include "systems/pitch_system.h"
#include "systems/system_files.h"
#include "systems/tuning_export.h"

namespace zembera::systems {
namespace {

const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

std::string readBytes(const std::filesystem::path& path) {
    const auto bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

const DegreeNamer& names() {
    static const DegreeNamer namer = readDegreeNamer(kProgram);
    return namer;
}

// The scale of a bundled system; its reader has tests of its own.
Scale scaleOf(const std::string& file) {
    return parseScale(readBytes(kProgram / kSystemsFolder / file), file);
}

// The step of C, the naturals above it, the range of strings 8..26 (0, 0: differs by string).
struct Expected {
    const char* name;
    const char* file;
    int cStep;
    std::vector<int> naturals;
    int low;
    int high;
};

const Expected kSystems[] = {
    {"Yarman 79", "79-159.scl", 0, {0, 13, 26, 33, 46, 59, 72}, -8, 12},
    {"Yarman 80", "80-159.scl", 0, {0, 13, 26, 33, 47, 60, 73}, -8, 12},
    {"53 koma", "53-commas.scl", 0, {0, 9, 18, 22, 31, 40, 49}, -8, 9},
    {"Rauf Yekta 24", "turkish_24.scl", 20, {0, 4, 8, 9, 14, 18, 22}, 0, 0},
    {"AEU 41", "aeu-41.scl", 0, {0, 7, 14, 17, 24, 31, 38}, -7, 7},
    {"72 eşit", "72-edo.scl", 0, {0, 12, 24, 30, 42, 54, 66}, -8, 12},
    {"12 eşit", "12-edo.scl", 0, {0, 2, 4, 5, 7, 9, 11}, -2, 2},
};

// Cents above C4 of degree d (0 = C4) of a system.
double expectedCents(const Scale& scale, int cStep, int d) {
    return degreeCents(scale, cStep + d) - degreeCents(scale, cStep);
}

// The degree of string s's open natural: string 17 is C4, each string one natural lower.
int openDegree(const Expected& e, int degreesPerOctave, int s) {
    const int index = 17 - s;
    const int octave = static_cast<int>(std::floor(index / 7.0));
    return octave * degreesPerOctave + e.naturals[static_cast<std::size_t>(index - octave * 7)];
}

TEST(PitchSystems, EveryStringAtEveryPositionSoundsItsScaleDegree) {
    for (const Expected& e : kSystems) {
        SCOPED_TRACE(e.name);
        const PitchSystem sys = findSystem(kProgram, e.name, names());
        const Scale scale = scaleOf(e.file);
        EXPECT_EQ(sys.name, e.name);
        for (int s = 1; s <= kStringCount; ++s) {
            const int open = openDegree(e, scale.size(), s);
            const int low = sys.mandalMin[static_cast<std::size_t>(s)];
            const int high = sys.mandalMax[static_cast<std::size_t>(s)];
            if (s > 7 && e.low != e.high) {
                EXPECT_EQ(std::pair(low, high), std::pair(e.low, e.high)) << s;
            }
            // The range ends about a whole tone from the open string, or at the last mandal.
            const double openCents = expectedCents(scale, e.cStep, open);
            auto reach = [&](int m) {
                return std::abs(expectedCents(scale, e.cStep, open + m) - openCents);
            };
            if (low > mandalMinOf(s)) {
                EXPECT_GT(reach(low - 1), 204.0) << s;
            }
            if (high < mandalMaxOf(s)) {
                EXPECT_GT(reach(high + 1), 204.0) << s;
            }
            EXPECT_LT(std::max(reach(low), reach(high)), 211.0) << s;
            // Strings 1..7 of the systems whose whole tone spans the full row fold it.
            const bool folds = e.low == -8 && e.high == 12 && s <= 7;
            for (int m = low; m <= high; ++m) {
                const int degree = folds ? open + sys.layout.markAt(s, m) : open + m;
                EXPECT_NEAR(sys.tables.centTable(s, m), expectedCents(scale, e.cStep, degree), 1e-3)
                    << "string " << s << " position " << m;
                EXPECT_EQ(sys.tables.stringDegree(s, m), degree) << s << "," << m;
            }
        }
    }
}

// The written naturals of the Pythagorean systems are the pure ones: D is 9/8 above C.
TEST(PitchSystems, PythagoreanGamutsGiveThePureNaturals) {
    const double pure[] = {0, 203.910, 407.820, 498.045, 701.955, 905.865, 1109.775};
    for (const char* name : {"Rauf Yekta 24", "AEU 41"}) {
        const PitchSystem sys = findSystem(kProgram, name, names());
        for (int i = 0; i < 7; ++i)
            EXPECT_NEAR(sys.layout.cents(sys.layout.naturalDegree(i)), pure[i], 1e-2) << name;
    }
}

TEST(PitchSystems, Yarman79IsTheBundledTableToTheLastBit) {
    const PitchSystem sys = findSystem(kProgram, "yarman79", names());
    const PitchTables dizek = parsePitchTable(readBytes(kProgram / "Dizek.txt"), "Dizek.txt");
    const PitchTables& t = sys.tables;
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        EXPECT_EQ((std::pair<int, int>(sys.mandalMin[i], sys.mandalMax[i])),
                  std::pair(mandalMinOf(s), mandalMaxOf(s)));
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            EXPECT_EQ(
                std::tie(t.centTable(s, m), t.degreeName(s, m), t.stringDegree(s, m)),
                std::tie(dizek.centTable(s, m), dizek.degreeName(s, m), dizek.stringDegree(s, m)))
                << s << "," << m;
        for (int m = kMarkIndexLow; m <= kMarkIndexHigh; ++m)
            EXPECT_EQ(t.mandalMark(s, m), dizek.mandalMark(s, m)) << s << "," << m;
    }
    for (int k = kDegreeLow; k <= kDegreeHigh; ++k) {
        const DegreeRecord& a = t.degreeTable(k);
        const DegreeRecord& b = dizek.degreeTable(k);
        EXPECT_EQ(std::tie(a.tel1, a.mandal1, a.tel2, a.mandal2, a.tel3, a.mandal3, a.cent, a.ad),
                  std::tie(b.tel1, b.mandal1, b.tel2, b.mandal2, b.tel3, b.mandal3, b.cent, b.ad))
            << k;
    }
    EXPECT_EQ(t.octaveDivisionCaptions, dizek.octaveDivisionCaptions);
}

// A perde's name within 5 cents, else the name below with its cents; marks follow the cents.
TEST(PitchSystems, NamesAndMarksFollowTheCents) {
    const PitchSystem twelve = findSystem(kProgram, "12 eşit", names());
    auto name = [&](int s, int m) {
        std::string n = twelve.tables.degreeName(s, m);
        return n.substr(0, n.find_last_not_of(' ') + 1);
    };
    EXPECT_EQ(name(17, 0), "Kaba Çargâh");
    EXPECT_EQ(name(13, 0), "Râst");
    EXPECT_EQ(name(17, 1), "Kaba Nim Hicâz +9 sent"); // 100 cents, Kaba Nim Hicâz at 90.6
    EXPECT_EQ(twelve.tables.mandalMark(17, 1), 7);    // 100 cents, 6.6 steps of 79
    EXPECT_EQ(twelve.tables.mandalMark(17, -2), -12); // -13.2 steps, held at a double flat
    const PitchSystem commas = findSystem(kProgram, "53-commas", names());
    EXPECT_EQ(commas.tables.degreeName(16, 0).find("Yegâh "), 0u);
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

TEST(TuningExport, ScalaFilesAreTheOnesWrittenByHand) {
    const ScalaFiles files = exportScala(handTuning(0.0), "test", "ZEMBERA test");
    EXPECT_EQ(files.scl, "! test.scl\n!\nZEMBERA test\n 9\n!\n"
                         " 200.000000\n 250.500000\n 400.000000\n 500.000000\n 700.000000\n"
                         " 900.000000\n 902.250000\n 1100.000000\n 2/1\n");
    // Degrees from C2, 9 per octave; keys 45 (A2) to 88 (E6), black keys unmapped.
    EXPECT_EQ(files.kbm, "! test.kbm\n!\n"
                         "! Eşleme uzunluğu:\n44\n"
                         "! İlk ve son tuş:\n45\n88\n"
                         "! Eşlemenin ilk tuşu:\n45\n"
                         "! Frekansı verilen tuş ve frekansı (Hz):\n60\n262.000000\n"
                         "! Oktav derecesi:\n9\n"
                         "! Eşleme:\n"
                         "6\nx\n8\n"                                   // A2 - B2
                         "9\nx\n10\nx\n12\n13\nx\n14\nx\n15\nx\n17\n"  // C3 - B3
                         "18\nx\n19\nx\n21\n22\nx\n23\nx\n25\nx\n26\n" // C4 - B4
                         "27\nx\n29\nx\n30\n31\nx\n32\nx\n33\nx\n35\n" // C5 - B5
                         "36\nx\n37\nx\n39\n");                        // C6 - E6
}

TEST(TuningExport, MidiBulkDumpIsTheOneWrittenByHand) {
    // Shifted so that the naturals fall on equal-tempered keys (A4 = 440 Hz).
    const double toEqual = -1200.0 * std::log2(262.0 / (440.0 * std::exp2(-9.0 / 12.0)));
    const std::vector<std::uint8_t> dump = exportMidiTuning(handTuning(toEqual), "ZEMBERA test");
    const std::string name = "ZEMBERA test    ";
    std::vector<std::uint8_t> expected = {0xF0, 0x7E, 0x7F, 0x08, 0x01, 0x00};
    expected.insert(expected.end(), name.begin(), name.end());
    for (int key = 0; key < 128; ++key)
        expected.insert(expected.end(), {static_cast<std::uint8_t>(key), 0x00, 0x00});
    // Key 69 +2.25 cents: 368.64 of 16384, 369 = 2 * 128 + 113; key 74 +50.5 cents: 8273.92,
    // 8274 = 64 * 128 + 82.
    std::copy_n(std::begin({0x02, 0x71}), 2, expected.begin() + 22 + 3 * 69 + 1);
    std::copy_n(std::begin({0x40, 0x52}), 2, expected.begin() + 22 + 3 * 74 + 1);
    // XOR from 7E up to the last note byte.
    expected.push_back(std::accumulate(expected.begin() + 1, expected.end(), std::uint8_t{0},
                                       std::bit_xor<std::uint8_t>{}) &
                       0x7F);
    expected.push_back(0xF7);
    ASSERT_EQ(dump.size(), 408u);
    EXPECT_EQ(dump, expected);
}

// The program's own reader gives back every string's pitch from the exported pair of files.
TEST(TuningExport, ExportedScalaReadsBackWithinAThousandthOfACent) {
    for (const BundledSystem& b : bundledSystems()) {
        SCOPED_TRACE(b.name);
        const PitchSystem sys = findSystem(kProgram, b.name, names());
        std::array<std::int16_t, kStringCount + 1> positions{};
        std::array<float, kStringCount + 1> tuning{};
        for (int s = 1; s <= kStringCount; ++s) {
            const auto i = static_cast<std::size_t>(s);
            positions[i] = static_cast<std::int16_t>(
                s % 3 == 0 ? sys.mandalMax[i] : (s % 3 == 1 ? sys.mandalMin[i] : 0));
            tuning[i] = s % 4 == 0 ? 0.25f * static_cast<float>(s) : (s % 5 == 0 ? -2.0f : 0.0f);
        }
        const StringCents cents = soundingCents(sys.tables, positions, tuning);
        const ScalaFiles files = exportScala(cents, "x", b.name);
        const Scale scale = parseScale(files.scl, "x.scl");
        const KeyboardMapping map = parseKeyboardMapping(files.kbm, "x.kbm");
        const double referenceCents = 1200.0 * std::log2(map.referenceHz / kReferenceHz) -
                                      degreeCents(scale, *degreeOfKey(map, map.referenceKey));
        for (int s = 1; s <= kStringCount; ++s) {
            const std::optional<int> degree = degreeOfKey(map, stringKey(s));
            ASSERT_TRUE(degree) << s;
            EXPECT_NEAR(referenceCents + degreeCents(scale, *degree),
                        cents[static_cast<std::size_t>(s)], 1e-3)
                << s;
        }
    }
}

} // namespace
} // namespace zembera::systems
