#include <gtest/gtest.h>

#include <filesystem>

#include "common/text_fields.h"
#include "files/melody_file.h"
#include "scores/score_file.h"
#include "scores/ses_export.h"

namespace zembera::scores {
namespace {

// Every string's natural at position 0, one comma a position.
PitchTables commaTables() {
    PitchTables t;
    for (int s = 1; s <= kStringCount; ++s) {
        const int d = kMiddleCString - s;
        const int step = ((d % 7) + 7) % 7;
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            t.centTable(s, m) = pitchCents(step, 4 + (d - step) / 7, m);
    }
    return t;
}

ScoreNote note(int step, int octave, double commas, double beats) {
    ScoreNote n;
    n.step = step;
    n.octave = octave;
    n.cents = pitchCents(step, octave, commas);
    n.beats = beats;
    n.ms = beats * 1000;
    return n;
}

struct Played {
    int string, units, mandal;
    bool operator==(const Played&) const = default;
};

// What the melody player makes of the text: string (0 for a rest), units and file mandal.
std::vector<Played> replay(const std::string& text) {
    FieldReader reader(text, "x.ses");
    std::vector<Played> out;
    int units = 0;
    while (!reader.atEnd()) {
        const MelodyRecord r = readMelodyRecord(reader);
        if (melodyStep(r) == MelodyStep::rest) {
            out.push_back({0, restUnits(r.note()), 0});
        } else if (melodyStep(r) == MelodyStep::note) {
            units = noteUnits(r, units);
            EXPECT_EQ(r.condition(), 1);
            out.push_back({noteString(r.note()), units, r.fileMandal()});
        }
    }
    return out;
}

TEST(SesExport, AFittingScoreReplaysOnItsStringsLengthsAndPositions) {
    Score score;
    ScoreNote rest;
    rest.rest = true;
    rest.beats = 1.5;
    score.notes = {note(6, 4, -5, 1),      note(5, 4, 0, 0.75),    note(2, 5, -1, 1.0 / 3),
                   note(3, 5, 8, 1.0 / 3), note(1, 5, 0, 1.0 / 3), rest,
                   note(5, 3, 4, 4),       note(0, 4, 0, 1.0 / 6), note(0, 4, 0, 0.125)};
    const PitchTables tables = commaTables();
    const SesExport ses = exportSes(score, placeScore(score, standardSetup(tables, 0)));
    ASSERT_TRUE(ses.fits()) << ses.problems.front();
    const std::vector<Played> expected{{11, 16, -5}, {12, 12, 0}, {8, 5, -1}, {7, 5, 8},
                                       {9, 5, 0},    {0, 16, 0},  {0, 8, 0},  {19, 64, 4},
                                       {17, 3, 0},   {17, 2, 0}};
    EXPECT_EQ(replay(ses.text), expected);
}

TEST(SesExport, NotesTheFormatCannotHoldAreNamed) {
    const PitchTables tables = commaTables();
    // The exercise ties a dotted quarter to a half: 56 units, no duration code.
    const Score exercise = readScoreFile(std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores" /
                                         "saz_semaisi.musicxml");
    const SesExport ses = exportSes(exercise, placeScore(exercise, standardSetup(tables, 0)));
    EXPECT_FALSE(ses.fits());
    EXPECT_TRUE(ses.text.empty());
    EXPECT_EQ(ses.problems,
              (std::vector<std::string>{"nota 11 (ölçü 2): süre ses dosyasında yazılamaz"}));

    Score high;
    high.notes = {note(2, 6, 0, 1), note(0, 3, 0, 1)};
    const SesExport out = exportSes(high, placeScore(high, standardSetup(tables, 0)));
    EXPECT_EQ(out.problems,
              (std::vector<std::string>{"nota 1 (ölçü 0): tel 1 ses dosyasında yazılamaz",
                                        "nota 2 (ölçü 0): tel 24 ses dosyasında yazılamaz"}));
}

} // namespace
} // namespace zembera::scores
