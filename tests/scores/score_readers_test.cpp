#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "scores/musicxml_reader.h"
#include "scores/score_file.h"
#include "scores/symbtr_reader.h"

namespace zembera::scores {
namespace {

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

using ::testing::_;
using ::testing::AllOf;
using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::Field;

double commas(double n) {
    return n * kCommaCents;
}
auto cents(double c) {
    return Field(&ScoreNote::cents, DoubleNear(commas(c), 1e-6));
}
auto step(int step) {
    return Field(&ScoreNote::step, step);
}
// The natural `s` in `octave`, sounding `c` commas above C4.
auto pitch(int s, int octave, double c) {
    return AllOf(Field(&ScoreNote::rest, false), step(s), Field(&ScoreNote::octave, octave),
                 cents(c));
}
auto lasting(double beats, double ms) {
    return AllOf(Field(&ScoreNote::beats, DoubleNear(beats, 1e-9)),
                 Field(&ScoreNote::ms, DoubleNear(ms, 1e-6)));
}
const auto rest = Field(&ScoreNote::rest, true);

// The exercise as both MusicXML files must read it, at the tempo of 60.
void expectSazSemaisi(const Score& score) {
    EXPECT_EQ(score.title, "Deneme Saz Semaisi");
    const auto beats = [](double b) { return lasting(b, b * 1000); };
    EXPECT_THAT(
        score.notes,
        ElementsAre(AllOf(pitch(5, 4, 40), beats(1)),   // A4
                    AllOf(pitch(6, 4, 44), beats(1)),   // the signature flat: küçük mücennep
                    AllOf(pitch(6, 4, 45), beats(1)),   // slash-flat: bakiye
                    AllOf(pitch(6, 4, 45), beats(1)),   // carried through the measure
                    AllOf(pitch(6, 4, 44), beats(0.5)), // a new measure: the signature again
                    AllOf(pitch(0, 5, 53 + 4), beats(0.5)), // sharp: bakiye
                    AllOf(pitch(1, 5, 53 + 9), beats(1.0 / 3)),
                    AllOf(pitch(2, 5, 53 + 17), beats(1.0 / 3)), // quarter-flat: koma
                    AllOf(pitch(3, 5, 53 + 30), beats(1.0 / 3)), // slash-sharp: büyük mücennep
                    AllOf(rest, beats(0.5)),
                    AllOf(pitch(4, 4, 31), beats(3.5), // dotted quarter tied to a half
                          Field(&ScoreNote::measure, 2)),
                    AllOf(pitch(5, 4, 40), beats(2))));
}

// The compressed score is found through its container.
TEST(MusicXmlReader, ReadsTheExerciseWithTurkishAccidentalsTupletsTiesAndDots) {
    for (const char* file : {"saz_semaisi.musicxml", "saz_semaisi.mxl"}) {
        SCOPED_TRACE(file);
        expectSazSemaisi(readScoreFile(kData / file));
    }
}

std::string wrap(const std::string& measures,
                 const std::string& attributes = "<divisions>2</divisions>") {
    return "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\"><attributes>" +
           attributes + "</attributes>" + measures + "</measure></part></score-partwise>";
}

// A note of `step` (a letter) in `octave`: what comes before its pitch (<chord/>, <grace/>), the
// pitch's <alter> (if any) and what follows the pitch.
std::string pitched(const std::string& step, int octave, const std::string& after,
                    const std::string& alter = "", const std::string& lead = "") {
    return "<note>" + lead + "<pitch><step>" + step + "</step>" +
           (alter.empty() ? "" : "<alter>" + alter + "</alter>") + "<octave>" +
           std::to_string(octave) + "</octave></pitch>" + after + "</note>";
}

TEST(MusicXmlReader, LengthsFromTypesWhereDurationIsMissingAndAlterWhereNoSignStands) {
    const Score s = parseMusicXml(
        wrap(pitched("C", 4, "<type>half</type><dot/><dot/>") +
                 pitched("G", 3,
                         "<type>16th</type><time-modification><actual-notes>5</actual-notes>"
                         "<normal-notes>4</normal-notes></time-modification>",
                         "-0.5") +
                 pitched("F", 4, "<type>quarter</type><accidental>double-sharp</accidental>", "1"),
             ""),
        "a.musicxml");
    // A sign outside the Turkish table with its <alter>: the alter in semitones.
    EXPECT_THAT(s.notes, ElementsAre(lasting(3.5, 3.5 * 60000 / kDefaultTempo),
                                     AllOf(Field(&ScoreNote::beats, DoubleNear(0.2, 1e-9)),
                                           cents(-53 + 31 - 50 / kCommaCents)),
                                     cents(22 + 100 / kCommaCents)));
}

TEST(MusicXmlReader, ChordNotesAreMarkedGraceNotesAndOtherVoicesLeftOutRestsNotTied) {
    const std::string d = "<duration>2</duration>";
    const Score s = parseMusicXml(
        wrap(pitched("E", 4, d + "<voice>1</voice>") + pitched("G", 4, d, "", "<chord/>") +
             pitched("A", 4, "<type>eighth</type>", "", "<grace/>") +
             pitched("E", 4, d + "<tie type=\"start\"/><voice>1</voice>") +
             pitched("F", 4, d + "<tie type=\"stop\"/><voice>1</voice>") +
             pitched("C", 3, "<duration>4</duration><voice>2</voice>")),
        "a.xml");
    const auto chord = [](bool c) { return Field(&ScoreNote::chord, c); };
    // A tie between different notes does not merge them.
    EXPECT_THAT(s.notes,
                ElementsAre(chord(false), AllOf(chord(true), step(4)), chord(false), step(3)));

    // A tied chord goes on sounding: the first note merges, its tied chord note is not struck
    // again.
    const std::string start = d + "<tie type=\"start\"/>", stop = d + "<tie type=\"stop\"/>";
    const Score tied =
        parseMusicXml(wrap(pitched("C", 4, start) + pitched("E", 4, start, "", "<chord/>") +
                           pitched("C", 4, stop) + pitched("E", 4, stop, "", "<chord/>")),
                      "t.xml");
    EXPECT_THAT(tied.notes, ElementsAre(Field(&ScoreNote::beats, 2.0), chord(true)));
}

TEST(MusicXmlReader, KeySignaturesAndEveryTurkishSignCarryTheirCommas) {
    const std::string d = "<duration>2</duration>";
    const Score s = parseMusicXml(
        wrap(
            pitched("B", 4, d, "-0.5") + pitched("F", 4, d, "0.5") +
                pitched("F", 4, d + "<accidental>natural</accidental>"),
            "<divisions>2</divisions><key><key-step>B</key-step><key-alter>-0.5</key-alter>"
            "<key-accidental>quarter-flat</key-accidental><key-step>F</key-step>"
            "<key-alter>0.5</key-alter><key-accidental>slash-quarter-sharp</key-accidental></key>"),
        "a.xml");
    EXPECT_THAT(s.notes, ElementsAre(cents(48), cents(27), cents(22)));
    const Score sharps = parseMusicXml(
        wrap(pitched("C", 4, d, "1"), "<divisions>2</divisions><key><fifths>2</fifths></key>"),
        "a.xml");
    EXPECT_THAT(sharps.notes, ElementsAre(cents(4)));

    const std::pair<const char*, int> signs[] = {{"quarter-flat", -1}, {"slash-flat", -4},
                                                 {"flat", -5},         {"double-slash-flat", -8},
                                                 {"quarter-sharp", 1}, {"slash-quarter-sharp", 5},
                                                 {"sharp", 4},         {"slash-sharp", 8},
                                                 {"flat-3", -3},       {"sharp-2", 2},
                                                 {"natural", 0}};
    for (const auto& [name, value] : signs) {
        const Score one = parseMusicXml(
            wrap(pitched("D", 4, d + "<accidental>" + name + "</accidental>")), "a.xml");
        EXPECT_THAT(one.notes, ElementsAre(cents(9 + value))) << name;
    }
}

TEST(SymbTrReader, ReadsPitchesFromKoma53NaturalsFromTheNamesAndLengthsFromFractions) {
    const Score s = readScoreFile(kData / "deneme_symbtr.txt");
    // The usul line (code 51) is no note; the first note's measure is its line.
    EXPECT_THAT(s.notes, ElementsAre(AllOf(cents(40), Field(&ScoreNote::measure, 3)), cents(48), _,
                                     lasting(1.0 / 3, 333), AllOf(cents(53 + 13), step(2)),
                                     AllOf(cents(53 + 26), step(3)), rest, lasting(1.5, 1500)));
}

TEST(SymbTrReader, EachPitchColumnAloneAndTheDefaultTempo) {
    const std::pair<const char*, testing::Matcher<const ScoreNote&>> cases[] = {
        // Letters or solfège in Nota53 with the commas of their sign.
        {"Kod\tNota53\tPay\tPayda\r\n9\tC4#5\t1\t2\r\n", pitch(0, 4, 5)},
        {"Kod\tNota53\tPay\tPayda\n9\tSol3#4\t1\t2\n", pitch(4, 3, -53 + 35)},
        {"Kod\tNota53\tPay\tPayda\n9\tSi4b5\t1\t2\n", pitch(6, 4, 44)},
        // Koma53 gives the pitch; the name the string.
        {"Kod\tNotaAE\tKoma53\tPay\tPayda\n9\tA4\t306\t1\t2\n", pitch(5, 4, 41)},
        // Koma53 alone: the natural at or below it.
        {"Kod\tKoma53\tPay\tPayda\n9\t309\t1\t2\n", pitch(5, 4, 44)},
        {"Kod\tKoma53\tPay\tPayda\n9\t264\t1\t2\n9\t265\t1\t2\n", pitch(6, 3, -1)},
        {"Kod\tNota53\tKoma53\tPay\tPayda\n9\tSus\t-1\t1\t2\n9\tLa4\t305\t1\t2\n", rest},
    };
    for (const auto& [text, first] : cases) {
        const Score s = parseSymbTr(text, "x.txt");
        ASSERT_FALSE(s.notes.empty()) << text;
        EXPECT_THAT(s.notes[0], AllOf(first, Field(&ScoreNote::ms, 2 * 60000 / kDefaultTempo)))
            << text;
    }
    EXPECT_TRUE(looksLikeSymbTr("\xEF\xBB\xBFSira\tKod\tNota53\n"));
    EXPECT_TRUE(looksLikeSymbTr("\r\n \nKod\tNota53\n"));
    EXPECT_FALSE(looksLikeSymbTr("12\t3\t250\n"));
}

// The message of the ScoreError reading `file` (or its bytes) throws, or "" when it reads.
template <typename F> std::string refusal(F read) {
    try {
        read();
    } catch (const ScoreError& e) {
        return e.what();
    }
    return "";
}

TEST(BadScores, EachIsRefusedWithTheFileAndTheReason) {
    const std::string symbtr = "Kod\tNota53\tPay\tPayda\n9\t";
    const struct {
        std::string text, name, reason;
    } cases[] = {
        {"<score-partwise><part", "kirik.musicxml", "XML okunamadı"},
        {"", "bos.xml", "XML okunamadı"},
        {"<html/>", "sayfa.xml", "MusicXML partisyonu değil"},
        {"<score-partwise><part-list/></score-partwise>", "a.xml", "bölüm"},
        {wrap("<note><rest/><duration>2</duration></note>"), "sessiz.xml", "nota yok"},
        {wrap(pitched("H", 4, "<duration>2</duration>")), "h.xml", "nota adı okunamadı"},
        {wrap(pitched("C", 4, "<duration>2</duration><accidental>sori</accidental>")), "sori.xml",
         "bilinmeyen arıza işareti \"sori\""},
        {wrap(pitched("C", 4, "<type>tiny</type>"), ""), "t.xml",
         "ölçü 1: notanın süresi okunamadı"},
        {wrap(pitched("C", 4, "<duration>2</duration>"), "<divisions>0</divisions>"), "d.xml",
         "<divisions> geçersiz"},
        {"PK\x03\x04 broken", "kirik.mxl", "zip"},
        {symbtr + "X4\t1\t4\n", "x.txt", "satır 2: notanın perdesi"},
        {symbtr + "A4\t1\t0\n", "x.txt", "satır 2: notanın süresi"},
        {symbtr + "A4\n", "x.txt", "sütunlar eksik"},
        {"Sira\tNota\n", "x.txt", "SymbTr başlığı"},
        {"Kod\tKoma53\tPay\tPayda\n9\t-5\t1\t4\n", "x.txt", "Koma53 geçersiz"},
        {symbtr + "Es\t1\t4\n", "x.txt", "nota yok"},
        {"a", "a.mid", "tanınmayan"},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(
            refusal([&] { parseScoreBytes(c.text, c.name); }),
            testing::AllOf(testing::StartsWith(c.name + ": "), testing::HasSubstr(c.reason)));
    }

    // An archive without a score, a huge file and a missing one.
    const auto huge = std::filesystem::temp_directory_path() / "zembera_huge_score.xml";
    {
        std::ofstream out(huge, std::ios::binary);
        out.seekp(kMaxScoreBytes + 1);
        out.put('x');
    }
    EXPECT_EQ(refusal([&] { readScoreFile(kData / "bos_arsiv.mxl"); }),
              "bos_arsiv.mxl: arşivde partisyon yok");
    EXPECT_EQ(refusal([&] { readScoreFile(huge); }), "zembera_huge_score.xml: dosya çok büyük");
    EXPECT_EQ(refusal([&] { readScoreFile(kData / "yok.musicxml"); }),
              "yok.musicxml: dosya okunamadı");
    std::filesystem::remove(huge);
}

TEST(BadScores, EntityExpansionDoesNotBlowUp) {
    std::string bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE score-partwise [<!ENTITY a0 \"xxxxxxxxxx\">";
    for (int i = 1; i < 10; ++i) {
        bomb += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            bomb += "&a" + std::to_string(i - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><score-partwise><movement-title>&a9;</movement-title></score-partwise>";
    EXPECT_THROW(parseScoreBytes(bomb, "bomba.xml"), ScoreError);
}

} // namespace
} // namespace zembera::scores
