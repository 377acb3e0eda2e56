// Reading pitch tables and Scala scale and keyboard mapping files, each scenario compared as a
// whole with its approved dump in tests/data/golden/pitch/.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "common/text_fields.h"
#include "pitch/pitch_table.h"
#include "pitch/scala_file.h"
#include "support/golden.h"
#include "support/pitch_table_text.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using test::expectGolden;
using test::tableText;

PitchTables parse(const std::vector<std::string>& records) {
    return parsePitchTable(tableText(records), "Dizek.txt");
}

// One line per string (its cents at the ends, marks at -8, 5, 12 and the unused 13, then every
// named place), and the records of the given degrees.
std::string dump(const PitchTables& t, std::initializer_list<int> degrees) {
    std::ostringstream out;
    for (int s = 1; s <= kStringCount; ++s) {
        out << "tel " << s << ": " << t.centTable(s, -8) << ".." << t.centTable(s, 12)
            << " sent, işaret";
        for (int m : {-8, 5, 12, 13})
            out << ' ' << t.mandalMark(s, m);
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            if (!t.degreeName(s, m).empty())
                out << " | " << m << ": " << t.centTable(s, m) << " sent, derece "
                    << t.stringDegree(s, m) << ", '" << t.degreeName(s, m) << "'";
        out << '\n';
    }
    for (int d : degrees) {
        const DegreeRecord& r = t.degreeTable(d);
        out << "derece " << d << ": " << r.tel2 << '/' << r.mandal2 << ' ' << r.tel1 << '/'
            << r.mandal1 << ' ' << r.tel3 << '/' << r.mandal3 << ", " << r.cent << " sent, '"
            << r.ad << "'\n";
    }
    return out.str();
}

// What a reader makes of a text: its dump, or the message of its refusal.
std::string outcome(const std::function<std::string()>& read) {
    try {
        return read();
    } catch (const std::exception& e) {
        return std::string(e.what()) + "\n";
    }
}

// Fields tel2, tel1, tel3; strings 1..7 take names, not cents; of two records on one place the
// later wins name and cents, the higher degree the map; strings 0 or below give nothing.
TEST(PitchTable, SectionsFillStringsOneToSevenAndRecordsNameTheirPlaces) {
    const PitchTables t = parse({
        "5, 12,3, 20,-2, 123.25, \"Hüseynî\", 24,-8",
        "40, 3,2, 0,0, 555.5, \"Eviç\", -1,4",
        "-109, 26,-8, 0,0, -1900, \"Kaba\", 0,0",
        "197, 25,-8, 0,0, 3000, \"Tiz\", 0,0",
        "30, 10,1, 0,0, 300, \"yüksek\", 0,0",
        "20, 10,1, 0,0, 200, \"alçak\", 0,0",
        "7, 0,5, -3,99, 10, \"x\", 0,0",
    });
    expectGolden("pitch/records.txt", dump(t, {5, 40, -109, 197, 30, 20, 7}));
    EXPECT_EQ(characterCount(t.degreeTable(5).ad), 30u);
}

