// The pitch tables of every bundled system against their .scl files read apart from the
// program; Scala and MIDI tuning exports read back by their formats' definitions.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_fields.h"
#include "pitch/scala_file.h"
#include "support/golden.h"
#include "support/scl_pitches.h"
#include "support/tuning_files.h"
#include "support/wav_files.h"
#include "systems/pitch_system.h"
#include "systems/system_files.h"
#include "systems/tuning_export.h"

namespace zembera::systems {
namespace {

using Exported = test::ScalaExport;

const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

const DegreeNamer& names() {
    static const DegreeNamer namer = readDegreeNamer(kProgram);
    return namer;
}

// The Turkish name of a pitch `cents` above C4, from perde-names.tsv read here: each row a pitch
// in commas (1200/53 cents) above Çargâh and its names in the octaves of C4, C5, C6 (an empty C6
// cell: "Tiz " and the C5 name); lower octaves add "Kaba ", higher "Tiz ". A perde within 5 cents
// (the one below first) names the pitch, else the perde below with the cents above it.
std::string perdeName(double cents) {
    std::ifstream in(kProgram / kSystemsFolder / kNameTableFile);
    std::string below, above, line, n[4];
    double belowAt = -1e9, aboveAt = 1e9;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        for (std::string& cell : n)
            if (!std::getline(fields, cell, '\t')) cell.clear();
        for (int octave = -3; octave <= 4; ++octave) {
            std::string name = octave < 0     ? n[1]
                               : octave < 2   ? n[octave + 1]
                               : n[3].empty() ? "Tiz " + n[2]
                                              : n[3];
            for (int o = octave; o < 0; ++o)
                name = "Kaba " + name;
            for (int o = 2; o < octave; ++o)
                name = "Tiz " + name;
            const double p = 1200.0 * octave + std::stoi(n[0]) * 1200.0 / 53;
            if (p <= cents && p > belowAt) belowAt = p, below = name;
            if (p > cents && p < aboveAt) aboveAt = p, above = name;
        }
    }
    if (cents - belowAt <= 5) return below;
    if (aboveAt - cents <= 5) return above;
    return below + " +" + std::to_string(std::lround(cents - belowAt)) + " sent";
}

// 12-EDO names and marks by their definitions: each string on its written natural, reaching the
// positions within 210 cents (a whole tone) of it, one semitone a position (its cents: the test
// below); each position named by the nearest perde and marked by the nearest count of 79-tone
// steps (1200/79 cents), at most the 12 of a whole sign.
TEST(PitchSystems, TwelveEqualNamesEachPositionByTheNearestPerde) {
    const PitchSystem sys = findSystem(kProgram, "12 eşit", names());
    EXPECT_EQ(perdeName(0), "Kaba Çargâh");
    EXPECT_EQ(perdeName(2700), "Tiz Nim Hisâr +6 sent");
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        EXPECT_EQ(sys.mandalMin[i], -2) << s;
        EXPECT_EQ(sys.mandalMax[i], 2) << s;
        for (int m = -2; m <= 2; ++m) {
            const double cents = test::naturalOf(s).cents() + 100 * m;
            const std::string& name = sys.tables.degreeName(s, m);
            EXPECT_EQ(name.substr(0, name.find_last_not_of(' ') + 1), perdeName(cents))
                << s << " " << m;
            EXPECT_EQ(sys.tables.mandalMark(s, m),
                      std::clamp(std::lround(100 * m * 79 / 1200.0), -12L, 12L))
                << s << " " << m;
        }
    }
}

// String s at position m, counted in degrees of `scale` from the degree nearest its written
// natural: one degree per position on every string, short ones too.
double oneDegreePerPosition(const test::SclPitches& scale, int s, int m) {
    return scale.at(test::nearestDegree(scale, test::naturalOf(s).cents()) + m);
}

