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

double commas(int n) {
    return n * kCommaCents;
}

// The exercise as both MusicXML files must read it.
void expectSazSemaisi(const Score& score) {
    ASSERT_EQ(score.notes.size(), 12u);
    EXPECT_EQ(score.title, "Deneme Saz Semaisi");
    struct Expected {
        bool rest;
        int step, octave;
        double cents, beats;
    };
    const Expected expected[] = {
        {false, 5, 4, commas(40), 1},       // A4
        {false, 6, 4, commas(44), 1},       // B4 with the signature flat: küçük mücennep
        {false, 6, 4, commas(45), 1},       // slash-flat: bakiye
        {false, 6, 4, commas(45), 1},       // carried through the measure
        {false, 6, 4, commas(44), 0.5},     // a new measure: the signature again
        {false, 0, 5, commas(53 + 4), 0.5}, // sharp: bakiye
        {false, 1, 5, commas(53 + 9), 1.0 / 3},
        {false, 2, 5, commas(53 + 17), 1.0 / 3}, // quarter-flat: koma
        {false, 3, 5, commas(53 + 30), 1.0 / 3}, // slash-sharp: büyük mücennep
        {true, 0, 4, 0, 0.5},
        {false, 4, 4, commas(31), 3.5}, // dotted quarter tied to a half
        {false, 5, 4, commas(40), 2},
    };
    for (std::size_t i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const ScoreNote& n = score.notes[i];
        EXPECT_EQ(n.rest, expected[i].rest);
        EXPECT_NEAR(n.beats, expected[i].beats, 1e-9);
        EXPECT_NEAR(n.ms, expected[i].beats * 1000, 1e-6); // tempo 60
        if (!n.rest) {
            EXPECT_EQ(n.step, expected[i].step);
            EXPECT_EQ(n.octave, expected[i].octave);
            EXPECT_NEAR(n.cents, expected[i].cents, 1e-6);
        }
    }
    EXPECT_EQ(score.notes[10].measure, 2);
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
    ASSERT_EQ(s.notes.size(), 3u);
    EXPECT_DOUBLE_EQ(s.notes[0].beats, 3.5);
    EXPECT_DOUBLE_EQ(s.notes[0].ms, 3.5 * 60000 / kDefaultTempo);
    EXPECT_DOUBLE_EQ(s.notes[1].beats, 0.2);
    EXPECT_NEAR(s.notes[1].cents, -1200 + commas(31) - 50, 1e-9);
    // A sign outside the Turkish table with its <alter>: the alter in semitones.
    EXPECT_NEAR(s.notes[2].cents, commas(22) + 100, 1e-9);
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
    ASSERT_EQ(s.notes.size(), 4u); // a tie between different notes does not merge them
    EXPECT_FALSE(s.notes[0].chord);
    EXPECT_TRUE(s.notes[1].chord);
    EXPECT_EQ(s.notes[1].step, 4);
    EXPECT_FALSE(s.notes[2].chord);
    EXPECT_EQ(s.notes[3].step, 3);

    // A tied chord goes on sounding: the first note merges, its tied chord note is not struck
    // again.
    const std::string start = d + "<tie type=\"start\"/>", stop = d + "<tie type=\"stop\"/>";
    const Score tied =
        parseMusicXml(wrap(pitched("C", 4, start) + pitched("E", 4, start, "", "<chord/>") +
                           pitched("C", 4, stop) + pitched("E", 4, stop, "", "<chord/>")),
                      "t.xml");
    ASSERT_EQ(tied.notes.size(), 2u);
    EXPECT_DOUBLE_EQ(tied.notes[0].beats, 2);
    EXPECT_TRUE(tied.notes[1].chord);
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
    ASSERT_EQ(s.notes.size(), 3u);
    EXPECT_NEAR(s.notes[0].cents, commas(48), 1e-9);
    EXPECT_NEAR(s.notes[1].cents, commas(27), 1e-9);
    EXPECT_NEAR(s.notes[2].cents, commas(22), 1e-9);
    const Score sharps = parseMusicXml(
        wrap(pitched("C", 4, d, "1"), "<divisions>2</divisions><key><fifths>2</fifths></key>"),
        "a.xml");
    EXPECT_NEAR(sharps.notes[0].cents, commas(4), 1e-9);

    const std::pair<const char*, int> signs[] = {{"quarter-flat", -1}, {"slash-flat", -4},
                                                 {"flat", -5},         {"double-slash-flat", -8},
                                                 {"quarter-sharp", 1}, {"slash-quarter-sharp", 5},
                                                 {"sharp", 4},         {"slash-sharp", 8},
                                                 {"flat-3", -3},       {"sharp-2", 2},
                                                 {"natural", 0}};
    for (const auto& [name, value] : signs) {
        const Score one = parseMusicXml(
            wrap(pitched("D", 4, d + "<accidental>" + name + "</accidental>")), "a.xml");
        ASSERT_EQ(one.notes.size(), 1u) << name;
        EXPECT_NEAR(one.notes[0].cents, commas(9 + value), 1e-9) << name;
    }
}

