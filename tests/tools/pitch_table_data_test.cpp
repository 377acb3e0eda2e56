// The bundled pitch table as the build made it, read back through the program's reader, and the
// pieces of its maker: the naming rule and the places.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
#include "sound/sound_test_support.h"
#include "systems/degree_names.h"
#include "systems/system_layout.h"
#include "systems/table_text.h"

namespace zembera::systems {
namespace {

using ::testing::ElementsAre;

std::string readBytes(const std::string& path) {
    const auto bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

const std::string& tableBytes() {
    static const std::string bytes = readBytes(std::string(ZEMBERA_PROGRAM_DIR) + "/Dizek.txt");
    return bytes;
}

const PitchTables& t() {
    static const PitchTables tables = parsePitchTable(tableBytes(), "Dizek.txt");
    return tables;
}

// The scale the table was made from; its reader has tests of its own.
const Scale& scale() {
    static const Scale steps = parseScale(
        readBytes(std::string(ZEMBERA_SOURCE_DIR) + "/tools/tunings/79-159.scl"), "79-159.scl");
    return steps;
}

double expectedCents(int d) {
    return degreeCents(scale(), d);
}

struct Range {
    int low;
    int high;
};

Range rangeOf(int s) {
    if (s == 1) return {-5, 6};
    if (s <= 4) return {-5, 8};
    if (s <= 7) return {-7, 10};
    return {-8, 12};
}

// Open degrees of strings 1..7: the naturals E6 down to F5.
constexpr int kOpen[8] = {0, 184, 171, 158, 151, 138, 125, 112};

std::string trimmed(const std::string& s) {
    return s.substr(0, s.find_last_not_of(' ') + 1);
}

TEST(BundledPitchTable, IsUtf8TextWithCrLfLinesAndFullWidthNames) {
    const std::string& bytes = tableBytes();
    EXPECT_EQ(decodeText(bytes), bytes) << "not valid UTF-8";
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    // 26 pairs, 7 + 7 rows, one record per degree -110..200; no bare line feed.
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 26 + 14 + 311);
    EXPECT_EQ(std::adjacent_find(bytes.begin(), bytes.end(),
                                 [](char a, char b) { return a != '\r' && b == '\n'; }),
              bytes.end());

    // Every record's name is written with exactly 30 characters, so none was cut.
    std::istringstream in(bytes);
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        if (++lineNo <= 40) continue;
        const std::size_t open = line.find('"');
        const std::size_t close = line.find('"', open + 1);
        ASSERT_NE(close, std::string::npos) << line;
        EXPECT_EQ(characterCount(line.substr(open + 1, close - open - 1)), 30u) << line;
    }
}

TEST(BundledPitchTable, DegreesFollowTheScaleAndEveryPlaceIsInExactlyOneRecord) {
    ASSERT_EQ(scale().size(), 79);
    std::map<std::pair<int, int>, int> seen;
    for (int d = kDegreeLow; d <= kDegreeHigh; ++d) {
        const DegreeRecord& r = t().degreeTable(d);
        EXPECT_NEAR(r.cent, expectedCents(d), 1e-3) << "degree " << d;
        const std::pair<int, int> places[3] = {
            {r.tel1, r.mandal1}, {r.tel2, r.mandal2}, {r.tel3, r.mandal3}};
        for (const auto& [s, m] : places) {
            if (s <= 0) continue;
            ASSERT_LE(s, kStringCount) << "degree " << d;
            EXPECT_GE(m, rangeOf(s).low) << "degree " << d << " string " << s;
            EXPECT_LE(m, rangeOf(s).high) << "degree " << d << " string " << s;
            ++seen[{s, m}];
        }
    }
    for (int s = 1; s <= kStringCount; ++s) {
        for (int m = rangeOf(s).low; m <= rangeOf(s).high; ++m)
            EXPECT_EQ(seen[std::make_pair(s, m)], 1) << "string " << s << " mandal " << m;
    }
}

TEST(BundledPitchTable, NarrowStringsSoundTheDegreeOfTheirMark) {
    for (int s = 1; s <= 7; ++s) {
        const Range r = rangeOf(s);
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            SCOPED_TRACE("string " + std::to_string(s) + " mandal " + std::to_string(m));
            const int mark = t().mandalMark(s, m);
            // The sign of the accidental follows the side of the mandal.
            EXPECT_EQ((mark > 0) - (mark < 0), (m > 0) - (m < 0));
            EXPECT_NEAR(t().centTable(s, m), expectedCents(kOpen[s] + mark), 1e-4);
            if (m < r.low || m > r.high) {
                // Beyond its last mandal a string stays at that mandal's pitch.
                EXPECT_EQ(mark, t().mandalMark(s, std::clamp(m, r.low, r.high)));
                continue;
            }
            EXPECT_EQ(t().stringDegree(s, m), kOpen[s] + mark);
            if (m > r.low) {
                EXPECT_GT(mark, t().mandalMark(s, m - 1));
            }
        }
    }
    // Of the full-scale offsets folded onto one mandal, a whole sign wins, else the farthest.
    const auto marks = [](int s) {
        std::vector<int> v;
        for (int m = rangeOf(s).low; m <= rangeOf(s).high; ++m)
            v.push_back(t().mandalMark(s, m));
        return v;
    };
    EXPECT_THAT(marks(1), ElementsAre(-8, -6, -5, -4, -2, 0, 2, 3, 5, 6, 9, 12));
    EXPECT_THAT(marks(7),
                ElementsAre(-8, -7, -6, -5, -4, -2, -1, 0, 1, 2, 4, 5, 6, 7, 8, 10, 11, 12));
}

