// The pieces of the pitch table maker: the scale reader, the naming rule and the places.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
#include "systems/degree_names.h"
#include "systems/system_layout.h"
#include "systems/table_text.h"

namespace zembera::systems {
namespace {

using ::testing::ElementsAre;
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
