// The bundled makam and melody files against the bundled pitch table, as approved dumps.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <set>
#include <sstream>
#include <string>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/melody_file.h"
#include "files/text_file.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"
#include "support/golden.h"

namespace zembera {
namespace {

const std::filesystem::path kProgram = ZEMBERA_PROGRAM_DIR;

// Cents above the nearest C below: what a step of the makam's scale is.
double pitchClass(double cents) {
    return std::fmod(std::fmod(cents, 1200.0) + 1200.0, 1200.0);
}

PerString<std::int16_t> loadMakam(const std::string& name) {
    InstrumentState ranges;
    setMandalRanges(ranges);
    PerString<std::int16_t> pos{};
    const auto text = readTextFile(makamFilePath(kProgram, name));
    EXPECT_TRUE(text) << name;
    readMakamPositions(text.value_or(""), name, ranges, [&](int k, std::int16_t p) { pos[k] = p; });
    return pos;
}

// Each string's position and pitch class, string 1 first: strings 8-26 sound the makam's scale
// steps exactly, strings 1-7 the nearest their shorter rows reach.
TEST(BundledMakams, EveryStringSoundsItsScaleStep) {
    const PitchTables tables = tablo_oku_txt(kProgram);
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    for (const char* makam : {"Rast", "Uşşak", "Hicaz", "Hüzzam", "Nihavent"}) {
        const PerString<std::int16_t> pos = loadMakam(makam);
        out << makam << ':';
        for (int s = 1; s <= 26; ++s)
            out << ' ' << pos[s] << '=' << pitchClass(tables.centTable(s, pos[s]));
        out << '\n';
    }
    test::expectGolden("tools/makams.txt", out.str());
}

// Every note of each tune, by its pitch class, and whether "şartlı" at pitch-level shift 0 plays
// it at the written mandal both with the tune's makam loaded and with every mandal at 0.
TEST(BundledMelodies, EveryNoteIsInItsMakamAndSartliPlaysItAsWritten) {
    const PitchTables tables = tablo_oku_txt(kProgram);
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    for (const auto& [file, makamName] : {std::pair{"korobeiniki.ses", "Nihavent"},
                                          {"hava_nagila.ses", "Hicaz"},
                                          {"god_rest_ye.ses", "Nihavent"}}) {
        const PerString<std::int16_t> makam = loadMakam(makamName);
        const auto text = readTextFile(kProgram / file);
        ASSERT_TRUE(text) << file;
        FieldReader reader(*text, file);
        std::set<double> classes;
        int notes = 0, asWritten = 0, skipped = 0, longest = 0;
        while (!reader.atEnd()) {
            const MelodyRecord r = readMelodyRecord(reader);
            const MelodyStep step = melodyStep(r);
            skipped += step == MelodyStep::skip;
            if (step != MelodyStep::note) continue;
            ++notes;
            longest = std::max(longest, r.durationCode());
            const int s = noteString(r.note());
            asWritten += melodyMandal(MandalMode::şartlı, r, makam[s], 0) == r.fileMandal() &&
                         melodyMandal(MandalMode::şartlı, r, 0, 0) == r.fileMandal();
            classes.insert(std::round(100 * pitchClass(tables.centTable(s, r.fileMandal()))));
        }
        out << file << " (" << makamName << "): " << notes << " nota, " << asWritten
            << " yazıldığı gibi, " << skipped << " atlanan, en uzun süre kodu " << longest << ':';
        for (double c : classes)
            out << ' ' << c / 100;
        out << '\n';
    }
    test::expectGolden("tools/melodies.txt", out.str());
}

} // namespace
} // namespace zembera