TEST(SymbTrReader, ReadsPitchesFromKoma53NaturalsFromTheNamesAndLengthsFromFractions) {
    const Score s = readScoreFile(kData / "deneme_symbtr.txt");
    ASSERT_EQ(s.notes.size(), 8u); // the usul line (code 51) is no note
    EXPECT_NEAR(s.notes[0].cents, commas(40), 1e-9);
    EXPECT_NEAR(s.notes[1].cents, commas(48), 1e-9);
    EXPECT_NEAR(s.notes[4].cents, commas(53 + 13), 1e-9);
    EXPECT_EQ(s.notes[4].step, 2);
    EXPECT_NEAR(s.notes[5].cents, commas(53 + 26), 1e-9);
    EXPECT_EQ(s.notes[5].step, 3);
    EXPECT_TRUE(s.notes[6].rest);
    EXPECT_DOUBLE_EQ(s.notes[3].beats, 1.0 / 3);
    EXPECT_DOUBLE_EQ(s.notes[3].ms, 333);
    EXPECT_DOUBLE_EQ(s.notes[7].beats, 1.5);
    EXPECT_DOUBLE_EQ(s.notes[7].ms, 1500);
    EXPECT_EQ(s.notes[0].measure, 3); // its line
}

TEST(SymbTrReader, EachPitchColumnAloneAndTheDefaultTempo) {
    const struct {
        const char* text;
        bool rest;
        int step, octave;
        double commasAboveC4;
    } cases[] = {
        // Letters or solfège in Nota53 with the commas of their sign.
        {"Kod\tNota53\tPay\tPayda\r\n9\tC4#5\t1\t2\r\n", false, 0, 4, 5},
        {"Kod\tNota53\tPay\tPayda\n9\tSol3#4\t1\t2\n", false, 4, 3, -53 + 35},
        {"Kod\tNota53\tPay\tPayda\n9\tSi4b5\t1\t2\n", false, 6, 4, 44},
        // Koma53 gives the pitch; the name the string.
        {"Kod\tNotaAE\tKoma53\tPay\tPayda\n9\tA4\t306\t1\t2\n", false, 5, 4, 41},
        // Koma53 alone: the natural at or below it.
        {"Kod\tKoma53\tPay\tPayda\n9\t309\t1\t2\n", false, 5, 4, 44},
        {"Kod\tKoma53\tPay\tPayda\n9\t264\t1\t2\n9\t265\t1\t2\n", false, 6, 3, -1},
        {"Kod\tNota53\tKoma53\tPay\tPayda\n9\tSus\t-1\t1\t2\n9\tLa4\t305\t1\t2\n", true, 0, 4, 0},
    };
    for (const auto& c : cases) {
        const Score s = parseSymbTr(c.text, "x.txt");
        ASSERT_GE(s.notes.size(), 1u) << c.text;
        const ScoreNote& n = s.notes[0];
        EXPECT_EQ(n.rest, c.rest) << c.text;
        if (!c.rest) {
            EXPECT_EQ(n.step, c.step) << c.text;
            EXPECT_EQ(n.octave, c.octave) << c.text;
            EXPECT_NEAR(n.cents, commas(c.commasAboveC4), 1e-9) << c.text;
        }
        EXPECT_DOUBLE_EQ(n.ms, 2 * 60000 / kDefaultTempo);
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
        const std::string message = refusal([&] { parseScoreBytes(c.text, c.name); });
        EXPECT_TRUE(message.starts_with(c.name + ": ")) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
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
    std::string bomb;
    bomb = "<?xml version=\"1.0\"?><!DOCTYPE score-partwise [<!ENTITY a0 \"xxxxxxxxxx\">";
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
