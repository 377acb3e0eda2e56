#include "pitch/pitch_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/text_fields.h"
#include "sound/sound_test_support.h"
#include "support/pitch_table_text.h"

namespace zembera {
namespace {

using test::tableText;
using ::testing::AllOf;
using ::testing::Property;
using ::testing::Throws;

PitchTables parse(const std::vector<std::string>& records) {
    return parsePitchTable(tableText(records), "Dizek.txt");
}

TEST(PitchTable, SectionsFillStringsOneToSevenAndRecordsNameTheirPlaces) {
    const PitchTables t = parse({
        "5, 12,3, 20,-2, 123.25, \"Hüseynî\", 24,-8", // field order: tel2, tel1, tel3
        "40, 3,2, 0,0, 555.5, \"Eviç\", -1,4",        // narrow strings take names, not cents
        "-109, 26,-8, 0,0, -1900, \"Kaba\", 0,0",     // outside the mapped degrees: no map
        "197, 25,-8, 0,0, 3000, \"Tiz\", 0,0",
        "30, 10,1, 0,0, 300, \"yüksek\", 0,0", // the later record wins name and cents,
        "20, 10,1, 0,0, 200, \"alçak\", 0,0",  // the higher degree the map
    });
    // Sections B and C; strings 8-26 mark each position with itself.
    EXPECT_EQ(t.centTable(1, -8), 992);
    EXPECT_EQ(t.centTable(7, 12), 7012);
    // The extra index 13 is never filled.
    EXPECT_EQ(std::tuple(t.mandalMark(3, 5), t.mandalMark(7, -8), t.mandalMark(8, -8),
                         t.mandalMark(26, 12), t.mandalMark(8, 13)),
              std::tuple(-5, 8, -8, 12, 0));

    const DegreeRecord& r = t.degreeTable(5);
    EXPECT_EQ(std::tuple(r.tel2, r.mandal2, r.tel1, r.mandal1, r.tel3, r.mandal3, r.cent, r.ad),
              std::tuple(12, 3, 20, -2, 24, -8, 123.25f, fitToWidth("Hüseynî", 30)));
    EXPECT_EQ(characterCount(r.ad), 30u);
    EXPECT_EQ(t.degreeTable(-109).tel2, 26);
    // {string, position, name, cents, degree}
    const std::tuple<int, int, const char*, double, int> places[] = {
        {12, 3, "Hüseynî", 123.25, 5},  {20, -2, "Hüseynî", 123.25, 5},
        {24, -8, "Hüseynî", 123.25, 5}, {3, 2, "Eviç", 3002, 40},
        {26, -8, "Kaba", -1900, 0},     {25, -8, "Tiz", 3000, 0},
        {10, 1, "alçak", 200, 30}};
    for (const auto& [s, m, name, cents, degree] : places)
        EXPECT_EQ(std::tuple(t.degreeName(s, m), t.centTable(s, m), t.stringDegree(s, m)),
                  std::tuple(fitToWidth(name, 30), cents, degree))
            << s << " " << m;
    // Places with string 0 or below contribute nothing.
    const PitchTables none = parse({"7, 0,5, -3,99, 10, \"x\", 0,0"});
    EXPECT_EQ(none.degreeTable(7).tel1, -3);
    for (int s = 0; s <= 26; ++s)
        for (int m = -8; m <= 12; ++m)
            EXPECT_EQ(none.degreeName(s, m), "") << s << " " << m;
}

TEST(PitchTable, LineLayoutDoesNotMatter) {
    std::vector<std::string> records;
    for (int k = -100; k < 200; ++k)
        records.push_back(std::to_string(k) + ", 9,0, 0,0, " + std::to_string(k) + ", \"ad\", 0,0");
    const std::string text = tableText(records);
    std::string oneItemPerLine = text, oneLine;
    std::replace(oneItemPerLine.begin(), oneItemPerLine.end(), ',', '\n');
    for (char c : text)
        if (c != '\r') oneLine += c == '\n' ? ',' : c;
    for (const std::string& layout : {oneItemPerLine, oneLine}) {
        const PitchTables t = parsePitchTable(layout, "Dizek.txt");
        EXPECT_EQ(std::tuple(t.centTable(2, 0), t.centTable(9, 0), t.stringDegree(9, 0),
                             t.degreeName(9, 0)),
                  std::tuple(2000, 199, 196, fitToWidth("ad", kNameWidth)));
    }
}

TEST(PitchTable, MalformedTablesAreRefusedWithFileAndLine) {
    // Sections A-C take lines 1..40; records start on line 41.
    const std::tuple<const char*, std::vector<std::string>, int> cases[] = {
        {"degree too high", {"201, 1,0, 0,0, 1, \"x\", 0,0"}, 41},
        {"degree too low", {"-111, 1,0, 0,0, 1, \"x\", 0,0"}, 41},
        {"string too high", {"1, 27,0, 0,0, 1, \"x\", 0,0"}, 41},
        {"mandal too high", {"1, 2,3, 0,0, 1, \"x\", 0,0", "2, 5,13, 0,0, 1, \"x\", 0,0"}, 42},
        {"mandal too low", {"1, 0,0, 0,0, 1, \"x\", 4,-9"}, 41},
        {"text for cents", {"1, 0,0, 0,0, abc, \"x\", 0,0"}, 41},
        {"fractional string", {"1, 2.5,0, 0,0, 1, \"x\", 0,0"}, 41},
        {"incomplete record", {"1, 2,0, 0,0, 1, \"x\", 0"}, 41},
        // Cents that no string can sound.
        {"cents 1e300", {"1, 2,0, 0,0, 1, \"x\", 0,0", "2, 9,0, 0,0, 1e300, \"x\", 0,0"}, 42},
        {"cents inf", {"1, 9,0, 0,0, inf, \"x\", 0,0"}, 41},
        {"cents nan", {"1, 9,0, 0,0, nan, \"x\", 0,0"}, 41},
        {"cents 20001", {"1, 9,0, 0,0, 20001, \"x\", 0,0"}, 41},
        {"cents -20001", {"1, 9,0, 0,0, -20001, \"x\", 0,0"}, 41},
    };
    for (const auto& [what, records, line] : cases)
        EXPECT_THAT([&] { parse(records); },
                    Throws<FormatError>(AllOf(Property(&FormatError::file, "Dizek.txt"),
                                              Property(&FormatError::line, line))))
            << what;
    std::string text = tableText({"1, 9,0, 0,0, 20000, \"x\", 0,0"});
    EXPECT_EQ(parsePitchTable(text, "Dizek.txt").centTable(9, 0), 20000);
    // Section B is bounded too (string 2 at position 11); a mark beyond the double signs; and
    // sections cut short.
    std::vector<std::string> broken{text, text};
    broken[0].replace(broken[0].find("2011,"), 4, "1e300");
    broken[1].replace(broken[1].rfind(",-12\r\n"), 4, ",-13");
    const std::string full = tableText({});
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, full.size() / 2, full.size() - 4})
        broken.push_back(full.substr(0, cut));
    for (const std::string& b : broken)
        EXPECT_THROW(parsePitchTable(b, "Dizek.txt"), FormatError) << b.size();
}

TEST(PitchTable, ReadsTheFileFromTheProgramFolderInEitherEncodingAndRefusesOutsideAccess) {
    const test::TempDir dir;
    // Windows-1254 bytes for "Þehnaz" (Şehnaz).
    std::ofstream(dir.path() / "Dizek.txt", std::ios::binary)
        << tableText({"3, 9,0, 0,0, 50, \"\xDE"
                      "ehnaz\", 0,0"});
    EXPECT_EQ(tablo_oku_txt(dir.path()).degreeName(9, 0), fitToWidth("Şehnaz", 30));
    EXPECT_THROW(tablo_oku_txt(dir.path() / "missing"), std::runtime_error);

    PitchTables t;
    EXPECT_THROW(t.centTable(27, 0), std::out_of_range);
    EXPECT_THROW(t.centTable(1, 13), std::out_of_range);
    EXPECT_THROW(t.mandalMark(1, -13), std::out_of_range);
    EXPECT_THROW(t.degreeTable(201), std::out_of_range);
    EXPECT_NO_THROW(t.mandalMark(1, 13) = t.degreeTable(-110).tel1);
}

} // namespace
} // namespace zembera
