// Scores as they sound: each file is read, placed on the bundled instrument and rendered, and
// the onsets and pitches are measured from the rendered sound. The expected pitch of a written
// note is worked out here from the format's definition (equal-tempered semitones, or naturals
// and accidentals in Holdrian commas), then taken to the nearest position of its string.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/messages.h"
#include "loader/startup_loader.h"
#include "render/offline_render.h"
#include "render/score_events.h"
#include "scores/score_file.h"
#include "support/written_pitch.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace am = audio_measure;
using scores::PitchReading;

// The C4 of the pitch tables, in Hz.
constexpr double kTableC4Hz = 262.0;
constexpr std::size_t kLeadFrames = 2048;
constexpr double kLeadMs = kLeadFrames * 1000.0 / 44100;

struct Heard {
    double onsetMs = 0;
    double hz = 0; // 0 when the sound is too short to measure
};

class ScoreSound : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        RecordedMessages messages;
        loaded_ = new StartupResult(loadProgram(ZEMBERA_PROGRAM_DIR, messages));
        ASSERT_FALSE(loaded_->fatal);
    }
    static void TearDownTestSuite() {
        delete loaded_;
        loaded_ = nullptr;
    }
    LoadedProgram& program() { return *loaded_->program; }

    // The score read from `text` as the file `name`.
    scores::Score read(const std::string& text, const std::string& name,
                       const scores::ScoreChoice& choice = {}) {
        const auto file = std::filesystem::temp_directory_path() / ("zembera_ses_" + name);
        std::ofstream(file, std::ios::binary) << text;
        scores::Score score = scores::readScoreFile(file, choice);
        std::filesystem::remove(file);
        return score;
    }

    // The onsets and pitches heard when the score plays at its written tempo.
    std::vector<Heard> hear(const scores::Score& score) {
        LoadedProgram& p = program();
        const NoteEvents piece = scoreEvents(
            scores::placeScore(score, scores::standardSetup(p.tables, 0, &p.tuning.tuningOffset)),
            1.0);
        const PatchedSampleSource source{p.sampleFolder, p.samples.sampleFileName, p.tables,
                                         p.tuning.tuningOffset};
        NoteSounds sounds(source);
        std::vector<double> x(kLeadFrames, 0.0); // silence before, so that the first onset rises
        renderPiece(piece, sounds, [&](std::span<const std::int16_t> f) {
            x.insert(x.end(), f.begin(), f.end());
        });
        return listen(x);
    }
    std::vector<Heard> hear(const std::string& text, const std::string& name,
                            const scores::ScoreChoice& choice = {}) {
        return hear(read(text, name, choice));
    }

    // Onsets: where the level of the 11.6 ms after a point is 1.2 times that of the 11.6 ms
    // before it (the point of the largest ratio among neighbours); the pitch of each sound from
    // 15 ms after its onset to the next.
    static std::vector<Heard> listen(const std::vector<double>& x) {
        constexpr std::size_t hop = 64, window = 512, apart = window / hop;
        std::vector<double> level;
        for (std::size_t i = 0; i + window <= x.size(); i += hop)
            level.push_back(am::rms(std::span<const double>(x).subspan(i, window)) + 30);
        std::vector<std::size_t> onsets;
        std::size_t best = 0;
        double bestRatio = 0;
        for (std::size_t i = apart; i <= level.size(); ++i) {
            const double ratio = i < level.size() ? level[i] / level[i - apart] : 0;
            if (ratio > 1.2 && level[i] > 300) {
                if (ratio > bestRatio) {
                    best = i;
                    bestRatio = ratio;
                }
                continue;
            }
            if (bestRatio > 0 &&
                (onsets.empty() || (best - onsets.back()) * hop > 0.03 * am::kRate))
                onsets.push_back(best);
            bestRatio = 0;
        }
        std::vector<Heard> heard;
        for (std::size_t k = 0; k < onsets.size(); ++k) {
            const std::size_t from = onsets[k] * hop + 660;
            const std::size_t to = k + 1 < onsets.size() ? onsets[k + 1] * hop : x.size();
            Heard h;
            h.onsetMs = static_cast<double>(onsets[k] * hop) * 1000.0 / am::kRate - kLeadMs;
            if (to > from + 1500) {
                const std::span<const double> part(x.data() + from,
                                                   std::min(to - from, std::size_t{8192}));
                const double coarse = am::coarseFundamental(part, 100.0, 1500.0);
                h.hz = coarse > 0 ? am::refinePeak(part, coarse, 12) : 0.0;
            }
            heard.push_back(h);
        }
        return heard;
    }

    // The Hz of the position of the string of a written natural (diatonic index from C4)
    // nearest to `cents` above C4; of two equally near (within a hundredth of a cent), the one
    // nearer the open string.
    double expectedHz(int diatonic, double cents) {
        LoadedProgram& p = program();
        const int s = 17 - diatonic;
        double best = 1e9;
        int bestM = 0;
        for (int m = mandalMinOf(s); m <= mandalMaxOf(s); ++m) {
            const double c =
                p.tables.centTable(s, m) + p.tuning.tuningOffset[static_cast<std::size_t>(s)];
            const double gap = std::abs(c - cents) - std::abs(best - cents);
            if (gap < -0.01 || (gap <= 0.01 && std::abs(m) < std::abs(bestM))) {
                best = c;
                bestM = m;
            }
        }
        return kTableC4Hz * std::exp2(best / 1200.0);
    }

    double symbtrHz(int koma);
    static StartupResult* loaded_;
};
StartupResult* ScoreSound::loaded_ = nullptr;