TEST(BundledPitchTable, NaturalsAndAccidentalsCarryTheirNames) {
    const std::map<int, std::string> names = {
        {-99, "Kaba Kaba Dügâh"}, {-33, "Kaba Râst"},     {-7, "Kaba Bûselik"},
        {0, "Kaba Çargâh"},       {1, "Kaba Çargâh+1"},   {6, "Kaba Nim Hicâz"},
        {7, "Kaba Hicâz"},        {12, "Kaba Dik Hicâz"}, {13, "Yegâh"},
        {26, "Hüseynî Aşiran"},   {33, "Acem Aşiran"},    {46, "Râst"},
        {52, "Nim Zirgüle"},      {59, "Dügâh"},          {72, "Bûselik"},
        {76, "Dik Bûselik"},      {79, "Çargâh"},         {92, "Nevâ"},
        {105, "Hüseynî"},         {112, "Acem"},          {125, "Gerdaniye"},
        {138, "Muhayyer"},        {151, "Tiz Bûselik"},   {158, "Tiz Çargâh"},
        {171, "Tiz Nevâ"},        {184, "Tiz Hüseynî"},   {198, "Tiz Mahur"},
        {200, "Tiz Mahur+2"}};
    for (const auto& [d, name] : names)
        EXPECT_EQ(trimmed(t().degreeTable(d).ad), name) << "degree " << d;
    EXPECT_EQ(t().degreeName(17, 0), t().degreeTable(0).ad);
    EXPECT_EQ(t().degreeName(12, 0), t().degreeTable(59).ad);
}

using ::testing::FieldsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

const char* const kNames = "commas\tC4\tC5\tC6\n"
                           "0\tKaba Çargâh\tÇargâh\tTiz Çargâh\n"
                           "4\tKaba Nim Hicâz\tNim Hicâz\t\n"
                           "9\tYegâh\tNevâ\tTiz Nevâ\n"
                           "18\tHüseynî Aşiran\tHüseynî\tTiz Hüseynî\n"
                           "22\tAcem Aşiran\tAcem\tTiz Acem\n"
                           "31\tRâst\tGerdaniye\n"
                           "40\tDügâh\tMuhayyer\n"
                           "49\tBûselik\tTiz Bûselik\n";

