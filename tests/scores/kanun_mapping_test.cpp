#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "scores/kanun_mapping.h"
#include "scores/mandal_plan.h"
#include "scores/score_file.h"
#include "scores/ses_export.h"
#include "support/golden.h"

namespace zembera::scores {
namespace {

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

ScoreNote rest(double ms) {
    return {.rest = true, .beats = ms / 1000, .ms = ms};
}

// The placed notes, the totals and the mandal plan as lines of an approved dump.
std::string dump(const PlacedScore& placed) {
    std::string out;
    char line[200];
    for (const PlacedNote& n : placed.notes) {
        std::snprintf(line, sizeof line,
                      "  %s tel %d mandal %d, oktav %+d, hata %+.3f sent, ölçü %d, %.2f + %.2f "
                      "ms%s%s\n",
                      n.rest ? "es" : "nota", n.string, n.mandal, n.octavesMoved, n.errorCents,
                      n.measure, n.onsetMs, n.ms, n.chord ? ", akor" : "",
                      n.dropped ? ", çalınmaz" : "");
        out += line;
    }
    std::snprintf(line, sizeof line,
                  "  en kötü %.3f sent (nota %d), oktav kayan %d, akor %d, çalınmayan %d\n",
                  placed.worstErrorCents, placed.worstIndex, placed.octaveMovedCount,
                  placed.chordNotes, placed.droppedChordNotes);
    out += line;
    const MandalPlan plan = planMandals(placed);
    for (const MandalChange& c : plan.changes) {
        std::snprintf(line, sizeof line, "  değişim tel %d %d → %d, nota %d, %.0f ms%s\n", c.string,
                      c.from, c.to, c.noteIndex, c.freeMs, c.close ? ", yakın" : "");
        out += line;
    }
    for (int s = 1; s <= kStringCount; ++s) {
        if (plan.strings[s].noteCount > 0)
            out += "  tel " + std::to_string(s) + ": " + std::to_string(plan.strings[s].noteCount) +
                   " nota\n";
    }
    for (const std::string& l : planLines(plan))
        out += "  | " + l + "\n";
    return out;
}

std::string placed(const std::string& title, const Score& score, int stringShift = 0,
                   const std::array<float, kStringCount + 1>* offsets = nullptr) {
    return "# " + title + "\n" +
           dump(placeScore(score, standardSetup(commaTables(), stringShift, offsets)));
}

// On the 53-comma instrument: the exercise and the SymbTr piece (the naturals on their strings,
// the accidentals on their comma positions, the mandal plan), each note the nearest position
// (octave moves, the top and the lowest string, a halfway case), the shift of two strings, fine
// tuning, chords and a change with time to turn the mandal.
TEST(KanunMapping, PlacesAndPlans) {
    const double c = kCommaCents;
    std::string out = placed("saz semaisi", readScoreFile(kData / "saz_semaisi.musicxml"));
    out += placed("SymbTr", readScoreFile(kData / "deneme_symbtr.txt"));
    Score score;
    score.notes = {note(2, 4, -50 / c), // 50 cents down is 2.2 commas
                   note(6, 4, -2.5),    // halfway: the one nearer the open string
                   note(2, 6, 0),       // E6, the top string
                   note(3, 6, 0),       // F6 an octave down
                   note(5, 2, 0),       // A2, the lowest string
                   note(5, 1, 0),       // A1 an octave up
                   note(2, 6, 12)};     // string 1 reaches 6: the error says the rest
    out += placed("nearest", score);
    // Two strings lower the shift stands for the interval of the open strings 19 and 17 (A3
    // under C4, 13 commas), so A4 and E4 sound on F4 and C4 raised by 5 commas.
    score.notes = {note(5, 4, 0), note(2, 4, 0)};
    out += placed("two strings lower", score, 2);
    score.notes = {note(5, 4, 0), note(5, 4, 1)}; // A4 and A4 a comma up, both on string 12
    std::array<float, kStringCount + 1> offsets{};
    for (float offset : {-5.0F, static_cast<float>(-c), static_cast<float>(c / 2 + 1)}) {
        offsets[12] = offset;
        out += placed("string 12 tuned " + std::to_string(offset), score, 0, &offsets);
    }
    ScoreNote e = note(2, 4, 0, 500), g = note(4, 4, 0), e2 = note(2, 4, -1);
    g.chord = e2.chord = true;
    score.notes = {e, g, e2, note(0, 5, 0), rest(200), g}; // a chord mark after a rest
    out += placed("chords", score);
    score.notes = {note(6, 4, -5, 400), note(0, 5, 0, 300), note(6, 4, -4, 400), rest(600),
                   note(6, 4, -5, 400)};
    out += placed("time to turn the mandal", score);
    test::expectGolden("scores/kanun_mapping.txt", out);
}

// The melody file written for a score as an approved dump: the records of one that fits (notes
// at the file mandal with the condition mark, rests, triplets), and the notes named when the
// format cannot hold them (a dotted quarter tied to a half; the strings past the melody notes).
TEST(SesExport, WritesAFittingScoreAndNamesWhatTheFormatCannotHold) {
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
    Score high;
    high.notes = {note(2, 6, 0), note(0, 3, 0)};
    std::string out;
    for (const Score& s : {score, readScoreFile(kData / "saz_semaisi.musicxml"), high}) {
        const SesExport ses = exportSes(s, placeScore(s, standardSetup(commaTables(), 0)));
        out += std::string("# ") + (ses.fits() ? "yazılır" : "yazılamaz") + "\n" + ses.text;
        for (const std::string& problem : ses.problems)
            out += problem + "\n";
    }
    test::expectGolden("scores/ses_export.txt", out);
}

} // namespace
} // namespace zembera::scores
