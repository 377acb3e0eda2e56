#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "common/text_fields.h"
#include "files/melody_file.h"
#include "scores/kanun_mapping.h"
#include "scores/mandal_plan.h"
#include "scores/score_file.h"
#include "scores/ses_export.h"

namespace zembera::scores {
namespace {

using ::testing::AllOf;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::Field;

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

// A 53-comma instrument: every string's open pitch is its Pythagorean natural, and each mandal
// position moves it by one comma, so that the Turkish accidentals fall on positions exactly.
const PitchTables& commaTables() {
    static const PitchTables tables = [] {
        PitchTables t;
        for (int s = 1; s <= kStringCount; ++s) {
            const int d = kMiddleCString - s;
            const int step = ((d % 7) + 7) % 7;
            const int octave = 4 + (d - step) / 7;
            for (int m = kMandalLow; m <= kMandalHigh; ++m)
                t.centTable(s, m) = pitchCents(step, octave, m);
        }
        return t;
    }();
    return tables;
}

ScoreNote note(int step, int octave, double commas, double ms = 1000) {
    return {.step = step,
            .octave = octave,
            .cents = pitchCents(step, octave, commas),
            .beats = ms / 1000,
            .ms = ms};
}

// A placed note on `string` at `mandal`.
auto on(int string, int mandal) {
    return AllOf(Field(&PlacedNote::string, string), Field(&PlacedNote::mandal, mandal));
}

ScoreNote rest(double ms) {
    return {.rest = true, .beats = ms / 1000, .ms = ms};
}

TEST(KanunMapping, TheExerciseFallsOnItsNaturalsStringsAtTheCommaPositionsAndItsMandalPlan) {
    const PlacedScore placed =
        placeScore(readScoreFile(kData / "saz_semaisi.musicxml"), standardSetup(commaTables(), 0));
    EXPECT_THAT(placed.notes, ElementsAre(on(12, 0), on(11, -5), on(11, -4), on(11, -4), on(11, -5),
                                          on(10, 4), on(9, 0), on(8, -1), on(7, 8),
                                          Field(&PlacedNote::rest, true), on(13, 0), on(12, 0)));
    EXPECT_THAT(placed.notes, testing::Each(Field(&PlacedNote::errorCents, DoubleNear(0, 1e-9))));
    EXPECT_DOUBLE_EQ(placed.notes[11].onsetMs, 12000 - 2000);
    EXPECT_NEAR(placed.worstErrorCents, 0, 1e-9);

    // Two close changes on the B string.
    const MandalPlan plan = planMandals(placed);
    EXPECT_EQ(plan.strings[11].noteCount, 4);
    EXPECT_EQ(plan.strings[12].noteCount, 2);
    EXPECT_EQ(plan.closeCount(), 2);
    const std::vector<std::string> expected{
        "tel 7: başta 8",
        "tel 8: başta -1",
        "tel 9: başta 0",
        "tel 10: başta 4",
        "tel 11: başta -5, konumlar -5 -4",
        "tel 12: başta 0",
        "tel 13: başta 0",
        "ölçü 1, nota 3: tel 11 -5 → -4, 0 ms içinde",
        "ölçü 2, nota 5: tel 11 -4 → -5, 0 ms içinde",
    };
    EXPECT_EQ(planLines(plan), expected);

    // A SymbTr piece places the same way.
    const PlacedScore symbtr =
        placeScore(readScoreFile(kData / "deneme_symbtr.txt"), standardSetup(commaTables(), 0));
    ASSERT_EQ(symbtr.notes.size(), 8u);
    EXPECT_THAT(symbtr.notes[1], on(11, -1));
    EXPECT_THAT(symbtr.notes[4], on(8, -5));
    EXPECT_THAT(symbtr.notes[5], on(7, 4));
}

TEST(KanunMapping, EachNoteTakesTheNearestPositionOnTheStringsOfTheInstrument) {
    const double c = kCommaCents;
    const struct {
        ScoreNote note;
        int string, mandal, octavesMoved;
        double errorCents;
    } cases[] = {
        {note(2, 4, -50 / c), 15, -2, 0, 50 - 2 * c}, // 50 cents down is 2.2 commas
        {note(6, 4, -2.5), 11, -2, 0, c / 2},         // halfway: the one nearer the open string
        {note(2, 6, 0), 1, 0, 0, 0},                  // E6, the top string
        {note(3, 6, 0), 7, 0, -1, 0},                 // F6 an octave down
        {note(5, 2, 0), 26, 0, 0, 0},                 // A2, the lowest string
        {note(5, 1, 0), 26, 0, 1, 0},                 // A1 an octave up
        {note(2, 6, 12), 1, 6, 0, -6 * c},            // string 1 reaches 6: the error says the rest
    };
    Score score;
    for (const auto& k : cases)
        score.notes.push_back(k.note);
    const PlacedScore placed = placeScore(score, standardSetup(commaTables(), 0));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_THAT(placed.notes[i],
                    AllOf(on(cases[i].string, cases[i].mandal),
                          Field(&PlacedNote::octavesMoved, cases[i].octavesMoved),
                          Field(&PlacedNote::errorCents, DoubleNear(cases[i].errorCents, 1e-9))))
            << i;
    }
    EXPECT_EQ(placed.octaveMovedCount, 2);
    EXPECT_NEAR(placed.worstErrorCents, 6 * c, 1e-9);
    EXPECT_EQ(placed.worstIndex, 6);

