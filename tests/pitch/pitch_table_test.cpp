#include "pitch/pitch_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "common/text_fields.h"
#include "support/pitch_table_text.h"

namespace zembera {
namespace {

using test::tableText;

PitchTables parse(const std::vector<std::string>& records) {
    return parsePitchTable(tableText(records), "Dizek.txt");
}

TEST(PitchTable, SectionsBAndCFillStringsOneToSeven) {
    const PitchTables t = parse({});
    EXPECT_EQ(t.centTable(1, -8), 992);
    EXPECT_EQ(t.centTable(7, 12), 7012);
    EXPECT_EQ(t.mandalMark(3, 5), -5);
    EXPECT_EQ(t.mandalMark(7, -8), 8);
    // Strings 8-26 mark each position with itself.
    EXPECT_EQ(t.mandalMark(8, -8), -8);
    EXPECT_EQ(t.mandalMark(26, 12), 12);
    EXPECT_EQ(t.mandalMark(8, 13), 0); // the extra index is never filled
}

TEST(PitchTable, RecordFieldOrderAndPlaces) {
    const PitchTables t = parse({"5, 12,3, 20,-2, 123.25, \"Hüseynî\", 26,-8"});
    const DegreeRecord& r = t.degreeTable(5);
    EXPECT_EQ(std::tuple(r.tel2, r.mandal2, r.tel1, r.mandal1, r.tel3, r.mandal3),
              std::tuple(12, 3, 20, -2, 26, -8));
    EXPECT_FLOAT_EQ(r.cent, 123.25f);
    EXPECT_EQ(r.ad, fitToWidth("Hüseynî", 30));
    EXPECT_EQ(characterCount(r.ad), 30u);
    for (auto [s, m] : {std::pair{12, 3}, {20, -2}, {26, -8}}) {
        EXPECT_EQ(t.degreeName(s, m), r.ad);
        EXPECT_EQ(t.centTable(s, m), 123.25);
        EXPECT_EQ(t.stringDegree(s, m), 5);
    }
}

TEST(PitchTable, NarrowStringsTakeNamesButNotCentsFromRecords) {
    const PitchTables t = parse({"40, 3,2, 0,0, 555.5, \"Eviç\", -1,4"});
    EXPECT_EQ(t.degreeName(3, 2), fitToWidth("Eviç", 30));
    EXPECT_EQ(t.centTable(3, 2), 3002); // still section B
    EXPECT_EQ(t.stringDegree(3, 2), 40);
}

TEST(PitchTable, PlacesWithStringZeroOrNegativeContributeNothing) {
    const PitchTables t = parse({"7, 0,5, -3,99, 10, \"x\", 0,0"});
    EXPECT_EQ(t.degreeTable(7).tel1, -3);
    for (int s = 0; s <= 26; ++s) {
        for (int m = -8; m <= 12; ++m)
            EXPECT_EQ(t.degreeName(s, m), "");
    }
}

TEST(PitchTable, DegreesOutsideTheMappedRangeNameButDoNotMap) {
    const PitchTables t =
        parse({"-109, 26,-8, 0,0, -1900, \"Kaba\", 0,0", "197, 25,-8, 0,0, 3000, \"Tiz\", 0,0"});
    EXPECT_EQ(t.degreeTable(-109).tel2, 26);
    EXPECT_EQ(t.degreeName(26, -8), fitToWidth("Kaba", 30));
    EXPECT_EQ(t.centTable(26, -8), -1900);
    EXPECT_EQ(t.stringDegree(26, -8), 0);
    EXPECT_EQ(t.stringDegree(25, -8), 0);
}

TEST(PitchTable, LaterRecordWinsNameAndCentsHigherDegreeWinsMap) {
    const PitchTables t =
        parse({"30, 10,1, 0,0, 300, \"yüksek\", 0,0", "20, 10,1, 0,0, 200, \"alçak\", 0,0"});
    EXPECT_EQ(t.degreeName(10, 1), fitToWidth("alçak", 30));
    EXPECT_EQ(t.centTable(10, 1), 200);
    EXPECT_EQ(t.stringDegree(10, 1), 30);
}

TEST(PitchTable, LineLayoutDoesNotMatter) {
    std::string text = tableText({});
    // The same items, one per line.
    std::string oneItemPerLine;
    for (char c : text)
        oneItemPerLine += c == ',' ? std::string("\n") : std::string(1, c);
    oneItemPerLine += "5\n12\n3\n0\n0\n1.5\n\"n\"\n0\n0\n";
    const PitchTables t = parsePitchTable(oneItemPerLine, "Dizek.txt");
    EXPECT_EQ(t.centTable(2, 0), 2000);
    EXPECT_EQ(t.stringDegree(12, 3), 5);
}

struct Malformed {
    const char* what;
    std::vector<std::string> records;
    int line;
};

TEST(PitchTable, MalformedTablesAreRefusedWithFileAndLine) {
    // Sections A-C take lines 1..40; records start on line 41.
    const std::vector<Malformed> cases = {
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
    for (const Malformed& c : cases) {
        try {
            parse(c.records);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const FormatError& e) {
            EXPECT_EQ(e.line(), c.line) << c.what;
            EXPECT_EQ(e.file(), "Dizek.txt") << c.what;
        }
    }
}

TEST(PitchTable, CentsOfSectionBAreBoundedToo) {
    std::string text = tableText({"1, 9,0, 0,0, 20000, \"x\", 0,0"});
    EXPECT_EQ(parsePitchTable(text, "Dizek.txt").centTable(9, 0), 20000);
    text.replace(text.find("2011,"), 4, "1e300"); // string 2 at position 11, on line 28
    EXPECT_THROW(parsePitchTable(text, "Dizek.txt"), FormatError);
}

TEST(PitchTable, ATableWithoutLineBreaksReadsTheSame) {
    std::vector<std::string> records;
    for (int k = -100; k < 200; ++k)
        records.push_back(std::to_string(k) + ", 9,0, 0,0, " + std::to_string(k) + ", \"ad\", 0,0");
    std::string oneLine = tableText(records);
    for (std::size_t at; (at = oneLine.find("\r\n")) != std::string::npos;)
        oneLine.replace(at, 2, ",");
    const PitchTables t = parsePitchTable(oneLine, "Dizek.txt");
    EXPECT_EQ(t.centTable(9, 0), 199);
    EXPECT_EQ(t.stringDegree(9, 0), 196);
    EXPECT_EQ(t.degreeName(9, 0), fitToWidth("ad", kNameWidth));
}

TEST(PitchTable, TruncatedSectionsAreRefused) {
    const std::string full = tableText({});
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, full.size() / 2, full.size() - 4}) {
        EXPECT_THROW(parsePitchTable(full.substr(0, cut), "Dizek.txt"), FormatError) << cut;
    }
    std::string badMark = full;
    badMark.replace(badMark.rfind(",-12\r\n"), 4, ",-13"); // a mark beyond the double signs
    EXPECT_THROW(parsePitchTable(badMark, "Dizek.txt"), FormatError);
}

TEST(PitchTable, ReadsTheFileFromTheProgramFolderInEitherEncoding) {
    const auto dir = std::filesystem::temp_directory_path() / "zembera_pitch_table_test";
    std::filesystem::create_directories(dir);
    {
        std::ofstream out(dir / "Dizek.txt", std::ios::binary);
        // Windows-1254 bytes for "Þehnaz" (Şehnaz).
        out << tableText({"3, 9,0, 0,0, 50, \"\xDE"
                          "ehnaz\", 0,0"});
    }
    const PitchTables t = tablo_oku_txt(dir);
    EXPECT_EQ(t.degreeName(9, 0), fitToWidth("Şehnaz", 30));
    std::filesystem::remove_all(dir);
    EXPECT_THROW(tablo_oku_txt(dir), std::runtime_error);
}

TEST(PitchTable, TablesRefuseAccessOutsideTheirBounds) {
    PitchTables t;
    EXPECT_THROW(t.centTable(27, 0), std::out_of_range);
    EXPECT_THROW(t.centTable(1, 13), std::out_of_range);
    EXPECT_THROW(t.mandalMark(1, -13), std::out_of_range);
    EXPECT_NO_THROW(t.mandalMark(1, 13));
    EXPECT_THROW(t.degreeTable(201), std::out_of_range);
    EXPECT_NO_THROW(t.degreeTable(-110));
}

} // namespace
} // namespace zembera
