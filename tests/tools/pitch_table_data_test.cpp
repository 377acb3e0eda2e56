// The bundled pitch table as the build made it, read back through the program's reader and
// compared with its approved dump, and the pieces of its maker: the naming rule and the text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "common/text_fields.h"
#include "engine/note.h"
#include "pitch/pitch_table.h"
#include "support/fold_table.h"
#include "support/golden.h"
#include "support/wav_files.h"
#include "systems/degree_names.h"

namespace zembera::systems {
namespace {

// UTF-8 text of CR LF lines (26 pairs, 7 + 7 rows, degrees -110..200). The marks of the narrow
// strings follow the fold table.
TEST(BundledPitchTable, IsTheApprovedTable) {
    const auto bytes = test::readFile(std::string(ZEMBERA_PROGRAM_DIR) + "/Dizek.txt");
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(decodeText(text), text) << "not valid UTF-8";
    EXPECT_TRUE(text.ends_with("\r\n"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 26 + 14 + 311);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 26 + 14 + 311);
    const PitchTables t = tablo_oku_txt(ZEMBERA_PROGRAM_DIR);
    for (int s = 1; s <= kStringCount; ++s)
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            EXPECT_EQ(t.mandalMark(s, m), s <= 7 ? test::markOf(s, m) : m) << s << " " << m;
    // Each record's name padded to 30 characters; its cents and places are checked against the
    // scale in PitchSystems.YarmanTablesAreTheirScalesOnTheWrittenNaturals.
    for (int d = kFileDegreeLow; d <= kFileDegreeHigh; ++d) {
        const std::string& name = t.degreeTable(d).ad;
        EXPECT_EQ(
            std::count_if(name.begin(), name.end(), [](char c) { return (c & 0xC0) != 0x80; }), 30)
            << d;
    }
    EXPECT_EQ(t.degreeName(17, 0), t.degreeTable(0).ad);
    EXPECT_EQ(t.degreeName(12, 0), t.degreeTable(59).ad);
}

// The sample rate each bundled sample is patched to at every position of the bundled table: the
// approved rates were worked out apart from the program, from Dizek.txt with the long strings'
// cents in single precision as the table once kept them, so that the sound of the bundled
// default stays what it was now that the table keeps double precision.
TEST(BundledPitchTable, PatchedSamplesKeepTheirRates) {
    const std::filesystem::path program(ZEMBERA_PROGRAM_DIR);
    const PitchTables tables = tablo_oku_txt(program);
    PerString<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(program / "wavs")) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 10 && name[2] == '_' && name.ends_with(".wav"))
            names[static_cast<std::size_t>(std::stoi(name.substr(0, 2)))] = name;
    }
    std::ostringstream out;
    for (int s = 1; s <= kStringCount; ++s) {
        out << "tel " << s << ":";
        const double nominalHz = std::stod(names[static_cast<std::size_t>(s)].substr(3, 6)) / 100;
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
            const std::uint32_t rate = engine::playRateOf(nominalHz, tables.centTable(s, m));
            ASSERT_NE(rate, 0u) << s << " " << m;
            out << ' ' << rate;
        }
        out << '\n';
    }
    test::expectGolden("tools/patched_rates.txt", out.str());
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

// Commas become degrees; names take "Kaba "/"Tiz " by octave, an empty C6 cell the C5 name; a name
// table without its header, or missing a natural's name, is refused.
TEST(DegreeNames, CommasBecomeDegreesAndNamesTakeTheirOctave) {
    std::ostringstream out;
    for (int commas : {0, 1, 5, 8, 13, 23, 52})
        out << commas << " koma: derece " << degreeOfCommas(commas) << '\n';
    const DegreeNamer n(parseNameTable(kNames, "n.tsv"));
    for (int degree : {-99, -1, 5, 6, 46, 91, 164, 171, 204, 237})
        out << "derece " << degree << ": " << n.nameOf(degree) << '\n';
    for (const char* text : {"commas\tC4\tC5\n0 Kaba Çargâh\n", "commas\tC4\tC5\n53\tA\tB\n",
                             "commas\tC4\tC5\n0\tA\tB\n0\tC\tD\n", "commas\tC4\tC5\n0\tA\t\n",
                             "0\tA\tB\n9\tC\tD\n", "c\tC4\tC5\n0\tA\tB\n"}) {
        try {
            DegreeNamer(parseNameTable(text, "n.tsv"));
            out << "kabul\n";
        } catch (const std::runtime_error& e) {
            out << e.what() << '\n';
        }
    }
    test::expectGolden("tools/degree_names.txt", out.str());
}

} // namespace
} // namespace zembera::systems