// Commas above a natural become one and a half degrees, rounded down: D (9 commas) is degree
// 13, F (22) degree 33. Unnamed degrees count on from the named one below. Octaves below C4 add
// "Kaba ", those above C6 "Tiz "; an empty C6 cell falls back to the C5 name with "Tiz ".
TEST(DegreeNames, CommasBecomeDegreesAndNamesTakeTheirOctave) {
    for (auto [commas, degree] :
         {std::pair{0, 0}, {1, 1}, {5, 7}, {8, 12}, {13, 19}, {23, 34}, {52, 76}})
        EXPECT_EQ(degreeOfCommas(commas), degree) << commas;
    const DegreeNamer n(parseNameTable(kNames, "n.tsv"));
    const std::map<int, std::string> cases = {
        {-99, "Kaba Kaba Dügâh"}, {-1, "Kaba Bûselik+6"}, {5, "Kaba Çargâh+5"},
        {6, "Kaba Nim Hicâz"},    {46, "Râst"},           {91, "Nim Hicâz+6"},
        {164, "Tiz Nim Hicâz"},   {171, "Tiz Nevâ"},      {204, "Tiz Gerdaniye"},
        {237, "Tiz Tiz Çargâh"}};
    for (auto [degree, name] : cases)
        EXPECT_EQ(n.nameOf(degree), name) << degree;
    const std::pair<const char*, const char*> faults[] = {
        {"commas\tC4\tC5\n0 Kaba Çargâh\n",
         "n.tsv:2: commas and three names separated by tabs expected"},
        {"commas\tC4\tC5\n53\tA\tB\n",
         "n.tsv:2: commas above Çargâh (0..52) expected, found \"53\""},
        {"commas\tC4\tC5\n0\tA\tB\n0\tC\tD\n", "n.tsv:3: a second row for 0 commas"},
        {"commas\tC4\tC5\n0\tA\t\n", "n.tsv:2: no name in the C5 octave"},
    };
    for (auto [text, message] : faults)
        EXPECT_THAT([&] { parseNameTable(text, "n.tsv"); },
                    ThrowsMessage<std::runtime_error>(message));
    // A missing header would silently lose the first row; every natural needs a name.
    EXPECT_THROW(parseNameTable("0\tA\tB\n9\tC\tD\n", "n.tsv"), std::runtime_error);
    EXPECT_THROW(DegreeNamer(parseNameTable("c\tC4\tC5\n0\tA\tB\n", "n.tsv")), std::runtime_error);
}

Scale equalScale(int steps) {
    std::string text = "equal\n" + std::to_string(steps) + "\n";
    for (int k = 1; k < steps; ++k)
        text += std::to_string(1200.0 * k / steps) + "\n";
    return parseScale(text + "2/1\n", "equal.scl");
}

TEST(Places, EachDegreeListsTheClosestReachFirst) {
    const auto places = placesByDegree(SystemLayout(equalScale(79)));
    auto at = [&](int d) { return places[static_cast<std::size_t>(d - kDegreeLow)]; };
    // E5 on its own open string before F5 lowered and D5 raised all the way.
    EXPECT_THAT(at(104), ElementsAre(FieldsAre(8, -1), FieldsAre(7, -7), FieldsAre(9, 12)));
    // C4 +6 on string 17 rather than D4 -7 on string 16; +7 the other way round.
    EXPECT_EQ(at(6)[0].string, 17);
    EXPECT_EQ(at(7)[0].string, 16);
    EXPECT_TRUE(at(-110).empty());
    EXPECT_TRUE(at(197).empty());
}

TEST(TableText, AnotherScaleGivesItsOwnCentsAndOtherSizesOrOverlongNamesAreRefused) {
    const DegreeNamer names(parseNameTable(kNames, "n.tsv"));
    const PitchTables t = parsePitchTable(makePitchTableText(equalScale(79), names), "x");
    EXPECT_NEAR(t.degreeTable(1).cent, 1200.0 / 79, 1e-4);
    EXPECT_NEAR(t.degreeTable(-107).cent, -1200.0 * 107 / 79, 1e-3);
    EXPECT_NEAR(t.centTable(1, 6), 1200.0 * 196 / 79, 1e-4);
    EXPECT_NEAR(t.centTable(20, 3), 1200.0 * (-33 + 3) / 79, 1e-3);
    EXPECT_THAT([&] { makePitchTableText(equalScale(80), names); },
                ThrowsMessage<std::runtime_error>(
                    "the scale has 80 pitches per period; the table needs 79"));
    // 24 characters fit in C4, but "Kaba Kaba " before it below C3 does not.
    std::string wide = kNames;
    const std::string dugah = "Dügâh";
    wide.replace(wide.find(dugah + "\tMuhayyer"), dugah.size(), "Dügâh Dügâh Dügâh Dügâh");
    const DegreeNamer wideNames(parseNameTable(wide, "n.tsv"));
    EXPECT_THAT([&] { makePitchTableText(equalScale(79), wideNames); },
                ThrowsMessage<std::runtime_error>(HasSubstr("longer than 30")));
}

} // namespace
} // namespace zembera::systems