// Cents above C4 of step 0..6 in `octave` raised by semitones, or by Holdrian commas.
const auto equal = test::equalCents;
const auto commas = test::aeuCents;
int diatonic(int step, int octave) {
    return (octave - 4) * 7 + step;
}

std::string partwise(const std::string& measures, const std::string& head = "") {
    return "<?xml version=\"1.0\"?><score-partwise version=\"4.0\">" + head +
           "<part-list><score-part id=\"P1\"><part-name>Kanun</part-name></score-part>"
           "</part-list><part id=\"P1\">" +
           measures + "</part></score-partwise>";
}
// A measure numbered `number` holding `body`; the first carries divisions 2 and tempo 60.
std::string bar(int number, const std::string& body, const std::string& attributes = "") {
    return "<measure number=\"" + std::to_string(number) + "\">" +
           (number == 1 ? "<attributes><divisions>2</divisions>" + attributes +
                              "</attributes><sound tempo=\"60\"/>"
            : attributes.empty() ? ""
                                 : "<attributes>" + attributes + "</attributes>") +
           body + "</measure>";
}
// A note of `step` in `octave` lasting `halves` eighth notes (divisions 2), with what follows
// the pitch.
std::string note(char step, int octave, int halves, const std::string& alter = "",
                 const std::string& after = "", const std::string& before = "") {
    return "<note>" + before + "<pitch><step>" + std::string(1, step) + "</step>" +
           (alter.empty() ? "" : "<alter>" + alter + "</alter>") + "<octave>" +
           std::to_string(octave) + "</octave></pitch><duration>" + std::to_string(halves) +
           "</duration>" + after + "</note>";
}
std::string rest(int halves) {
    return "<note><rest/><duration>" + std::to_string(halves) + "</duration></note>";
}

// Checks the onsets (ms) and, where a pitch is given, the heard pitch within 4 cents.
struct Expect {
    double onsetMs;
    double hz;                 // 0: not checked
    double toleranceCents = 4; // wider for strokes too short to measure finely
};
void expectHeard(const std::vector<Heard>& heard, const std::vector<Expect>& expected) {
    ASSERT_EQ(heard.size(), expected.size()) << [&] {
        std::string s = "heard:";
        for (const Heard& h : heard)
            s += " " + std::to_string(h.onsetMs) + "/" + std::to_string(h.hz);
        return s;
    }();
    for (std::size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE("sound " + std::to_string(i + 1));
        EXPECT_NEAR(heard[i].onsetMs, expected[i].onsetMs, 12.0);
        if (expected[i].hz > 0) {
            ASSERT_GT(heard[i].hz, 0);
            EXPECT_NEAR(am::centsBetween(heard[i].hz, expected[i].hz), 0.0,
                        expected[i].toleranceCents);
        }
    }
}

