// Scores as they play (score_hearing.h): pitches, time and voices, readings of the accidentals,
// ornaments, SymbTr's codes and MIDI files (repeats: ScoreRepertoire).

#include "render/score_hearing.h"
#include "support/smf_bytes.h"

namespace zembera {
namespace {

// A sharp tied over the bar line sounds once at one pitch; under a key of F and C sharp, an F
// without <alter> is F natural, and an earlier sharp in the measure changes no later note
// without <alter>.
TEST_F(ScoreSound, MusicXmlPitchIsTheSoundingPitch) {
    const std::string tie = partwise(
        bar(1, note('C', 4, 2) +
                   note('F', 4, 2, "1", "<tie type=\"start\"/><accidental>sharp</accidental>")) +
        bar(2, note('F', 4, 4, "1", "<tie type=\"stop\"/>") + note('C', 4, 2)));
    expectHeard(hear(tie, "bag.musicxml"), {{0, eq('C', 4)}, {1000, eq('F', 4, 1)}, {4000, 0}});

    const std::string key = "<key><fifths>2</fifths></key>";
    const std::string naturals = partwise(
        bar(1,
            note('F', 4, 2, "1", "<accidental>sharp</accidental>") + note('F', 4, 2) +
                note('C', 5, 2, "", "<accidental>natural</accidental>") + note('C', 5, 2, "1"),
            key));
    expectHeard(
        hear(naturals, "donanim.musicxml"),
        {{0, eq('F', 4, 1)}, {1000, eq('F', 4)}, {2000, eq('C', 5)}, {3000, eq('C', 5, 1)}});
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
    expectHeard(hear(text, "sesler.musicxml"),
                {{0, eq('C', 4)}, {2000, eq('D', 4)}, {4000, eq('E', 4)}, {8000, eq('F', 4)}});
    // Voice 2 of the same part, chosen: its G3 with the chord note that gives no voice.
    const scores::Score second = read(text, "sesler.musicxml", {PitchReading::automatic, 0, 1});
    ASSERT_EQ(second.voices, (std::vector<std::string>{"1", "2"}));
    ASSERT_GE(second.notes.size(), 2u);
    EXPECT_TRUE(second.notes[1].chord);
    EXPECT_EQ(second.notes[1].diatonic(), -1); // B3

    // The second part, chosen, plays at the tempo the first part writes for both.
    const std::string twoParts =
        partwise(bar(1, note('C', 4, 2)), "",
                 "<measure number=\"1\"><attributes><divisions>1</divisions></attributes>" +
                     note('E', 4, 2) + "</measure>");
    const scores::Score other = read(twoParts, "iki.musicxml", {PitchReading::automatic, 1, 0});
    ASSERT_EQ(other.parts.size(), 2u);
    EXPECT_EQ(other.notes.front().step, 2);
    EXPECT_DOUBLE_EQ(other.notes.front().ms, 2000.0); // two quarter notes at 60

    const std::string clarinet =
        partwise(bar(1, note('D', 4, 2) + note('F', 4, 2, "1"),
                     "<transpose><diatonic>-1</diatonic><chromatic>-2</chromatic></transpose>"));
    expectHeard(hear(clarinet, "klarnet.musicxml"), {{0, eq('C', 4)}, {1000, eq('E', 4)}});
}

// A score in SymbTr's dialect (key signature in commas, the makam's: E -2 and F +3 under the
// quarter-flat and sharp signs; a one-comma flat written as quarter-flat with <alter>-0.5</alter>,
// a four-comma sharp as sharp with <alter>1</alter>) is read in commas. From another writer each
// sign is its Arel-Ezgi-Uzdilek value. From SymbTr's converter a sign that is the key's sounds at
// the key's commas, as the piece's .txt does, save in a song whose words are not written (its
// poet named, its <lyric> empty, as the Hüseyni ilahi of Dede Efendi: F5 four commas sharp); its
// bare grace note takes the F before it. A quarter-tone score with the same glyphs is read in
// semitones exactly. Each can be switched to the other readings and plays so.
TEST_F(ScoreSound, TurkishOrWrittenAlterationOneRulePerScore) {
    const std::string key = "<key><key-step>B</key-step><key-alter>-5</key-alter>"
                            "<key-accidental>flat</key-accidental><key-step>E</key-step>"
                            "<key-alter>-2</key-alter><key-accidental>quarter-flat</key-accidental>"
                            "<key-step>F</key-step><key-alter>+3</key-alter>"
                            "<key-accidental>sharp</key-accidental></key>";
    const auto dialect = [&](const std::string& head, const std::string& words) {
        return partwise(
            bar(1,
                note('B', 4, 2, "-1",
                     "<accidental>flat</accidental><lyric><text>" + words + "</text></lyric>") +
                    note('E', 5, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                    note('A', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                    note('F', 5, 2, "+1", "<accidental>sharp</accidental>") +
                    "<note><grace steal-time-following=\"50\"/><pitch><step>F</step><octave>5"
                    "</octave></pitch></note>" +
                    note('B', 4, 2, "-1"),
                key),
            head);
    };
    const auto inCommas = [&](int e5, int f5, int grace) {
        return std::vector<Expect>{{0, ck('B', 4, -5)},       {1000, ck('E', 5, e5)},
                                   {2000, ck('A', 4, -1)},    {3000, ck('F', 5, f5)},
                                   {4000, ck('F', 5, grace)}, {4500, ck('B', 4, -5)}};
    };
    const std::string converter = "<encoding><software>https://github.com/burakuyar/"
                                  "MusicXMLConverter</software></encoding></identification>";
    const std::string poet = "<identification><creator type=\"poet\">Âkkirmânî</creator>";
    const struct {
        std::string head, words;
        int e5, f5, grace;
    } writers[] = {{"", "", -1, 4, 0},
                   {"<identification>" + converter, "", -2, 3, 3},
                   {poet + converter, "", -1, 4, 4},
                   {poet + converter, "Nûr", -2, 3, 3}};
    for (const auto& w : writers) {
        SCOPED_TRACE(w.head + w.words);
        expectHeard(hear(dialect(w.head, w.words), "lehce.xml"), inCommas(w.e5, w.f5, w.grace));
    }
    const scores::Score turkish = read(dialect("", ""), "lehce.musicxml");
    EXPECT_EQ(turkish.keySignature, "B -5, E -1, F +4 koma");
    EXPECT_TRUE(turkish.keyAltersDiffer);
    expectHeard(hear(dialect("", ""), "lehce.musicxml", {PitchReading::keyCommas, 0, 0}),
                inCommas(-2, 3, 0));
    expectHeard(hear(dialect("", ""), "lehce.musicxml", {PitchReading::exact, 0, 0}),
                {{0, eq('B', 4, -1)},
                 {1000, eq('E', 5, -0.5)},
                 {2000, eq('A', 4, -0.5)},
                 {3000, eq('F', 5, 1)},
                 {4000, eq('F', 5)},
                 {4500, eq('B', 4, -1)}});

    const std::string maqam =
        partwise(bar(1, note('E', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                            note('B', 4, 2, "-0.5", "<accidental>quarter-flat</accidental>") +
                            note('F', 4, 2, "0.5", "<accidental>quarter-sharp</accidental>")));
    const scores::Score exact = read(maqam, "makam.musicxml");
    EXPECT_EQ(exact.reading, PitchReading::exact);
    expectHeard(hear(exact),
                {{0, eq('E', 4, -0.5)}, {1000, eq('B', 4, -0.5)}, {2000, eq('F', 4, 0.5)}});
    expectHeard(hear(maqam, "makam.musicxml", {PitchReading::commas, 0, 0}),
                {{0, ck('E', 4, -1)}, {1000, ck('B', 4, -1)}, {2000, ck('F', 4, 1)}});
}

// A slashed grace note takes its time from the note before, one that steals a fifth of the note
// after sounds on the beat; a trill, a mordent (below), an inverted mordent (above), a turn and a
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
    const double a = eq('A', 4), g = eq('G', 4), b = eq('B', 4), e = eq('E', 4),
                 fSharp = eq('F', 4, 1);
    // The grace note before the third A takes a fifth of it.
    std::vector<Expect> expected{{0, a}, {937.5, g}, {1000, a}, {2000, e}, {2200, a}};
    for (int k = 0; k < 4; ++k) { // trill on E4 with the F sharp of the key
        expected.push_back({3000.0 + 250 * k, fSharp});
        expected.push_back({3125.0 + 250 * k, e});
    }
    for (const Expect& x : std::vector<Expect>{{4000, a},
                                               {4125, g},
                                               {4250, a}, // mordent
                                               {5000, a},
                                               {5125, b},
                                               {5250, a}, // inverted mordent
                                               {6000, b},
                                               {6083.3, a},
                                               {6166.7, g},
                                               {6250, a}}) // turn
        expected.push_back(x);
    for (int k = 0; k < 8; ++k) // 32nds
        expected.push_back({7000.0 + 125 * k, a});
    expectHeard(hear(score), expected);
}

// Every row with a duration takes its time, whatever its code; the codes with a pitch sound
// it, the ornament codes as their figures, grace notes (8) short before the beat after a note
// of code 10 and on the beat otherwise; the usul (51) and makam (50) rows take no time. At 60 a
// quarter note (1000 ms) a grace note lasts a 64th (62.5 ms), a trill's upper note a 32nd. A4
// (Koma53 305) lies as near string 12 open as its first raised position: the open one sounds.
TEST_F(ScoreSound, SymbTrEveryTimedRowIsANote) {
    const int a4 = 305, b4 = 314, c5 = 318, g4 = 296;
    const std::string text =
        kSymbTrHeader + row(51, "", 0, 4, 4, 0) + row(9, "A4", a4, 1, 4, 1000) +
        row(10, "B4", b4, 1, 4, 1000) + row(8, "C5", c5, 0, 0, 0) + row(11, "A4", a4, 1, 4, 1000) +
        row(1, "G4", g4, 1, 4, 1000) + row(7, "A4", a4, 1, 16, 250) +
        row(12, "A4", a4, 1, 4, 1000) + row(23, "A4", a4, 1, 4, 1000) + row(0, "", -1, 1, 4, 1000) +
        row(4, "G4", g4, 1, 4, 1000) + row(28, "A4", a4, 1, 4, 1000) +
        row(44, "A4", a4, 1, 4, 1000) + row(8, "G4", g4, 0, 0, 0) + row(9, "A4", a4, 1, 4, 1000) +
        row(50, "", 0, 0, 0, 0) + row(32, "C5", c5, 1, 4, 1000) + row(16, "C5", c5, 1, 8, 500) +
        row(24, "C5", c5, 1, 4, 1000);
    const double a = symbtrHz(a4), b = symbtrHz(b4), c = symbtrHz(c5), g = symbtrHz(g4);
    std::vector<Expect> expected;
    double at = 0; // the written time of the row
    auto strokes = [&](std::initializer_list<std::pair<double, double>> parts) {
        double t = at;
        for (const auto& [ms, hz] : parts) {
            expected.push_back({t, hz});
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

// A MIDI file's keys and bends played at their ticks (the line's rules: MidiReader): format 1 at
// 100 a minute from the conductor track, the bend range set to 12 semitones: C4 bent to G4.
TEST_F(ScoreSound, MidiFilesSoundTheirKeysAndBendsAtTheirTicks) {
    using test::at;
    const auto cents = [](int key, int bend, double range) {
        return (key - 60) * 100.0 + (bend - 8192) / 8192.0 * range;
    };
    const std::string two =
        test::smfHeader(1, 2, 96) + test::smfTrack(test::tempo(0, 600000)) +
        test::smfTrack(test::bendRange(0, 12, 0) + test::bend(0, 0, 12971) + at(0, {0x90, 60, 96}) +
                       at(96, {0x80, 60, 64}) + test::bend(0, 0, 8192) + at(0, {0x90, 62, 96}) +
                       at(96, {0x80, 62, 64}));
    expectHeard(hear(two, "iki.mid"),
                {{0, expectedHz(4, cents(60, 12971, 1200))}, {600, eq('D', 4)}});
}

} // namespace
} // namespace zembera