// Outside the two Yarman systems the short strings 1..7 step one degree per position, as the
// long ones do, over as many positions as before: in 72 eşit the B half-flat of the upper octave
// (2250 cents) is string 4 at -3. Rauf Yekta's gamut starts on D: its C, cents 0, is the step
// nearest the fourth below the octave, 16/9.
TEST(PitchSystems, EveryStringStepsOneDegreePerPositionOutsideTheYarmanTables) {
    for (const BundledSystem& b : bundledSystems()) {
        if (b.tableFolding) continue;
        SCOPED_TRACE(b.name);
        test::SclPitches scale = test::readScl((kProgram / kSystemsFolder / b.file).string());
        if (b.file == std::string_view("turkish_24.scl")) {
            const int c = test::nearestDegree(scale, 1200 * std::log2(16.0 / 9));
            test::SclPitches fromC{{}, scale.period};
            for (int k = 0; k < scale.size(); ++k)
                fromC.steps.push_back(scale.at(c + k) - scale.at(c));
            scale = fromC;
        }
        const PitchSystem sys = findSystem(kProgram, b.name, names());
        for (int s = 1; s <= kStringCount; ++s) {
            const auto i = static_cast<std::size_t>(s);
            EXPECT_GE(sys.mandalMin[i], mandalMinOf(s)) << s;
            EXPECT_LE(sys.mandalMax[i], mandalMaxOf(s)) << s;
            for (int m = sys.mandalMin[i]; m <= sys.mandalMax[i]; ++m)
                EXPECT_NEAR(sys.tables.centTable(s, m), oneDegreePerPosition(scale, s, m), 1e-6)
                    << s << " " << m;
        }
    }
    const PitchSystem edo72 = findSystem(kProgram, "72 eşit", names());
    for (std::size_t s = 1; s <= 7; ++s)
        EXPECT_EQ((std::pair<int, int>(edo72.mandalMin[s], edo72.mandalMax[s])),
                  std::pair(mandalMinOf(int(s)), mandalMaxOf(int(s))));
    EXPECT_NEAR(edo72.tables.centTable(4, -3), 2250.0, 1e-6);
    EXPECT_NEAR(edo72.tables.centTable(4, -1), 2283.33333, 1e-5); // as the .scl writes it
}

// The Yarman tables from their .scl alone: degree d = octave·n + k sounds step k plus 1200 per
// octave (double precision: a float holds 1698.045 to 6e-5 only); the open strings are the
// written naturals, for Yarman 79 C D E F G A B at degrees 0 13 26 33 46 59 72 of each octave;
// strings 8..26 step one degree per position, 1..7 by their marks (Yarman 79) or degrees, which
// rise with the position and stay within a whole sign (±12). Each position is one place of its
// degree's record and takes its name; each record's cents are its degree's. Checked on the system
// and on Dizek.txt.
TEST(PitchSystems, YarmanTablesAreTheirScalesOnTheWrittenNaturals) {
    const auto bytes = test::readFile(kProgram / "Dizek.txt");
    const PitchTables dizek = parsePitchTable(std::string(bytes.begin(), bytes.end()), "Dizek.txt");
    constexpr int kNatural79[7] = {0, 13, 26, 33, 46, 59, 72};
    for (const BundledSystem& b : bundledSystems()) {
        if (!b.tableFolding) continue;
        SCOPED_TRACE(b.name);
        const test::SclPitches scale = test::readScl((kProgram / kSystemsFolder / b.file).string());
        const PitchSystem sys = findSystem(kProgram, b.name, names());
        const bool is79 = std::string(b.name) == "Yarman 79";
        EXPECT_EQ(scale.size(), is79 ? 79 : 80);
        std::vector<const PitchTables*> tables{&sys.tables};
        if (is79) tables.push_back(&dizek);
        for (const PitchTables* t : tables) {
            int positions = 0;
            for (int s = 1; s <= kStringCount; ++s) {
                const test::WrittenNatural natural = test::naturalOf(s);
                const int open = test::nearestDegree(scale, natural.cents());
                if (is79) {
                    EXPECT_EQ(open, 79 * natural.octave + kNatural79[natural.index]) << s;
                }
                int previous = -99;
                for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m, ++positions) {
                    // Yarman 80 marks its short strings by their cents, not degrees.
                    const int step = s >= 8 ? m
                                     : is79 ? t->mandalMark(s, m)
                                            : t->stringDegree(s, m) - open;
                    EXPECT_TRUE(step >= previous && std::abs(step) <= 12) << s << " " << m;
                    previous = step;
                    const int d = open + step;
                    EXPECT_EQ(t->stringDegree(s, m), d) << s << " " << m;
                    EXPECT_NEAR(t->centTable(s, m), scale.at(d), 1e-6) << s << " " << m;
                    const DegreeRecord& r = t->degreeTable(d);
                    EXPECT_TRUE((r.tel1 == s && r.mandal1 == m) ||
                                (r.tel2 == s && r.mandal2 == m) || (r.tel3 == s && r.mandal3 == m))
                        << s << " " << m << " is no place of degree " << d;
                    EXPECT_EQ(t->degreeName(s, m), r.ad) << s << " " << m;
                }
            }
            int places = 0;
            for (int d = kDegreeLow; d <= kDegreeHigh; ++d) {
                const DegreeRecord& r = t->degreeTable(d);
                places += (r.tel1 != 0) + (r.tel2 != 0) + (r.tel3 != 0);
                if (r.tel1 != 0) {
                    EXPECT_NEAR(r.cent, scale.at(d), 1e-6) << d;
                }
            }
            EXPECT_EQ(places, positions); // so each position is in one record only
            if (is79) {
                // The names the shipped table gives.
                for (int d = kFileDegreeLow; d <= kFileDegreeHigh; ++d)
                    EXPECT_EQ(t->degreeTable(d).ad, dizek.degreeTable(d).ad) << d;
                EXPECT_EQ(t->stringDegree(26, -8), -107);
                EXPECT_EQ(t->stringDegree(1, mandalMaxOf(1)), 196);
            }
        }
    }
}