// A sharp tied over the bar line sounds once at one pitch; under a key of F and C sharp, an F
// without <alter> is F natural, and an earlier sharp in the measure changes no later note
// without <alter>.
TEST_F(ScoreSound, MusicXmlPitchIsTheSoundingPitch) {
    const std::string tie = partwise(
        bar(1, note('C', 4, 2) +
                   note('F', 4, 2, "1", "<tie type=\"start\"/><accidental>sharp</accidental>")) +
        bar(2, note('F', 4, 4, "1", "<tie type=\"stop\"/>") + note('C', 4, 2)));
    expectHeard(hear(tie, "bag.musicxml"),
                {{0, expectedHz(0, 0)}, {1000, expectedHz(3, equal(3, 4, 1))}, {4000, 0}});

    const std::string key = "<key><fifths>2</fifths></key>";
    const std::string naturals = partwise(
        bar(1,
            note('F', 4, 2, "1", "<accidental>sharp</accidental>") + note('F', 4, 2) +
                note('C', 5, 2, "", "<accidental>natural</accidental>") + note('C', 5, 2, "1"),
            key));
    expectHeard(hear(naturals, "donanim.musicxml"), {{0, expectedHz(3, equal(3, 4, 1))},
                                                     {1000, expectedHz(3, equal(3, 4, 0))},
                                                     {2000, expectedHz(7, equal(0, 5, 0))},
                                                     {3000, expectedHz(7, equal(0, 5, 1))}});
}

// <forward> advances the time; after <backup> the line keeps the first voice and follows the
// melody when it moves to voice 2 for a measure; a B-flat clarinet's written D4 sounds C4.
TEST_F(ScoreSound, MusicXmlTimeAndVoicesAsTheStandardDefinesThem) {
    const std::string v1 = "<voice>1</voice>", v2 = "<voice>2</voice>";
    const std::string backup = "<backup><duration>8</duration></backup>";
    const std::string text =
        partwise(bar(1, note('C', 4, 2, "", v1) + "<forward><duration>2</duration></forward>" +
                            note('D', 4, 4, "", v1) + backup + note('G', 3, 8, "", v2) +
                            note('B', 3, 8, "", "", "<chord/>")) +
                 bar(2, note('E', 4, 8, "", v2)) + bar(3, note('F', 4, 4, "", v1) + rest(4)));
    expectHeard(hear(text, "sesler.musicxml"), {{0, expectedHz(0, equal(0, 4, 0))},
                                                {2000, expectedHz(1, equal(1, 4, 0))},
                                                {4000, expectedHz(2, equal(2, 4, 0))},
                                                {8000, expectedHz(3, equal(3, 4, 0))}});
    // Voice 2 of the same part, chosen: its G3 with the chord note that gives no voice.
    const scores::Score second = read(text, "sesler.musicxml", {PitchReading::automatic, 0, 1});
    ASSERT_EQ(second.voices, (std::vector<std::string>{"1", "2"}));
    ASSERT_GE(second.notes.size(), 2u);
    EXPECT_TRUE(second.notes[1].chord);
    EXPECT_EQ(second.notes[1].diatonic(), diatonic(6, 3));

    // The second part, chosen, plays at the tempo the first part writes for both.
    std::string twoParts = partwise(bar(1, note('C', 4, 2)));
    twoParts.replace(twoParts.find("</score-partwise>"), 17,
                     "<part id=\"P2\"><measure number=\"1\"><attributes><divisions>1"
                     "</divisions></attributes>" +
                         note('E', 4, 2) + "</measure></part></score-partwise>");
    const scores::Score other = read(twoParts, "iki.musicxml", {PitchReading::automatic, 1, 0});
    ASSERT_EQ(other.parts.size(), 2u);
    EXPECT_EQ(other.notes.front().step, 2);
    EXPECT_DOUBLE_EQ(other.notes.front().ms, 2000.0); // two quarter notes at 60

    const std::string clarinet =
        partwise(bar(1, note('D', 4, 2) + note('F', 4, 2, "1"),
                     "<transpose><diatonic>-1</diatonic><chromatic>-2</chromatic></transpose>"));
    expectHeard(hear(clarinet, "klarnet.musicxml"),
                {{0, expectedHz(0, equal(0, 4, 0))}, {1000, expectedHz(2, equal(2, 4, 0))}});
}

