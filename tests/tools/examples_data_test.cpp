// The bundled makam and melody files against the bundled pitch table.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/melody_file.h"
#include "files/text_file.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"

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

// Pitch classes a cent apart or less, round the octave.
double classGap(double a, double b) {
    const double d = std::abs(pitchClass(a) - pitchClass(b));
    return std::min(d, 1200 - d);
}

const char* const kMakams[] = {"Rast", "Uşşak", "Hicaz", "Hüzzam", "Nihavent"};

// Strings 8-26 sound the makam's scale steps, each octave alike; strings 1-7 the nearest their
// shorter rows reach to the step of the string an octave below.
TEST(BundledMakams, EveryStringSoundsItsScaleStep) {
    const PitchTables t = tablo_oku_txt(kProgram);
    InstrumentState ranges;
    setMandalRanges(ranges);
    for (const char* makam : kMakams) {
        const PerString<std::int16_t> pos = loadMakam(makam);
        for (int s = 8; s <= 19; ++s)
            EXPECT_LT(classGap(t.centTable(s, pos[s]), t.centTable(s + 7, pos[s + 7])), 0.01)
                << makam << " " << s;
        for (int s = 1; s <= 7; ++s) {
            const double step = t.centTable(s + 7, pos[s + 7]);
            for (int m = ranges.mandalMin[s]; m <= ranges.mandalMax[s]; ++m)
                EXPECT_LE(classGap(t.centTable(s, pos[s]), step),
                          classGap(t.centTable(s, m), step) + 1e-3)
                    << makam << " " << s << " " << m;
        }
    }
}

// Every note of each tune is one of its makam's steps (two of hava nagila's aside), and "şartlı" at
// pitch-level shift 0 plays it at the written mandal both with the tune's makam loaded and with
// every mandal at 0.
TEST(BundledMelodies, EveryNoteIsInItsMakamAndSartliPlaysItAsWritten) {
    const PitchTables tables = tablo_oku_txt(kProgram);
    for (const auto& [file, makamName] : {std::pair{"korobeiniki.ses", "Nihavent"},
                                          {"hava_nagila.ses", "Hicaz"},
                                          {"god_rest_ye.ses", "Nihavent"}}) {
        const PerString<std::int16_t> makam = loadMakam(makamName);
        const auto text = readTextFile(kProgram / file);
        ASSERT_TRUE(text) << file;
        FieldReader reader(*text, file);
        int notes = 0, outside = 0;
        while (!reader.atEnd()) {
            const MelodyRecord r = readMelodyRecord(reader);
            ASSERT_NE(melodyStep(r), MelodyStep::skip) << file << " " << notes;
            if (melodyStep(r) != MelodyStep::note) continue;
            ++notes;
            const int s = noteString(r.note());
            EXPECT_EQ(melodyMandal(MandalMode::şartlı, r, makam[s], 0), r.fileMandal());
            EXPECT_EQ(melodyMandal(MandalMode::şartlı, r, 0, 0), r.fileMandal());
            double nearest = 1200;
            for (int k = 8; k <= 26; ++k)
                nearest = std::min(nearest, classGap(tables.centTable(s, r.fileMandal()),
                                                     tables.centTable(k, makam[k])));
            outside += nearest > 0.01;
        }
        EXPECT_GT(notes, 20) << file;
        // Hava nagila as bundled plays F natural twice (string 7 open) under Hicaz's F sharp.
        EXPECT_EQ(outside, std::string(file) == "hava_nagila.ses" ? 2 : 0) << file;
    }
}

} // namespace
} // namespace zembera