Exported reread(const ScalaFiles& files) {
    return test::readScalaExport(files.scl, files.kbm);
}
// 100, 159 (the division Yarman 79 and 80 are drawn from) and 160 equal steps load: every
// string steps one degree per position from the degree nearest its natural (the export of any
// pitches: TuningExport). 161 steps are refused by the reader, and a finer scale given directly
// is refused in the musician's terms.
TEST(PitchSystems, ScalesOfUpTo160DegreesLoadAndExport) {
    test::TempDir temp;
    for (int n : {100, 159, 160}) {
        SCOPED_TRACE(n);
        const std::filesystem::path file = temp.path() / (std::to_string(n) + ".scl");
        std::ofstream(file) << test::equalScaleText(n);
        const test::SclPitches scale = test::readScl(file.string());
        const PitchSystem sys = findSystem(kProgram, file.string(), names());
        for (int s = 1; s <= kStringCount; ++s) {
            const auto i = static_cast<std::size_t>(s);
            for (int m = sys.mandalMin[i]; m <= sys.mandalMax[i]; ++m) {
                ASSERT_NEAR(sys.tables.centTable(s, m), oneDegreePerPosition(scale, s, m), 1e-6)
                    << s << " " << m;
            }
        }
    }
    std::ofstream(temp.path() / "161.scl") << test::equalScaleText(161);
    EXPECT_THAT([&] { findSystem(kProgram, (temp.path() / "161.scl").string(), names()); },
                testing::ThrowsMessage<FormatError>(testing::HasSubstr("161.scl")));
    Scale fine;
    for (int k = 0; k < 200; ++k)
        fine.steps.push_back(6.0 * k);
    fine.period = 1200;
    EXPECT_THAT([&] { PitchSystem("200", "200.scl", fine, 0, names()); },
                testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr(
                    "200.scl: bu sistemin oktavında 200 perde var; çalgı oktavda en çok 160")));
    EXPECT_THROW(findSystem(kProgram, "Yarman 81", names()), std::runtime_error);
}

// Pitches within a thousandth of a cent are one degree of the export, wherever the strings lie;
// two thousandths apart they stay two.
TEST(TuningExport, PitchesWithinAThousandthOfACentAreOneDegree) {
    StringCents cents{};
    for (int s = 1; s <= kStringCount; ++s)
        cents[static_cast<std::size_t>(s)] = test::naturalOf(s).cents();
    cents[12] += 0.0004; // A4
    cents[5] += 0.0009;  // A5
    cents[26] += 0.002;  // A2
    const Exported back = reread(exportScala(cents, "x", "x"));
    EXPECT_EQ(back.scale.size(), 8); // C D E F G A A+0.002 B
    for (int s = 1; s <= kStringCount; ++s) {
        EXPECT_NEAR(back.pitchOf(s, -2400), cents[static_cast<std::size_t>(s)], 1e-3) << s;
    }
    const auto degree = [&](int s) {
        return std::stoi(back.keys.at(std::size_t(test::naturalOf(s).midiKey() - 45)));
    };
    EXPECT_EQ(degree(5) - degree(12), 8);  // A5, A4
    EXPECT_EQ(degree(12) - degree(19), 8); // A4, A3
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
        cents[static_cast<std::size_t>(s)] = test::naturalOf(s).cents() + shift;
    cents[12] += 2.25;
    cents[9] += 50.5;
    return cents;
}