    // Two strings lower the shift stands for the interval of the open strings 19 and 17 (A3
    // under C4, 13 commas), so A4 and E4 sound on F4 and C4 raised by 5 commas.
    score.notes = {note(5, 4, 0), note(2, 4, 0)};
    const PlacedScore shifted = placeScore(score, standardSetup(commaTables(), 2));
    EXPECT_THAT(shifted.notes, ElementsAre(on(14, 5), on(17, 5)));
    EXPECT_NEAR(shifted.worstErrorCents, 0, 1e-9);
}

TEST(MandalPlan, AChangeWithTimeToTurnTheMandalIsNotClose) {
    Score score;
    score.notes = {note(6, 4, -5, 400), note(0, 5, 0, 300), note(6, 4, -4, 400), rest(600),
                   note(6, 4, -5, 400)};
    const MandalPlan plan = planMandals(placeScore(score, standardSetup(commaTables(), 0)));
    const auto change = [](double freeMs, bool close) {
        return AllOf(Field(&MandalChange::freeMs, freeMs), Field(&MandalChange::close, close));
    };
    EXPECT_THAT(plan.changes, ElementsAre(change(300, true), change(600, false)));
    EXPECT_EQ(plan.closeCount(), 1);
}

TEST(KanunMapping, FineTuningMovesTheChosenPositionAndTheReportedError) {
    Score score;
    score.notes = {note(5, 4, 0), note(5, 4, 1)}; // A4 and A4 a comma up, both on string 12
    std::array<float, kStringCount + 1> offsets{};
    const struct {
        float offset;
        int mandals[2];
        double worst;
    } cases[] = {
        {0.0F, {0, 1}, 0},
        {-5.0F, {0, 1}, 5},                            // nearest still, 5 cents flat
        {static_cast<float>(-kCommaCents), {1, 2}, 0}, // a comma flat: one position up
        {static_cast<float>(kCommaCents / 2 + 1), {-1, 0}, kCommaCents / 2 - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        offsets[12] = c.offset;
        const PlacedScore placed = placeScore(score, standardSetup(commaTables(), 0, &offsets));
        EXPECT_THAT(placed.notes, ElementsAre(Field(&PlacedNote::mandal, c.mandals[0]),
                                              Field(&PlacedNote::mandal, c.mandals[1])));
        EXPECT_NEAR(placed.worstErrorCents, c.worst, 1e-4);
    }
}

TEST(KanunMapping, ChordNotesSoundTogetherOnTheirOwnStringsOrAreLeftOut) {
    Score score;
    ScoreNote e = note(2, 4, 0, 500), g = note(4, 4, 0), e2 = note(2, 4, -1), c5 = note(0, 5, 0);
    g.chord = e2.chord = true;
    ScoreNote restChord = g; // a chord mark after a rest is a note of its own
    score.notes = {e, g, e2, c5, rest(200), restChord};
    score.notes[3].chord = false;
    score.notes[5].chord = true;
    const PlacedScore placed = placeScore(score, standardSetup(commaTables(), 0));
    const auto at = [](int string, bool chord, bool dropped, double onset, double ms) {
        return AllOf(Field(&PlacedNote::string, string), Field(&PlacedNote::chord, chord),
                     Field(&PlacedNote::dropped, dropped), Field(&PlacedNote::onsetMs, onset),
                     Field(&PlacedNote::ms, ms));
    };
    EXPECT_THAT(placed.notes,
                ElementsAre(at(15, false, false, 0, 500), at(13, true, false, 0, 500),
                            at(15, true, true, 0, 500), at(10, false, false, 500, 1000),
                            at(0, false, false, 1500, 200), at(13, false, false, 1700, 1000)));
    EXPECT_EQ(placed.chordNotes, 1);
    EXPECT_EQ(placed.droppedChordNotes, 1);
    EXPECT_NEAR(placed.worstErrorCents, 0, 1e-9); // the dropped E a comma flat is not counted
    EXPECT_THAT(planLines(planMandals(placed)),
                testing::ElementsAre(
                    "akorlar: 1 nota ilk notasıyla birlikte kendi telinde çalınır",
                    "akorlar: 1 nota akorun başka bir notasıyla aynı tele düştüğü için çalınmaz",
                    "tel 10: başta 0", "tel 13: başta 0", "tel 15: başta 0"));
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
    score.notes = {note(6, 4, -5),
                   note(5, 4, 0, 750),
                   note(2, 5, -1, 1000.0 / 3),
                   note(3, 5, 8, 1000.0 / 3),
                   note(1, 5, 0, 1000.0 / 3),
                   rest(1500),
                   note(5, 3, 4, 4000),
                   note(0, 4, 0, 1000.0 / 6),
                   note(0, 4, 0, 125)};
    const SesExport ses = exportSes(score, placeScore(score, standardSetup(commaTables(), 0)));
    ASSERT_TRUE(ses.fits()) << ses.problems.front();
    const std::vector<Played> expected{{11, 16, -5}, {12, 12, 0}, {8, 5, -1}, {7, 5, 8},
                                       {9, 5, 0},    {0, 16, 0},  {0, 8, 0},  {19, 64, 4},
                                       {17, 3, 0},   {17, 2, 0}};
    EXPECT_EQ(replay(ses.text), expected);
}

TEST(SesExport, NotesTheFormatCannotHoldAreNamed) {
    const PitchTables& tables = commaTables();
    // The exercise ties a dotted quarter to a half: 56 units, no duration code.
    const Score exercise = readScoreFile(kData / "saz_semaisi.musicxml");
    const SesExport ses = exportSes(exercise, placeScore(exercise, standardSetup(tables, 0)));
    EXPECT_FALSE(ses.fits());
    EXPECT_TRUE(ses.text.empty());
    EXPECT_EQ(ses.problems,
              (std::vector<std::string>{"nota 11 (ölçü 2): süre ses dosyasında yazılamaz"}));

    Score high;
    high.notes = {note(2, 6, 0), note(0, 3, 0)};
    const SesExport out = exportSes(high, placeScore(high, standardSetup(tables, 0)));
    EXPECT_EQ(out.problems,
              (std::vector<std::string>{"nota 1 (ölçü 0): tel 1 ses dosyasında yazılamaz",
                                        "nota 2 (ölçü 0): tel 24 ses dosyasında yazılamaz"}));
}

} // namespace
} // namespace zembera::scores