TEST(PitchTable, MalformedTablesAreRefusedWithFileAndLine) {
    // One record of each fault (20000 cents is the last taken); records start on line 41.
    const char* const cases[] = {
        "201, 1,0, 0,0, 1, \"x\", 0,0",
        "1, 27,0, 0,0, 1, \"x\", 0,0",
        "1, 2,3, 0,0, 1, \"x\", 0,0\r\n2, 5,13, 0,0, 1, \"x\", 0,0",
        "1, 0,0, 0,0, abc, \"x\", 0,0",
        "1, 2.5,0, 0,0, 1, \"x\", 0,0",
        "1, 2,0, 0,0, 1, \"x\", 0",
        "1, 2,0, 0,0, 1, \"x\", 0,0\r\n2, 9,0, 0,0, 1e300, \"x\", 0,0",
        "1, 9,0, 0,0, inf, \"x\", 0,0",
        "1, 9,0, 0,0, 20001, \"x\", 0,0",
        "1, 9,0, 0,0, 20000, \"x\", 0,0",
    };
    std::string said;
    for (const char* records : cases)
        said += outcome([&] { return dump(parse({records}), {1, 2}); });
    // Section B bounded too, a mark beyond the double signs, sections cut short.
    const std::string text = tableText({"1, 9,0, 0,0, 20000, \"x\", 0,0"});
    std::vector<std::string> broken{text, text};
    broken[0].replace(broken[0].find("2011,"), 4, "1e300");
    broken[1].replace(broken[1].rfind(",-12\r\n"), 4, ",-13");
    const std::string full = tableText({});
    for (std::size_t cut : {std::size_t{0}, full.size() - 4})
        broken.push_back(full.substr(0, cut));
    for (const std::string& b : broken)
        said += outcome([&] { return dump(parsePitchTable(b, "Dizek.txt"), {}); });
    expectGolden("pitch/refused_tables.txt", said);
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
    EXPECT_THROW(t.degreeTable(kDegreeHigh + 1), std::out_of_range);
    EXPECT_THROW(t.degreeTable(kDegreeLow - 1), std::out_of_range);
    EXPECT_NO_THROW(t.mandalMark(1, 13) = t.degreeTable(-110).tel1);
}

std::string listed(const Scale& s) {
    std::ostringstream out;
    out << "'" << s.description << "' " << s.size() << " perde, periyot " << s.period << ":";
    for (double step : s.steps)
        out << ' ' << step;
    for (int degree : {-11, -6, -5, -1, 3, 6})
        out << " | " << degree << ": " << degreeCents(s, degree);
    return out.str() + "\n";
}

std::string listed(const KeyboardMapping& map) {
    std::ostringstream out;
    out << map.size << " tuş, orta " << map.middleKey << ", " << map.referenceKey << " = "
        << map.referenceHz << " Hz:";
    for (int key : {50, 59, 60, 61, 62, 73})
        out << ' ' << key << '>' << degreeOfKey(map, key).value_or(-999);
    return out.str() + "\n";
}

// Scales (a period a few cents from the octave still taken) and mappings (unmapped keys, keys left
// out at the end, size 0), each read or refused with file and line.
TEST(Scala, ScalesAndMappingsAreReadOrRefusedNamingFileAndLine) {
    const char* const scales[] = {
        "! tiny.scl\r\n!\r\nA test scale\r\n 5\r\n!\r\n 150.5 first\r\n\r\n 3/2\r\n +800.25\r\n"
        " 15/8\r\n 2\r\n",
        "\n5\n100.0\n300.\n500.0\n700.0\n1200.0\n",
        "d\n5\n100.0\n200.0\n300.0\n400.0\n1210.0\n",
        "d\nmany\n",
        "d\n161\n",
        "d\n5\n100.0\n200.0\n1e400.\n",
        "d\n5\n100.0\n3/0\n",
        "d\n5\n100.0\n-3/2\n",
        "d\n5\n300.0\n200.0\n",
        "d\n5\n100.0\n200.0\n300.0\n400.0\n3/1\n",
        "d\n5\n100.0\n200.0\n",
        "d\n5\n100.0\n200.0\n300.0\n400.0\n2/1\n5/4\n",
        "! only a comment\n",
    };
    std::string said;
    for (const char* text : scales)
        said += outcome([&] { return listed(parseScale(text, "a.scl")); });
    const char* const mappings[] = {
        "! a.kbm\n12\n0\n127\n60\n69\n440.0\n12\n! keys\n0\n1\nx\n3\n4\n5\n6\n7\n8\n9\n10\n11\n",
        "3\n0\n127\n60\n69\n440.0\n3\n0\n1\n",
        "0\n0\n127\n62\n62\n293.66\n0\n",
        "200\n",
        "0\n0\n127\n60\n69\nabc\n",
        "0\n0\n127\n60\n69\n-440.0\n",
        "2\n0\n127\n60\n69\n440.0\n2\n0\ny\n",
        "0\n100\n50\n",
    };
    for (const char* text : mappings)
        said += outcome([&] { return listed(parseKeyboardMapping(text, "b.kbm")); });
    expectGolden("pitch/scala.txt", said);
}

} // namespace
} // namespace zembera
