// Checks of the bundled pitch table as the build made it, read back through the program's reader.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
#include "sound/sound_test_support.h"

namespace zembera {
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

} // namespace
} // namespace zembera
