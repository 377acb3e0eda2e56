// The pieces of the pitch table maker: the scale reader, the naming rule and the places.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "pitch/pitch_table.h"
#include "pitch_table/degree_names.h"
#include "pitch_table/layout.h"
#include "pitch_table/scale.h"
#include "pitch_table/table_text.h"

namespace zembera::pitchtool {
namespace {

// The message of the runtime_error `f` throws, or "" when it throws none.
template <typename F> std::string errorOf(F f) {
    try {
        f();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}

// --- Scale reader ---

TEST(ScaleReader, ReadsCentsRatiosAndComments) {
    const Scale s = parseScale("! tiny.scl\r\n!\r\nA test scale\r\n 3\r\n!\r\n 150.5 first\r\n"
                               " 3/2\r\n 2\r\n",
                               "tiny.scl");
    EXPECT_EQ(s.description, "A test scale");
    ASSERT_EQ(s.steps.size(), 3u);
    EXPECT_EQ(s.steps[0], 0.0);
    EXPECT_DOUBLE_EQ(s.steps[1], 150.5);
    EXPECT_NEAR(s.steps[2], 701.955, 1e-3);
    EXPECT_DOUBLE_EQ(s.period, 1200.0);
}

TEST(ScaleReader, CountsDegreesAcrossPeriods) {
    const Scale s = parseScale("\n3\n100.0\n500.0\n1200.0\n", "s.scl"); // empty description
    EXPECT_DOUBLE_EQ(degreeCents(s, 0), 0.0);
    EXPECT_DOUBLE_EQ(degreeCents(s, 2), 500.0);
    EXPECT_DOUBLE_EQ(degreeCents(s, 4), 1300.0);
    EXPECT_DOUBLE_EQ(degreeCents(s, -1), -700.0);
    EXPECT_DOUBLE_EQ(degreeCents(s, -3), -1200.0);
    EXPECT_DOUBLE_EQ(degreeCents(s, -4), -1900.0);
}

TEST(ScaleReader, RejectsBrokenFilesNamingTheLine) {
    EXPECT_EQ(errorOf([] { parseScale("d\nmany\n", "a.scl"); }),
              "a.scl:2: number of pitches expected, found \"many\"");
    EXPECT_EQ(errorOf([] { parseScale("d\n2\n100.0\nwide\n", "a.scl"); }),
              "a.scl:4: pitch in cents or as a ratio expected, found \"wide\"");
    EXPECT_EQ(errorOf([] { parseScale("d\n2\n100.0\n", "a.scl"); }),
              "a.scl: the file ends before pitch 2 of 2");
    EXPECT_EQ(errorOf([] { parseScale("d\n2\n300.0\n200.0\n", "a.scl"); }),
              "a.scl:4: pitch 2 does not rise above the one before it");
    EXPECT_EQ(errorOf([] { parseScale("d\n2\n100.0\n2/1\n5/4\n", "a.scl"); }),
              "a.scl:5: more pitch lines than the 2 announced");
    EXPECT_NE(errorOf([] { parseScale("d\n1\n0/1\n", "a.scl"); }), "");
    EXPECT_NE(errorOf([] { parseScale("! only a comment\n", "a.scl"); }), "");
}

// --- Names ---

TEST(NamingRule, CommasAboveANaturalBecomeOneAndAHalfDegreesRoundedDown) {
    EXPECT_EQ(degreeOfCommas(0), 0);
    EXPECT_EQ(degreeOfCommas(1), 1);
    EXPECT_EQ(degreeOfCommas(4), 6);
    EXPECT_EQ(degreeOfCommas(5), 7);
    EXPECT_EQ(degreeOfCommas(8), 12);
    // Measured from the natural at or below: D (9 commas) is degree 13, F (22) degree 33.
    EXPECT_EQ(degreeOfCommas(9), 13);
    EXPECT_EQ(degreeOfCommas(13), 19);
    EXPECT_EQ(degreeOfCommas(22), 33);
    EXPECT_EQ(degreeOfCommas(23), 34);
    EXPECT_EQ(degreeOfCommas(49), 72);
    EXPECT_EQ(degreeOfCommas(52), 76);
}

const char* const kNames = "commas\tC4\tC5\tC6\n"
                           "0\tKaba Çargâh\tÇargâh\tTiz Çargâh\n"
                           "4\tKaba Nim Hicâz\tNim Hicâz\t\n"
                           "9\tYegâh\tNevâ\tTiz Nevâ\n"
                           "18\tHüseynî Aşiran\tHüseynî\tTiz Hüseynî\n"
                           "22\tAcem Aşiran\tAcem\tTiz Acem\n"
                           "31\tRâst\tGerdaniye\n"
                           "40\tDügâh\tMuhayyer\n"
                           "49\tBûselik\tTiz Bûselik\n";

TEST(DegreeNames, NamedDegreesTakeTheirOctavesName) {
    const DegreeNamer n(parseNameTable(kNames, "n.tsv"));
    EXPECT_EQ(n.nameOf(0), "Kaba Çargâh");
    EXPECT_EQ(n.nameOf(6), "Kaba Nim Hicâz");
    EXPECT_EQ(n.nameOf(46), "Râst");
    EXPECT_EQ(n.nameOf(79), "Çargâh");
    EXPECT_EQ(n.nameOf(79 + 59), "Muhayyer");
    EXPECT_EQ(n.nameOf(158 + 13), "Tiz Nevâ");
}

TEST(DegreeNames, UnnamedDegreesCountFromTheNamedOneBelow) {
    const DegreeNamer n(parseNameTable(kNames, "n.tsv"));
    EXPECT_EQ(n.nameOf(1), "Kaba Çargâh+1");
    EXPECT_EQ(n.nameOf(5), "Kaba Çargâh+5");
    EXPECT_EQ(n.nameOf(7), "Kaba Nim Hicâz+1");
    EXPECT_EQ(n.nameOf(78), "Bûselik+6");
    EXPECT_EQ(n.nameOf(79 + 12), "Nim Hicâz+6");
}

TEST(DegreeNames, OuterOctavesTakeKabaAndTizPrefixes) {
    const DegreeNamer n(parseNameTable(kNames, "n.tsv"));
    EXPECT_EQ(n.nameOf(-33), "Kaba Râst");
    EXPECT_EQ(n.nameOf(-79), "Kaba Kaba Çargâh");
    EXPECT_EQ(n.nameOf(-1), "Kaba Bûselik+6");
    EXPECT_EQ(n.nameOf(-99), "Kaba Kaba Dügâh");
    // An empty C6 cell falls back to the C5 name with "Tiz ".
    EXPECT_EQ(n.nameOf(158 + 6), "Tiz Nim Hicâz");
    EXPECT_EQ(n.nameOf(158 + 46), "Tiz Gerdaniye");
    EXPECT_EQ(n.nameOf(237), "Tiz Tiz Çargâh");
}

TEST(DegreeNames, RejectsMalformedNameTables) {
    EXPECT_EQ(errorOf([] { parseNameTable("commas\tC4\tC5\n0 Kaba Çargâh\n", "n.tsv"); }),
              "n.tsv:2: commas and three names separated by tabs expected");
    EXPECT_EQ(errorOf([] { parseNameTable("commas\tC4\tC5\n53\tA\tB\n", "n.tsv"); }),
              "n.tsv:2: commas above Çargâh (0..52) expected, found \"53\"");
    EXPECT_EQ(errorOf([] { parseNameTable("commas\tC4\tC5\n0\tA\tB\n0\tC\tD\n", "n.tsv"); }),
              "n.tsv:3: a second row for 0 commas");
    EXPECT_EQ(errorOf([] { parseNameTable("commas\tC4\tC5\n0\tA\t\n", "n.tsv"); }),
              "n.tsv:2: no name in the C5 octave");
    // A missing header would silently lose the first row.
    EXPECT_NE(errorOf([] { parseNameTable("0\tA\tB\n9\tC\tD\n", "n.tsv"); }), "");
    // Every natural needs a name.
    EXPECT_NE(errorOf([] { DegreeNamer(parseNameTable("c\tC4\tC5\n0\tA\tB\n", "n.tsv")); }), "");
}

// --- Places on the instrument ---

TEST(Layout, NarrowStringsBeyondTheirRangeKeepTheirLastMandal) {
    EXPECT_EQ(markAt(1, 6), 12);
    EXPECT_EQ(markAt(1, 7), 12);
    EXPECT_EQ(markAt(1, 12), 12);
    EXPECT_EQ(markAt(1, -8), markAt(1, -5));
    EXPECT_EQ(markAt(9, -8), -8);
    EXPECT_EQ(degreeAt(1, 6), 196);
    EXPECT_EQ(degreeAt(26, -8), -107);
}

TEST(Places, EachDegreeListsTheClosestReachFirst) {
    const auto places = placesByDegree();
    auto at = [&](int d) { return places[static_cast<std::size_t>(d - kDegreeLow)]; };
    // E5 on its own open string before F5 lowered and D5 raised all the way.
    ASSERT_EQ(at(104).size(), 3u);
    EXPECT_EQ(at(104)[0].string, 8);
    EXPECT_EQ(at(104)[0].mandal, -1);
    EXPECT_EQ(at(104)[1].string, 7);
    EXPECT_EQ(at(104)[1].mandal, -7);
    EXPECT_EQ(at(104)[2].string, 9);
    EXPECT_EQ(at(104)[2].mandal, 12);
    // C4 +6 on string 17 rather than D4 -7 on string 16; +7 the other way round.
    EXPECT_EQ(at(6)[0].string, 17);
    EXPECT_EQ(at(7)[0].string, 16);
    EXPECT_TRUE(at(-110).empty());
    EXPECT_TRUE(at(197).empty());
}

// --- The whole text ---

Scale equalScale(int steps) {
    std::string text = "equal\n" + std::to_string(steps) + "\n";
    for (int k = 1; k < steps; ++k)
        text += std::to_string(1200.0 * k / steps) + "\n";
    return parseScale(text + "2/1\n", "equal.scl");
}

TEST(TableText, AnotherScaleGivesItsOwnCents) {
    const DegreeNamer names(parseNameTable(kNames, "n.tsv"));
    const PitchTables t = parsePitchTable(makePitchTableText(equalScale(79), names), "x");
    EXPECT_NEAR(t.degreeTable(1).cent, 1200.0 / 79, 1e-4);
    EXPECT_NEAR(t.degreeTable(-107).cent, -1200.0 * 107 / 79, 1e-3);
    EXPECT_NEAR(t.centTable(1, 6), 1200.0 * 196 / 79, 1e-4);
    EXPECT_NEAR(t.centTable(20, 3), 1200.0 * (-33 + 3) / 79, 1e-3);
}

TEST(TableText, RefusesScalesOfOtherSizesAndOverlongNames) {
    const DegreeNamer names(parseNameTable(kNames, "n.tsv"));
    EXPECT_EQ(errorOf([&] { makePitchTableText(equalScale(80), names); }),
              "the scale has 80 pitches per period; the table needs 79");
    // 24 characters fit in C4, but "Kaba Kaba " before it below C3 does not.
    std::string wide = kNames;
    const std::string dugah = "Dügâh";
    wide.replace(wide.find(dugah + "\tMuhayyer"), dugah.size(), "Dügâh Dügâh Dügâh Dügâh");
    const DegreeNamer wideNames(parseNameTable(wide, "n.tsv"));
    EXPECT_NE(
        errorOf([&] { makePitchTableText(equalScale(79), wideNames); }).find("longer than 30"),
        std::string::npos);
}

} // namespace
} // namespace zembera::pitchtool