// |: C | 1. D :| 2. E | F (fine) | G (D.C. al fine) plays C D C E F G, then from the start
// C, the last ending E, F and the fine.
TEST_F(ScoreSound, MusicXmlRepeatsEndingsAndDaCapoAlFine) {
    const std::string forward =
        "<barline location=\"left\"><repeat direction=\"forward\"/></barline>";
    const std::string text = partwise(
        bar(1, forward + note('C', 4, 2)) +
        bar(2, "<barline location=\"left\"><ending number=\"1\" type=\"start\"/></barline>" +
                   note('D', 4, 2) +
                   "<barline location=\"right\"><ending number=\"1\" type=\"stop\"/>"
                   "<repeat direction=\"backward\"/></barline>") +
        bar(3, "<barline location=\"left\"><ending number=\"2\" type=\"start\"/></barline>" +
                   note('E', 4, 2) +
                   "<barline location=\"right\"><ending number=\"2\" type=\"discontinue\"/>"
                   "</barline>") +
        bar(4, note('F', 4, 2) + "<direction><direction-type><words>Fine</words>"
                                 "</direction-type><sound fine=\"yes\"/></direction>") +
        bar(5, note('G', 4, 2) + "<direction><direction-type><words>D.C. al Fine</words>"
                                 "</direction-type><sound dacapo=\"yes\"/></direction>"));
    std::vector<Expect> expected;
    int second = 0;
    for (const int step : {0, 1, 0, 2, 3, 4, 0, 2, 3})
        expected.push_back({1000.0 * second++, expectedHz(step, equal(step, 4, 0))});
    const scores::Score score = read(text, "tekrar.musicxml");
    EXPECT_EQ(score.playedMeasures, 9);
    expectHeard(hear(score), expected);
}

