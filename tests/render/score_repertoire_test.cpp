// Standard scores that play as their standard defines them (score_hearing.h): every repeat
// structure, ties into part of a chord, any key, unpitched notes, spellings beyond their
// natural's string, ornament details, the time of multi-part files, rows and tempo marks that
// cannot be taken. Each expected timeline is worked out here from the MusicXML or SymbTr
// definition and compared with the notes played.

#include "render/score_hearing.h"
#include "scores/mandal_plan.h"

namespace zembera {
namespace {

class ScoreRepertoire : public ScoreSound {
  protected:
    // The letters played at `ms` each from the start, every one at its natural's pitch in octave 4.
    void expectLetters(const scores::Score& score, const std::string& letters, double ms) {
        std::vector<Expect> expected;
        for (std::size_t k = 0; k < letters.size(); ++k)
            expected.push_back({ms * static_cast<double>(k), eq(letters[k], 4)});
        expectHeard(hear(score), expected);
    }
    // The Hann-windowed level at `hz` of the sound from `fromMs` to `toMs` after the start.
    static double level(const std::vector<double>& x, double fromMs, double toMs, double hz) {
        const auto at = [](double ms) { return kLeadFrames + std::size_t(ms * 44.1); };
        return am::dftMagnitude(std::span(x).subspan(at(fromMs), at(toMs) - at(fromMs)), hz);
    }
};

std::string barline(const std::string& location, const std::string& inside) {
    return "<barline location=\"" + location + "\">" + inside + "</barline>";
}
std::string ending(const std::string& number, const std::string& type) {
    return "<ending number=\"" + number + "\" type=\"" + type + "\"/>";
}
const std::string forward = "<repeat direction=\"forward\"/>";
const std::string backward = "<repeat direction=\"backward\"/>";
// A measure of one eighth note (500 ms) of `letter`, with what stands on its bar lines.
std::string eighth(int number, char letter, const std::string& left = "",
                   const std::string& right = "") {
    return bar(number, (left.empty() ? "" : barline("left", left)) + note(letter, 4, 1) +
                           (right.empty() ? "" : barline("right", right)));
}

// Endings numbered past two are reached, a repeat inside an ending plays out before the outer
// one goes on, a forward repeat may open an ending, blank numbers are the next passes, a
// second "1" begins a new group after the first repeat is over, a first ending whose backward
// repeat is not written returns all the same, and a da capo plays from the start, the last
// ending taken, to the fine.
TEST_F(ScoreRepertoire, RepeatsAndEndingsAsMusicXmlDefinesThem) {
    const std::string stop123 = ending("1, 2, 3", "stop") + backward;
    const struct {
        std::string measures;
        std::string heard;
    } cases[] = {
        {eighth(1, 'G', forward) + eighth(2, 'A', ending("1, 2, 3", "start"), stop123) +
             eighth(3, 'B', ending("4", "start"), ending("4", "discontinue")) + eighth(4, 'C'),
         "GAGAGAGBC"},
        {eighth(1, 'G', forward) +
             eighth(2, 'A', ending("1", "start"), ending("1", "stop") + backward) +
             eighth(3, 'B', ending("2", "start"), ending("2", "stop") + backward) +
             eighth(4, 'A', ending("3", "start"), ending("3", "stop") + backward) +
             eighth(5, 'B', ending("4", "start"), ending("4", "stop") + backward) +
             eighth(6, 'C', ending("5", "start"), ending("5", "discontinue")) + eighth(7, 'D'),
         "GAGBGAGBGCD"},
        {eighth(1, 'A', forward) + eighth(2, 'B', ending("1", "start")) +
             eighth(3, 'C', forward, backward) +
             eighth(4, 'D', "", ending("1", "stop") + backward) +
             eighth(5, 'E', ending("2", "start"), ending("2", "discontinue")) + eighth(6, 'F'),
         "ABCCDAEF"},
        {eighth(1, 'A', forward) +
             eighth(2, 'B', ending("1", "start"), ending("1", "stop") + backward) +
             eighth(3, 'C', ending("2", "start") + forward, ending("2", "discontinue")) +
             eighth(4, 'D', "", backward) + eighth(5, 'E'),
         "ABACDCDE"},
        {eighth(1, 'A', forward) +
             eighth(2, 'B', ending("", "start"), ending("", "stop") + backward) +
             eighth(3, 'C', ending(" ", "start"), ending(" ", "discontinue")) + eighth(4, 'D'),
         "ABACD"},
        {eighth(1, 'A', forward) +
             eighth(2, 'B', ending("1", "start"), ending("1", "stop") + backward) +
             eighth(3, 'C', ending("1", "start"), ending("1", "discontinue")) + eighth(4, 'D'),
         "ABACD"},
        {eighth(1, 'A', forward) + eighth(2, 'B', ending("1", "start"), ending("1", "stop")) +
             eighth(3, 'C', ending("2", "start"), ending("2", "discontinue")) + eighth(4, 'D'),
         "ABACD"},
        // |: C | 1. D :| 2. E | F (fine) | G (D.C. al fine)
        {eighth(1, 'C', forward) +
             eighth(2, 'D', ending("1", "start"), ending("1", "stop") + backward) +
             eighth(3, 'E', ending("2", "start"), ending("2", "discontinue")) +
             bar(4, note('F', 4, 1) + "<direction><direction-type><words>Fine</words>"
                                      "</direction-type><sound fine=\"yes\"/></direction>") +
             bar(5, note('G', 4, 1) + "<direction><direction-type><words>D.C. al Fine</words>"
                                      "</direction-type><sound dacapo=\"yes\"/></direction>"),
         "CDCEFGCEF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heard);
        expectLetters(read(partwise(c.measures), "tekrar.musicxml"), c.heard, 500);
    }
}

// A chord of A4 (tied) and C5, then A4 (tied) with F4: F4 is struck while A4 sounds on, neither
// cut nor struck again, whichever of the two the chord writes first; A sharp tied to B flat is
// one note.
TEST_F(ScoreRepertoire, TiesIntoPartOfAChordHoldOnlyTheirNotes) {
    const std::string start = "<tie type=\"start\"/>", stop = "<tie type=\"stop\"/>";
    const std::string chord = "<chord/>";
    for (const bool heldFirst : {true, false}) {
        SCOPED_TRACE(heldFirst ? "held note first" : "struck note first");
        const std::string second = heldFirst
                                       ? note('A', 4, 2, "", stop) + note('F', 4, 2, "", "", chord)
                                       : note('F', 4, 2) + note('A', 4, 2, "", stop, chord);
        const scores::Score score =
            read(partwise(bar(1, note('A', 4, 2, "", start) + note('C', 5, 2, "", "", chord) +
                                     second + note('B', 4, 2))),
                 "bag.musicxml");
        const std::vector<double> x = render(score);
        const std::vector<Heard> heard = hear(score);
        ASSERT_EQ(heard.size(), 3u);
        EXPECT_EQ(heard[1].onsetMs, 1000);
        const double a = eq('A', 4), f = eq('F', 4);
        EXPECT_GT(level(x, 1020, 1220, f), 10 * level(x, 780, 980, f)); // F4 struck
        const double before = level(x, 780, 980, a), after = level(x, 1020, 1220, a);
        EXPECT_GT(after, 0.5 * before); // A4 not cut
        EXPECT_LT(after, 1.1 * before); // nor struck again
    }
    const std::string enharmonic = partwise(
        bar(1, note('A', 4, 2, "1", start) + note('B', 4, 2, "-1", stop) + note('C', 5, 2)));
    expectHeard(hear(enharmonic, "es_ses.musicxml"), {{0, eq('A', 4, 1)}, {2000, eq('C', 5)}});
}

// Keys beyond seven sharps or flats are read (the signature goes round the steps again) and
// shown; they change no note without <alter>, and give an ornament its neighbour: F double
// sharp above E under eight sharps, D double sharp above C under eleven, B double flat below
// C under eight flats, E double flat below F under eleven.
TEST_F(ScoreRepertoire, AnyKeySignatureIsRead) {
    const struct {
        int fifths;
        char step;
        int octave;
        const char* ornament;
        int neighbourDiatonic; // the string that reaches it, the enharmonic one
        double neighbourCents;
    } cases[] = {{8, 'E', 4, "<inverted-mordent/>", 4, 700},
                 {11, 'C', 5, "<inverted-mordent/>", 9, 1600},
                 {-8, 'C', 5, "<mordent/>", 5, 900},
                 {-11, 'F', 4, "<mordent/>", 1, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fifths);
        const scores::Score score =
            read(partwise(bar(1,
                              note(c.step, c.octave, 2, "",
                                   std::string("<notations><ornaments>") + c.ornament +
                                       "</ornaments></notations>"),
                              "<key><fifths>" + std::to_string(c.fifths) + "</fifths></key>")),
                 "anahtar.musicxml");
        EXPECT_NE(score.keySignature.find("(<fifths> " + std::to_string(c.fifths) + ")"),
                  std::string::npos);
        const double main = eq(c.step, c.octave);
        expectHeard(
            hear(score),
            {{0, main}, {125, expectedHz(c.neighbourDiatonic, c.neighbourCents)}, {250, main}});
    }
}

// A percussion part is passed over for the first part with pitches; in the part played, an
// unpitched note is a rest, counted in the report.
TEST_F(ScoreRepertoire, UnpitchedNotesAreRests) {
    const std::string drum = "<note><unpitched><display-step>E</display-step><display-octave>4"
                             "</display-octave></unpitched><duration>2</duration></note>";
    const std::string score =
        partwise(bar(1, drum + drum + drum), "", bar(1, note('C', 4, 2) + drum + note('E', 4, 2)));
    const scores::Score heard = read(score, "davul.musicxml");
    EXPECT_EQ(heard.part, 1);
    ASSERT_EQ(heard.remarks.size(), 1u);
    EXPECT_EQ(heard.remarks[0].rfind("1 ", 0), 0u);
    expectHeard(hear(heard), {{0, eq('C', 4)}, {2000, eq('E', 4)}});
}

// A spelling beyond its natural's mandals sounds on the neighbouring string that reaches its
// pitch, and the mandal plan counts it there: C double flat 5 on B, D double flat 4 on C, E
// three-quarter flat 4 on D, B double sharp 4 on C; A flat 4 stays on A, which reaches it.
TEST_F(ScoreRepertoire, SpellingsBeyondTheirStringSoundOnTheEnharmonicString) {
    const struct {
        char step;
        int octave;
        const char* alter;
        int onDiatonic; // the natural of the string that sounds it
        double cents;
    } cases[] = {{'C', 5, "-2", 6, 1000},
                 {'D', 4, "-2", 0, 0},
                 {'E', 4, "-1.5", 1, 250},
                 {'B', 4, "2", 7, 1300},
                 {'A', 4, "-1", 5, 800}};
    std::string notes;
    std::vector<Expect> expected;
    for (const auto& c : cases) {
        expected.push_back(
            {1000.0 * static_cast<double>(expected.size()), expectedHz(c.onDiatonic, c.cents)});
        notes += note(c.step, c.octave, 2, c.alter);
    }
    const scores::Score score = read(partwise(bar(1, notes)), "es_ses.musicxml");
    expectHeard(hear(score), expected);
    const scores::PlacedScore placed = scores::placeScore(
        score, scores::standardSetup(program().tables, 0, &program().tuning.tuningOffset));
    const scores::MandalPlan plan = scores::planMandals(placed);
    EXPECT_EQ(plan.otherStringNotes, 4);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(plan.strings[static_cast<std::size_t>(17 - cases[i].onDiatonic)].noteCount, 1)
            << i;
}

// A turn's accidental marks fall on the neighbour they are placed at; a delayed turn comes at
// the end of its note (strokes of a 32nd at most, in the last half); a two-note tremolo of one
// beam alternates eighths for both notes' length; grace notes take the share of their neighbour
// that steal-time-previous and steal-time-following name. Quarter = 1000 ms.
TEST_F(ScoreRepertoire, OrnamentDetails) {
    const auto ornament = [](const std::string& marks) {
        return "<notations><ornaments>" + marks + "</ornaments></notations>";
    };
    const auto grace = [](const std::string& steal) {
        return "<note><grace " + steal +
               "/><pitch><step>G</step><octave>4</octave></pitch><type>16th</type></note>";
    };
    const double a = eq('A', 4), b = eq('B', 4), g = eq('G', 4), c4 = eq('C', 4), e = eq('E', 4);
    const struct {
        std::string body;
        std::vector<Expect> heard;
    } cases[] = {
        {note('A', 4, 2, "",
              ornament("<turn/><accidental-mark placement=\"above\">flat</accidental-mark>"
                       "<accidental-mark placement=\"below\">sharp</accidental-mark>")),
         {{0, expectedHz(6, 1000)}, {1000.0 / 12, a}, {2000.0 / 12, expectedHz(4, 800)}, {250, a}}},
        {note('A', 4, 4, "", ornament("<delayed-turn/>")),
         {{0, a}, {1500, b}, {1625, a}, {1750, g}, {1875, a}}},
        {note('C', 4, 2, "", ornament("<tremolo type=\"start\">1</tremolo>")) +
             note('E', 4, 2, "", ornament("<tremolo type=\"stop\">1</tremolo>")),
         {{0, c4}, {500, e}, {1000, c4}, {1500, e}}},
        {note('A', 4, 2) + grace("steal-time-previous=\"25\"") + note('A', 4, 2),
         {{0, a}, {750, g}, {1000, a}}},
        {grace("steal-time-following=\"50\"") + note('A', 4, 2), {{0, g}, {500, a}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        expectHeard(hear(partwise(bar(1, cases[i].body)), "sus.musicxml"), cases[i].heard);
    }
}

// The time of files as notation programs write them: a part without <divisions> (in those of the
// part before), divisions changing within measures (1, 8 and 38 to the quarter), a duration
// before the part's first <divisions>, a voice part with an
// empty measure that the piano part (two staves, a chord in the second) fills, a <metronome>
// without <sound tempo> (dotted quarter = 40: a quarter 1000 ms).
TEST_F(ScoreRepertoire, TimeOfMultiPartAndChangingDivisionsFiles) {
    const auto divisions = [](int d) {
        return "<attributes><divisions>" + std::to_string(d) + "</divisions></attributes>";
    };
    const std::string tempo = "<sound tempo=\"60\"/>";
    const std::string piano = "<measure>" + divisions(1) + note('E', 3, 4, "", "<staff>1</staff>") +
                              "<backup><duration>4</duration></backup>" +
                              note('C', 3, 4, "", "<voice>5</voice><staff>2</staff>") +
                              note('G', 3, 4, "", "<voice>5</voice><staff>2</staff>", "<chord/>") +
                              "</measure>";
    const std::string song =
        partwise("<measure>" + divisions(1) + tempo + note('C', 5, 4) +
                     "</measure><measure/><measure>" + note('D', 5, 4) + "</measure>",
                 "", piano + piano + piano);
    const std::string drumsFirst =
        partwise("<measure>" + divisions(2) + tempo +
                     "<note><unpitched/><duration>4</duration></note></measure>",
                 "", "<measure>" + note('E', 4, 2) + note('F', 4, 2) + "</measure>");
    const struct {
        std::string score;
        std::vector<Expect> heard;
    } cases[] = {
        {drumsFirst, {{0, eq('E', 4)}, {1000, eq('F', 4)}}},
        {partwise("<measure>" + divisions(1) + tempo + note('C', 4, 1) + note('D', 4, 1) +
                  divisions(8) + note('E', 4, 8) + note('F', 4, 8) + "</measure><measure>" +
                  note('G', 4, 16) + divisions(38) + note('A', 4, 76) + "</measure>"),
         {{0, eq('C', 4)},
          {1000, eq('D', 4)},
          {2000, eq('E', 4)},
          {3000, eq('F', 4)},
          {4000, eq('G', 4)},
          {6000, eq('A', 4)}}},
        {partwise("<measure>" + tempo + note('C', 4, 2) + divisions(2) + note('D', 4, 2) +
                  "</measure>"),
         {{0, eq('C', 4)}, {1000, eq('D', 4)}}},
        {song, {{0, eq('C', 5)}, {8000, eq('D', 5)}}},
        {partwise("<measure>" + divisions(2) +
                  "<direction><direction-type><metronome><beat-unit>quarter</beat-unit>"
                  "<beat-unit-dot/><per-minute>40</per-minute></metronome></direction-type>"
                  "</direction>" +
                  note('C', 4, 3) + note('D', 4, 3) + "</measure>"),
         {{0, eq('C', 4)}, {1500, eq('D', 4)}}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        expectHeard(hear(cases[i].score, "zaman.musicxml"), cases[i].heard);
    }
}

// A SymbTr grace row whose Pay cannot be read over a Payda of 0 plays as the grace note it is
// (on the beat, a 64th at 60); a sounding row without time is left out and named. A MusicXML
// tempo of 1153 is taken (a quarter of 52 ms), one of 0 is named with the 90 played instead.
TEST_F(ScoreRepertoire, RowsAndTempoMarksThatCannotBeTakenAreNamed) {
    const scores::Score symbtr = read(kSymbTrHeader + row(9, "", 305, 1, 4, 1000) +
                                          row(8, "", 296, 99, 0, 0) + row(9, "", 305, 1, 4, 1000) +
                                          row(9, "", 314, 1, 4, 0) + row(9, "", 318, 1, 4, 1000),
                                      "satir.txt");
    ASSERT_EQ(symbtr.remarks.size(), 1u);
    EXPECT_NE(symbtr.remarks[0].find("(satır 5)"), std::string::npos);
    expectHeard(hear(symbtr), {{0, symbtrHz(305)},
                               {1000, symbtrHz(296)},
                               {1062.5, symbtrHz(305)},
                               {2000, symbtrHz(318)}});

    const auto withTempo = [&](const std::string& tempo) {
        return read("<score-partwise><part-list/><part id=\"P1\"><measure><attributes><divisions>"
                    "1</divisions></attributes><sound tempo=\"" +
                        tempo + "\"/>" + note('C', 4, 4) + note('D', 4, 4) +
                        "</measure></part></score-partwise>",
                    "tempo.musicxml");
    };
    const scores::Score fast = withTempo("1153");
    EXPECT_EQ(fast.tempo, 1153);
    expectHeard(hear(fast), {{0, 0}, {4 * 60000.0 / 1153, 0}});
    const scores::Score none = withTempo("0");
    ASSERT_EQ(none.remarks.size(), 1u);
    EXPECT_NE(none.remarks[0].find("♩ = 90 ile"), std::string::npos);
    expectHeard(hear(none), {{0, eq('C', 4)}, {4 * 60000.0 / 90, eq('D', 4)}});
}

} // namespace
} // namespace zembera