// The Scala files of the hand tuning as approved text; those of the 79-tone system with strings
// at their ends and fine tuned read back by the format: each string's key maps to a degree
// sounding its pitch from C2, key 60 is string 17's frequency, keys of no string are unmapped.
TEST(TuningExport, ScalaFilesGiveEveryStringItsPitch) {
    const ScalaFiles files = exportScala(handTuning(0.0), "test", "ZEMBERA test");
    test::expectGolden("systems/export.txt", files.scl + files.kbm);
    const PitchSystem sys = findSystem(kProgram, "yarman79", names());
    PerString<std::int16_t> positions{};
    PerString<float> tuning{};
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        positions[i] = static_cast<std::int16_t>(s % 2 ? sys.mandalMax[i] : sys.mandalMin[i]);
        tuning[i] = 0.25f * static_cast<float>(s % 5) - 0.5f;
    }
    const StringCents varied = soundingCents(sys.tables, positions, tuning);
    const ScalaFiles other = exportScala(varied, "x", "yarman79");
    const Exported back = reread(other);
    std::vector<bool> stringKey(128);
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        EXPECT_NEAR(varied[i], sys.tables.centTable(s, positions[i]) + tuning[i], 1e-9) << s;
        EXPECT_NEAR(back.pitchOf(s, -2400), varied[i], 1e-5) << s;
        stringKey[static_cast<std::size_t>(test::naturalOf(s).midiKey())] = true;
    }
    ASSERT_EQ(back.keys.size(), 44u);
    for (int key = 45; key <= 88; ++key)
        EXPECT_EQ(back.keys[static_cast<std::size_t>(key - 45)] == "x",
                  !stringKey[static_cast<std::size_t>(key)])
            << key;
    EXPECT_EQ(back.referenceKey, 60);
    EXPECT_NEAR(back.referenceHz, 262.0 * std::exp2(varied[17] / 1200.0), 5e-7);
}

// A MIDI Tuning Standard bulk dump read by its definition: F0 7E <device> 08 01 <program>, a
// name of 16 characters, for keys 0..127 a semitone and a 14-bit fraction of a semitone above
// it, the XOR of the bytes from 7E to the last fraction (in 7 bits), F7. Each string's key
// sounds 262 Hz·2^(cents/1200), every other key its equal-tempered pitch (A4 = 440 Hz).
TEST(TuningExport, MidiBulkDumpGivesEveryKeyItsFrequency) {
    const StringCents cents = handTuning(-37.5);
    const std::vector<std::uint8_t> dump = exportMidiTuning(cents, "ZEMBERA test kanun", 5);
    const std::vector<double> heard = test::readMtsBulkDump(dump);
    ASSERT_EQ(heard.size(), 128u);
    EXPECT_EQ(dump[5], 5);
    EXPECT_EQ(std::string(dump.begin() + 6, dump.begin() + 22), "ZEMBERA test kan");
    std::array<double, 128> hz{};
    for (int key = 0; key < 128; ++key)
        hz[static_cast<std::size_t>(key)] = 440.0 * std::exp2((key - 69) / 12.0);
    for (int s = 1; s <= kStringCount; ++s)
        hz[static_cast<std::size_t>(test::naturalOf(s).midiKey())] =
            262.0 * std::exp2(cents[static_cast<std::size_t>(s)] / 1200.0);
    for (std::size_t key = 0; key < 128; ++key)
        EXPECT_NEAR(1200 * std::log2(heard[key] / hz[key]), 0.0, test::kMtsHalfStepCents + 1e-9)
            << key;
}

} // namespace
} // namespace zembera::systems
