// Reading pitch tables and Scala scale and keyboard mapping files.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
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

using ::testing::DoubleNear;
using ::testing::Pointwise;
using ::testing::ThrowsMessage;

TEST(ScalaScale, ReadsCentsRatiosCommentsAndBlankLinesAndCountsDegreesAcrossPeriods) {
    const Scale s = parseScale("! tiny.scl\r\n!\r\nA test scale\r\n 5\r\n!\r\n 150.5 first\r\n"
                               "\r\n 3/2\r\n +800.25\r\n 15/8\r\n 2\r\n",
                               "tiny.scl");
    EXPECT_EQ(s.description, "A test scale");
    ASSERT_EQ(s.size(), 5);
    EXPECT_THAT(s.steps, Pointwise(DoubleNear(1e-3), {0.0, 150.5, 701.955, 800.25, 1088.269}));
    EXPECT_DOUBLE_EQ(s.period, 1200.0);
    const Scale t = parseScale("\n5\n100.0\n300.\n500.0\n700.0\n1200.0\n", "s.scl");
    const std::pair<int, double> degrees[] = {{0, 0.0},      {3, 500.0},    {6, 1300.0},
                                              {-1, -500.0},  {-5, -1200.0}, {-6, -1700.0},
                                              {-11, -2900.0}};
    for (auto [degree, cents] : degrees)
        EXPECT_DOUBLE_EQ(degreeCents(t, degree), cents) << degree;
    // The bundled scales are read as their sizes and periods say.
    const std::pair<const char*, int> bundledScales[] = {{"79-159.scl", 79},
                                                         {"80-159.scl", 80},
                                                         {"53-commas.scl", 53},
                                                         {"turkish_24.scl", 24},
                                                         {"aeu-41.scl", 41}};
    for (auto [name, size] : bundledScales) {
        const auto bytes =
            test::readFile(std::filesystem::path(ZEMBERA_SOURCE_DIR) / "tools/tunings" / name);
        const Scale bundled = parseScale(std::string(bytes.begin(), bytes.end()), name);
        EXPECT_EQ(bundled.size(), size) << name;
        EXPECT_NEAR(bundled.period, 1200.0, 1e-9) << name;
    }
}

// Every refusal names the file and the line of the fault in the message the user reads.
TEST(ScalaScale, RefusesWhatTheInstrumentCannotTakeNamingFileAndLine) {
    const std::string cents = "sent ya da oran bekleniyordu, ";
    const std::tuple<const char*, int, std::string> cases[] = {
        {"d\nmany\n", 2, "perde sayısı bekleniyordu, \"many\" bulundu"},
        {"d\n4\n100.0\n200.0\n300.0\n2/1\n", 2,
         "perde sayısı 5 ile 160 arasında olmalı, 4 bulundu"},
        {"d\n161\n", 2, "perde sayısı 5 ile 160 arasında olmalı, 161 bulundu"},
        {"d\n5\n100.0\n200.0\n1e400.\n", 5, cents + "\"1e400.\" bulundu"},
        {"d\n5\n100.0\n3/0\n", 4, cents + "\"3/0\" bulundu"},
        {"d\n5\n100.0\n-3/2\n", 4, cents + "\"-3/2\" bulundu"},
        {"d\n5\n100.0\n99999999999999999999/2\n", 4, cents + "\"99999999999999999999/2\" bulundu"},
        {"d\n5\n300.0\n200.0\n", 4, "2. perde bir öncekinden yüksek değil"},
        {"d\n5\n-10.0\n", 3, "1. perde bir öncekinden yüksek değil"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n3/1\n", 7,
         "son perde bir oktav (1200 sent) olmalı, 1901.955001 sent bulundu"},
        {"d\n5\n100.0\n200.0\n", 4, "dosya bitti, 3. perde bekleniyordu"},
        {"d\n5\n100.0\n200.0\n300.0\n400.0\n2/1\n5/4\n", 8,
         "bildirilen 5 perdeden fazla satır var"},
        {"! only a comment\n", 1, "dosya bitti, açıklama satırı bekleniyordu"},
    };
    for (const auto& [text, line, message] : cases)
        EXPECT_THAT([&] { parseScale(text, "a.scl"); },
                    ThrowsMessage<FormatError>("a.scl dosyasının " + std::to_string(line) +
                                               ". satırında hata: " + message))
            << text;
    // A period a few cents from the octave is a stretched octave, still taken.
    EXPECT_NO_THROW(parseScale("d\n5\n100.0\n200.0\n300.0\n400.0\n1210.0\n", "a.scl"));
}

TEST(ScalaMapping, ReadsHeaderAndKeysAndMapsKeysToDegrees) {
    const KeyboardMapping m = parseKeyboardMapping("! a.kbm\n12\n0\n127\n60\n69\n440.0\n12\n"
                                                   "! keys\n0\n1\nx\n3\n4\n5\n6\n7\n8\n9\n10\n11\n",
                                                   "a.kbm");
    EXPECT_EQ(std::tuple(m.size, m.middleKey, m.referenceKey, m.referenceHz),
              std::tuple(12, 60, 69, 440.0));
    // Key 62 is unmapped, and so is 50, an octave lower; keys left out at the end of a mapping
    // are unmapped; a mapping of size 0 is linear.
    const KeyboardMapping shortMap =
        parseKeyboardMapping("3\n0\n127\n60\n69\n440.0\n3\n0\n1\n", "short.kbm");
    const KeyboardMapping linear =
        parseKeyboardMapping("0\n0\n127\n62\n62\n293.66\n0\n", "linear.kbm");
    const std::optional<int> none;
    const std::tuple<const KeyboardMapping*, int, std::optional<int>> keys[] = {
        {&m, 60, 0},    {&m, 61, 1},        {&m, 62, none},        {&m, 73, 13},     {&m, 59, -1},
        {&m, 50, none}, {&shortMap, 61, 1}, {&shortMap, 62, none}, {&linear, 60, -2}};
    for (const auto& [mapping, key, degree] : keys)
        EXPECT_EQ(degreeOfKey(*mapping, key), degree) << key;

    const std::string head = "b.kbm dosyasının ";
    const std::pair<const char*, std::string> broken[] = {
        {"200\n", "1. satırında hata: eşleme uzunluğu 0 ile 128 arasında olmalı, 200 bulundu"},
        {"0\n0\n127\n60\n69\nabc\n",
         "6. satırında hata: referans frekansı (Hz) bekleniyordu, \"abc\" bulundu"},
        {"0\n0\n127\n60\n69\n-440.0\n",
         "6. satırında hata: referans frekansı (Hz) bekleniyordu, \"-440.0\" bulundu"},
        {"2\n0\n127\n60\n69\n440.0\n2\n0\ny\n",
         "9. satırında hata: derece ya da x bekleniyordu, \"y\" bulundu"},
        {"0\n100\n50\n", "3. satırında hata: son tuş 100 ile 127 arasında olmalı, 50 bulundu"},
    };
    for (const auto& [text, message] : broken)
        EXPECT_THAT([&] { parseKeyboardMapping(text, "b.kbm"); },
                    ThrowsMessage<FormatError>(head + message))
            << text;
}

} // namespace
} // namespace zembera