// A score in SymbTr's dialect (key signature in commas, a one-comma flat written as
// quarter-flat with <alter>-0.5</alter>, a four-comma sharp as sharp with <alter>1</alter>) is
// read in commas; a quarter-tone score with the same glyphs in semitones exactly. Each can be
// switched to the other reading, and is heard so.
TEST_F(ScoreSound, TurkishOrWrittenAlterationOneRulePerScore) {
    const std::string key = "<key><key-step>B</key-step><key-alter>-5</key-alter>"
                            "<key-accidental>flat</key-accidental><key-step>E</key-step>"
                            "<key-alter>-2</key-alter><key-accidental>quarter-flat</key-accidental>"
                            "</key>";
    const std::string dialect = partwise(
        bar(1,
            note('B', 4, 2, "-1", "<accidental>flat</accidental>") +
                note('E', 5, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                note('A', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                note('F', 5, 2, "1", "<accidental>sharp</accidental>") + note('B', 4, 2, "-1"),
            key));
    const scores::Score turkish = read(dialect, "lehce.musicxml");
    EXPECT_EQ(turkish.reading, PitchReading::commas);
    EXPECT_EQ(turkish.keySignature, "B -5, E -2 koma");
    expectHeard(hear(turkish), {{0, expectedHz(6, commas(6, 4, -5))},
                                {1000, expectedHz(9, commas(2, 5, -2))},
                                {2000, expectedHz(5, commas(5, 4, -1))},
                                {3000, expectedHz(10, commas(3, 5, 4))},
                                {4000, expectedHz(6, commas(6, 4, -5))}});
    expectHeard(hear(dialect, "lehce.musicxml", {PitchReading::exact, 0, 0}),
                {{0, expectedHz(6, equal(6, 4, -1))},
                 {1000, expectedHz(9, equal(2, 5, -0.5))},
                 {2000, expectedHz(5, equal(5, 4, -0.5))},
                 {3000, expectedHz(10, equal(3, 5, 1))},
                 {4000, expectedHz(6, equal(6, 4, -1))}});

    const std::string maqam =
        partwise(bar(1, note('E', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                            note('B', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                            note('F', 4, 2, "0.5", "<accidental>quarter-sharp</accidental>")));
    const scores::Score exact = read(maqam, "makam.musicxml");
    EXPECT_EQ(exact.reading, PitchReading::exact);
    expectHeard(hear(exact), {{0, expectedHz(2, equal(2, 4, -0.5))},
                              {1000, expectedHz(6, equal(6, 4, -0.5))},
                              {2000, expectedHz(3, equal(3, 4, 0.5))}});
    expectHeard(hear(maqam, "makam.musicxml", {PitchReading::commas, 0, 0}),
                {{0, expectedHz(2, commas(2, 4, -1))},
                 {1000, expectedHz(6, commas(6, 4, -1))},
                 {2000, expectedHz(3, commas(3, 4, 1))}});
}

// A slashed grace note takes its time from the note before, one that steals from the note after
// sounds on the beat; a trill, a mordent (below), an inverted mordent (above), a turn and a
// tremolo of three marks play their figures on the neighbours under the key of one sharp.
TEST_F(ScoreSound, MusicXmlGraceNotesAndOrnaments) {
    const auto grace = [](char step, const std::string& attribute) {
        return "<note><grace " + attribute + "/><pitch><step>" + std::string(1, step) +
               "</step><octave>4</octave></pitch><type>16th</type></note>";
    };
    const auto ornament = [](const std::string& mark) {
        return "<notations><ornaments>" + mark + "</ornaments></notations>";
    };
    const std::string text =
        partwise(bar(1,
                     note('A', 4, 2) + grace('G', "slash=\"yes\"") + note('A', 4, 2) +
                         grace('E', "steal-time-following=\"20\"") + note('A', 4, 2),
                     "<key><fifths>1</fifths></key>") +
                 bar(2, note('E', 4, 2, "", ornament("<trill-mark/>")) +
                            note('A', 4, 2, "", ornament("<mordent/>")) +
                            note('A', 4, 2, "", ornament("<inverted-mordent/>")) +
                            note('A', 4, 2, "", ornament("<turn/>"))) +
                 bar(3, note('A', 4, 2, "", ornament("<tremolo type=\"single\">3</tremolo>"))));
    const scores::Score score = read(text, "susler.musicxml");
    EXPECT_EQ(score.graceNotes, 2);
    EXPECT_EQ(score.ornaments, 5);
    const double a = expectedHz(5, equal(5, 4, 0)), g = expectedHz(4, equal(4, 4, 0)),
                 b = expectedHz(6, equal(6, 4, 0)), e = expectedHz(2, equal(2, 4, 0)),
                 fSharp = expectedHz(3, equal(3, 4, 1));
    const double loose = 30;
    std::vector<Expect> expected{
        {0, a}, {937.5, g, loose}, {1000, a}, {2000, e, loose}, {2062.5, a}};
    for (int k = 0; k < 4; ++k) { // trill on E4 with the F sharp of the key
        expected.push_back({3000.0 + 250 * k, fSharp, loose});
        expected.push_back({3125.0 + 250 * k, e, loose});
    }
    for (const Expect& x : std::vector<Expect>{{4000, a, loose},
                                               {4125, g, loose},
                                               {4250, a}, // mordent
                                               {5000, a, loose},
                                               {5125, b, loose},
                                               {5250, a}, // inverted mordent
                                               {6000, b, loose},
                                               {6083.3, a, loose},
                                               {6166.7, g, loose},
                                               {6250, a}}) // turn
        expected.push_back(x);
    for (int k = 0; k < 8; ++k) // 32nds
        expected.push_back({7000.0 + 125 * k, a, loose});
    expectHeard(hear(score), expected);
}

// The Hz of a SymbTr pitch in Koma53 (C4 = 265) on the string of its natural.
double ScoreSound::symbtrHz(int koma) {
    const int above = koma - 265;
    const int octave = 4 + (above >= 0 ? above / 53 : -((52 - above) / 53));
    int step = 6;
    while (step > 0 && test::kAeuNaturalCommas[step] > above - (octave - 4) * 53)
        --step;
    return expectedHz(diatonic(step, octave), above * 1200.0 / 53);
}

// One SymbTr row: code, note name, Koma53, Pay/Payda and Ms.
std::string row(int code, const std::string& name, int koma, int pay, int payda, int ms) {
    return "1\t" + std::to_string(code) + "\t\t" + name + "\t" + std::to_string(koma) + "\t" +
           std::to_string(koma) + "\t" + std::to_string(pay) + "\t" + std::to_string(payda) + "\t" +
           std::to_string(ms) + "\t0\t0\t\t0\n";
}

// Every row with a duration takes its time, whatever its code; the codes with a pitch sound
// it, the ornament codes as their figures, grace notes (8) short before the beat after a note
// of code 10 and on the beat otherwise; the usul (51) and makam (50) rows take no time. At 60 a
// quarter note (1000 ms) a grace note lasts a 64th (62.5 ms), a trill's upper note a 32nd. A4
// (Koma53 305) lies as near string 12 open as its first raised position: the open one sounds.
TEST_F(ScoreSound, SymbTrEveryTimedRowIsANote) {
    const int a4 = 305, b4 = 314, c5 = 318, g4 = 296;
    const std::string text =
        "Sira\tKod\tNota53\tNotaAE\tKoma53\tKomaAE\tPay\tPayda\tMs\tLNS\tBas\tSoz1\tOffset\n" +
        row(51, "", 0, 4, 4, 0) + row(9, "A4", a4, 1, 4, 1000) + row(10, "B4", b4, 1, 4, 1000) +
        row(8, "C5", c5, 0, 0, 0) + row(11, "A4", a4, 1, 4, 1000) + row(1, "G4", g4, 1, 4, 1000) +
        row(7, "A4", a4, 1, 16, 250) + row(12, "A4", a4, 1, 4, 1000) +
        row(23, "A4", a4, 1, 4, 1000) + row(0, "", -1, 1, 4, 1000) + row(4, "G4", g4, 1, 4, 1000) +
        row(28, "A4", a4, 1, 4, 1000) + row(44, "A4", a4, 1, 4, 1000) + row(8, "G4", g4, 0, 0, 0) +
        row(9, "A4", a4, 1, 4, 1000) + row(50, "", 0, 0, 0, 0) + row(32, "C5", c5, 1, 4, 1000) +
        row(16, "C5", c5, 1, 8, 500) + row(24, "C5", c5, 1, 4, 1000);
    const double a = symbtrHz(a4), b = symbtrHz(b4), c = symbtrHz(c5), g = symbtrHz(g4);
    const double loose = 30;
    std::vector<Expect> expected;
    double at = 0; // the written time of the row
    auto strokes = [&](std::initializer_list<std::pair<double, double>> parts) {
        double t = at;
        for (const auto& [ms, hz] : parts) {
            expected.push_back({t, hz, ms >= 400 ? 4.0 : loose});
            t += ms;
        }
        at = t;
    };
    strokes({{1000, a}, {937.5, b}, {62.5, c}}); // 9, 10 giving its end to the grace note (8)
    strokes({{1000, a}, {1000, g}});             // 11, 1
    strokes({{125, a}, {125, a}});               // 7: a tremolo of 32nds
    strokes({{125, b}, {125, a}, {125, b}, {125, a}, {125, b}, {125, a}, {125, b}, {125, a}});
    strokes({{125, a}, {125, b}, {750, a}}); // 23: mordent
    at += 1000;                              // 0: a rest
    strokes({{1000, g}});                    // 4: glissando, the plain note
    strokes({{1000.0 / 12, b}, {1000.0 / 12, a}, {1000.0 / 12, g}, {750, a}}); // 28: turn
    strokes({{500, a}, {250, g}, {250, a}}); // 44: late mordent below
    strokes({{62.5, g}, {937.5, a}});        // 8 on the beat, then 9; 50 takes no time
    strokes({{125, b}, {125, c}, {125, b}, {125, c}, {125, b}, {125, c}, {125, b}, {125, c}}); // 32
    strokes({{125, c}, {125, c}, {125, c}, {125, c}}); // 16: tremolo
    strokes({{125, c}, {125, b}, {750, c}});           // 24: mordent below
    expectHeard(hear(text, "kodlar.txt"), expected);
}

} // namespace
} // namespace zembera
