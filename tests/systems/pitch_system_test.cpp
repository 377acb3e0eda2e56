// The pitch tables built for every bundled system, checked against the scale files read here on
// their own, and the 79-tone one against the bundled Dizek.txt.

#include "systems/pitch_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "systems/system_files.h"

namespace zembera::systems {
namespace {

const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const DegreeNamer& names() {
    static const DegreeNamer namer = readDegreeNamer(kProgram);
    return namer;
}

// The pitches of a .scl file as ratios of frequency to its 1/1, read without the program's
// reader: every line that is not a comment, after the description and the count.
std::vector<double> ratiosOf(const std::string& file) {
    std::istringstream in(readBytes(kProgram / kSystemsFolder / file));
    std::vector<std::string> items;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.starts_with('!')) items.push_back(line);
    }
    std::vector<double> ratios{1.0};
    for (std::size_t i = 2; i < items.size(); ++i) {
        std::istringstream item(items[i]);
        std::string word;
        item >> word;
        if (word.empty()) continue;
        if (word.find('.') != std::string::npos) {
            ratios.push_back(std::pow(2.0, std::stod(word) / 1200.0));
        } else {
            const std::size_t slash = word.find('/');
            ratios.push_back(slash == std::string::npos ? std::stod(word)
                                                        : std::stod(word.substr(0, slash)) /
                                                              std::stod(word.substr(slash + 1)));
        }
    }
    return ratios; // the last is the octave
}

// A system as the musician knows it: the step of its C, the steps of its written naturals above
// that C and the mandal range of strings 8..26 (0, 0 where it differs from string to string).
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

// Cents above C4 of degree d (0 = C4) of a system, from the ratios of its file.
double expectedCents(const std::vector<double>& ratios, int cStep, int d) {
    const int n = static_cast<int>(ratios.size()) - 1;
    auto above11 = [&](int step) {
        const int octave = static_cast<int>(std::floor(static_cast<double>(step) / n));
        return std::pow(ratios[static_cast<std::size_t>(n)], octave) *
               ratios[static_cast<std::size_t>(step - octave * n)];
    };
    return 1200.0 * std::log2(above11(cStep + d) / above11(cStep));
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
        const std::vector<double> ratios = ratiosOf(e.file);
        EXPECT_EQ(sys.name, e.name);
        for (int s = 1; s <= kStringCount; ++s) {
            const int open = openDegree(e, static_cast<int>(ratios.size()) - 1, s);
            const int low = sys.mandalMin[static_cast<std::size_t>(s)];
            const int high = sys.mandalMax[static_cast<std::size_t>(s)];
            if (s > 7 && e.low != e.high) {
                EXPECT_EQ(low, e.low) << s;
                EXPECT_EQ(high, e.high) << s;
            }
            // The range ends about a whole tone from the open string, or at the last mandal.
            const double openCents = expectedCents(ratios, e.cStep, open);
            auto reach = [&](int m) {
                return std::abs(expectedCents(ratios, e.cStep, open + m) - openCents);
            };
            if (low > mandalMinOf(s)) {
                EXPECT_GT(reach(low - 1), 204.0) << s;
            }
            if (high < mandalMaxOf(s)) {
                EXPECT_GT(reach(high + 1), 204.0) << s;
            }
            EXPECT_LT(reach(low), 211.0) << s;
            EXPECT_LT(reach(high), 211.0) << s;
            // Strings 1..7 of the systems whose whole tone spans the full row fold it.
            const bool folds = e.low == -8 && e.high == 12 && s <= 7;
            for (int m = low; m <= high; ++m) {
                const int degree = folds ? open + sys.layout.markAt(s, m) : open + m;
                EXPECT_NEAR(sys.tables.centTable(s, m), expectedCents(ratios, e.cStep, degree),
                            1e-3)
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
        EXPECT_EQ(sys.mandalMin[static_cast<std::size_t>(s)], mandalMinOf(s));
        EXPECT_EQ(sys.mandalMax[static_cast<std::size_t>(s)], mandalMaxOf(s));
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            EXPECT_EQ(t.centTable(s, m), dizek.centTable(s, m)) << s << "," << m;
            EXPECT_EQ(t.degreeName(s, m), dizek.degreeName(s, m)) << s << "," << m;
            EXPECT_EQ(t.stringDegree(s, m), dizek.stringDegree(s, m)) << s << "," << m;
        }
        for (int m = kMarkIndexLow; m <= kMarkIndexHigh; ++m)
            EXPECT_EQ(t.mandalMark(s, m), dizek.mandalMark(s, m)) << s << "," << m;
    }
    for (int k = kDegreeLow; k <= kDegreeHigh; ++k) {
        const DegreeRecord& a = t.degreeTable(k);
        const DegreeRecord& b = dizek.degreeTable(k);
        EXPECT_EQ(a.cent, b.cent) << k;
        EXPECT_EQ(a.ad, b.ad) << k;
        EXPECT_EQ(std::tie(a.tel1, a.mandal1, a.tel2, a.mandal2, a.tel3, a.mandal3),
                  std::tie(b.tel1, b.mandal1, b.tel2, b.mandal2, b.tel3, b.mandal3))
            << k;
    }
    EXPECT_EQ(t.octaveDivisionCaptions, dizek.octaveDivisionCaptions);
}

// Outside the 79-tone table a pitch takes the perde name within 5 cents, otherwise the name
// below with its cents; marks follow the cents of the offset.
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
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembera_sys";
    std::filesystem::create_directories(dir);
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
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembera_kbm";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(kProgram / kSystemsFolder / "12-edo.scl", dir / "twelve.scl",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(dir / "twelve.kbm") << "! twelve.kbm\n0\n0\n127\n58\n69\n440.0\n12\n";
    const PitchSystem sys = findSystem(kProgram, (dir / "twelve.scl").string(), names());
    EXPECT_EQ(sys.cStep, 2);
    EXPECT_EQ(sys.name, "twelve");
    EXPECT_NEAR(sys.tables.centTable(16, 0), 200.0, 1e-3);
}

} // namespace
} // namespace zembera::systems
