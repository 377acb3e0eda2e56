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
#include "pitch/pitch_table.h"
#include "sound/patched_sample.h"
#include "sound/sound_test_support.h"
#include "support/fold_table.h"
#include "support/golden.h"
#include "systems/degree_names.h"

namespace zembera::systems {
namespace {

// UTF-8 text of CR LF lines (26 pairs, 7 + 7 rows, degrees -110..200). The marks of the narrow
// strings follow the fold table, and their cents are their marks' degrees of the scale (checked in
// PitchSystems.YarmanTablesAreTheirScalesOnTheWrittenNaturals); the records (cents, name padded to
// 30, places, the closest reach first) are the approved file layout the transposition walks.
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
    std::ostringstream out;
    out << std::fixed << std::setprecision(3);
    for (int d = kFileDegreeLow; d <= kFileDegreeHigh; ++d) {
        const DegreeRecord& r = t.degreeTable(d);
        out << "derece " << d << ": " << r.cent << " '" << r.ad << "' " << r.tel2 << '/'
            << r.mandal2 << ' ' << r.tel1 << '/' << r.mandal1 << ' ' << r.tel3 << '/' << r.mandal3
            << '\n';
    }
    test::expectGolden("tools/dizek.txt", out.str());
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
    const PerString<float> noTuning{};
    const PatchedSampleSource source{program / "wavs", names, tables, noTuning};
    std::ostringstream out;
    for (int s = 1; s <= kStringCount; ++s) {
        out << "tel " << s << ":";
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
            const SoundImagePtr image = patchedSampleImage(source, s, m);
            ASSERT_TRUE(image) << s << " " << m;
            const std::uint8_t* rate = image->data() + 24;
            out << ' ' << (rate[0] | rate[1] << 8 | rate[2] << 16 | std::uint32_t{rate[3]} << 24);
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
