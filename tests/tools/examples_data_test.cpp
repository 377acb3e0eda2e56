// The bundled makam and melody files against the bundled pitch table.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "common/text_fields.h"
#include "files/makam_file.h"
#include "files/melody_file.h"
#include "files/text_file.h"
#include "instrument/instrument_state.h"
#include "pitch/pitch_table.h"

namespace zembera {
namespace {

using namespace ::testing;

const std::filesystem::path kProgram = ZEMBERA_PROGRAM_DIR;

const PitchTables& tables() {
    static const PitchTables t = tablo_oku_txt(kProgram);
    return t;
}

// Cents of each scale step above C (C D E F G A B), which fix the degrees of strings 8..26.
struct Scale {
    const char* makam;
    std::array<double, 7> cents;
};

const Scale kScales[] = {
    {"Rast", {0, 196.23, 392.45, 588.68, 701.89, 898.11, 1079.25}},
    {"Uşşak", {0, 196.23, 392.45, 498.11, 701.89, 898.11, 1079.25}},
    {"Hicaz", {90.57, 196.23, 392.45, 588.68, 701.89, 898.11, 1003.77}},
    {"Hüzzam", {0, 196.23, 301.89, 588.68, 701.89, 898.11, 1079.25}},
    {"Nihavent", {0, 196.23, 286.79, 498.11, 701.89, 898.11, 988.68}},
};

int letterOf(int s) {
    return ((17 - s) % 7 + 7) % 7;
}

double pitchClass(double cents) {
    return std::fmod(std::fmod(cents, 1200.0) + 1200.0, 1200.0);
}

PerString16 loadMakam(const std::string& name) {
    InstrumentState ranges;
    setMandalRanges(ranges);
    PerString16 pos{};
    const auto text = readTextFile(makamFilePath(kProgram, name));
    EXPECT_TRUE(text) << name;
    readMakamPositions(text.value_or(""), name, ranges, [&](int k, std::int16_t p) { pos[k] = p; });
    return pos;
}

TEST(BundledMakams, EveryStringSoundsItsScaleStep) {
    for (const Scale& scale : kScales) {
        const PerString16 pos = loadMakam(scale.makam);
        for (int s = 1; s <= 26; ++s) {
            const double want = scale.cents[static_cast<std::size_t>(letterOf(s))];
            const double got = pitchClass(tables().centTable(s, pos[s]));
            double miss = std::abs(got - want);
            miss = std::min(miss, 1200 - miss);
            // Strings 8-26 move one degree a step; strings 1-7 move two and take the nearest.
            EXPECT_LT(miss, s >= 8 ? 0.01 : 15.1) << scale.makam << " string " << s;
        }
    }
}

struct Tune {
    const char* file;
    const char* makam;
    std::vector<double> variants; // pitch classes the makam also uses (Acem in a Hicaz descent)
    int notes;
};

TEST(BundledMelodies, EveryNoteIsInItsMakamAndSartliPlaysItAsWritten) {
    const Tune tunes[] = {{"korobeiniki.ses", "Nihavent", {}, 37},
                          {"hava_nagila.ses", "Hicaz", {498.11}, 40},
                          {"god_rest_ye.ses", "Nihavent", {}, 28}};
    for (const Tune& tune : tunes) {
        const Scale& scale = *std::find_if(std::begin(kScales), std::end(kScales),
                                           [&](const Scale& s) { return s.makam == tune.makam; });
        const PerString16 makam = loadMakam(tune.makam);
        const auto text = readTextFile(kProgram / tune.file);
        ASSERT_TRUE(text) << tune.file;
        FieldReader reader(*text, tune.file);
        int notes = 0;
        while (!reader.atEnd()) {
            const MelodyRecord r = readMelodyRecord(reader);
            const MelodyStep step = melodyStep(r);
            ASSERT_NE(step, MelodyStep::skip) << tune.file;
            if (step == MelodyStep::rest) continue;
            ++notes;
            EXPECT_THAT(r.durationCode(), AllOf(Ge(1), Le(6)));
            const int s = noteString(r.note());
            const int file = r.fileMandal();
            // şartlı at pitch-level shift 0, with the makam loaded and with every mandal at 0.
            EXPECT_EQ(melodyMandal(MandalMode::şartlı, r, makam[s], 0), file) << tune.file;
            EXPECT_EQ(melodyMandal(MandalMode::şartlı, r, 0, 0), file) << tune.file;
            const double got = pitchClass(tables().centTable(s, file));
            std::vector<double> allowed(scale.cents.begin(), scale.cents.end());
            allowed.insert(allowed.end(), tune.variants.begin(), tune.variants.end());
            EXPECT_THAT(allowed, Contains(DoubleNear(got, 0.01)))
                << tune.file << " note " << notes << " string " << s << " at " << file;
        }
        EXPECT_EQ(notes, tune.notes) << tune.file;
    }
}

} // namespace
} // namespace zembera
