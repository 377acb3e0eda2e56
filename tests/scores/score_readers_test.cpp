#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "scores/musicxml_reader.h"
#include "scores/score_file.h"
#include "scores/symbtr_reader.h"
#include "support/golden.h"

namespace zembera::scores {
namespace {

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

// A score as an approved dump: one line a note, its pitch in commas above C4.
std::string dump(const Score& score) {
    std::string out = score.title.empty() ? "" : "başlık: " + score.title + "\n";
    for (const ScoreNote& n : score.notes) {
        char line[160];
        if (n.rest) {
            std::snprintf(line, sizeof line, "ölçü %d: es, %.4f vuruş, %.2f ms\n", n.measure,
                          n.beats, n.ms);
        } else {
            std::snprintf(line, sizeof line, "ölçü %d: %c%d, %.3f koma, %.4f vuruş, %.2f ms%s\n",
                          n.measure, "CDEFGAB"[n.step], n.octave, n.cents / kCommaCents, n.beats,
                          n.ms, n.chord ? ", akor" : "");
        }
        out += line;
    }
    return out;
}

// The exercise at the tempo of 60 (Turkish accidentals, key signature carried through the
// measure, tuplets, ties and dots); the compressed score is found through its container.
TEST(MusicXmlReader, ReadsTheExerciseWithTurkishAccidentalsTupletsTiesAndDots) {
    const std::string plain = dump(readScoreFile(kData / "saz_semaisi.musicxml"));
    test::expectGolden("scores/saz_semaisi.txt", plain);
    EXPECT_EQ(dump(readScoreFile(kData / "saz_semaisi.mxl")), plain);
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

// Small scores as one approved dump: lengths from types where <duration> is missing, <alter>
// where no sign stands, chords, grace notes, other voices and ties, key signatures and every
// sign; then SymbTr with each pitch column alone and the default tempo.
TEST(ScoreReaders, SmallCases) {
    const std::string d = "<duration>2</duration>";
    const std::string start = d + "<tie type=\"start\"/>", stop = d + "<tie type=\"stop\"/>";
    const std::pair<const char*, std::string> xml[] = {
        {"types, tuplet, alter",
         wrap(pitched("C", 4, "<type>half</type><dot/><dot/>") +
                  pitched("G", 3,
                          "<type>16th</type><time-modification><actual-notes>5</actual-notes>"
                          "<normal-notes>4</normal-notes></time-modification>",
                          "-0.5") +
                  pitched("F", 4, "<type>quarter</type><accidental>double-sharp</accidental>", "1"),
              "")},
        {"chord, grace, tie between different notes, voice 2",
         wrap(pitched("E", 4, d + "<voice>1</voice>") + pitched("G", 4, d, "", "<chord/>") +
              pitched("A", 4, "<type>eighth</type>", "", "<grace/>") +
              pitched("E", 4, d + "<tie type=\"start\"/><voice>1</voice>") +
              pitched("F", 4, d + "<tie type=\"stop\"/><voice>1</voice>") +
              pitched("C", 3, "<duration>4</duration><voice>2</voice>"))},
        {"tied chord", wrap(pitched("C", 4, start) + pitched("E", 4, start, "", "<chord/>") +
                            pitched("C", 4, stop) + pitched("E", 4, stop, "", "<chord/>"))},
        {"Turkish key signature",
         wrap(pitched("B", 4, d, "-0.5") + pitched("F", 4, d, "0.5") +
                  pitched("F", 4, d + "<accidental>natural</accidental>"),
              "<divisions>2</divisions><key><key-step>B</key-step><key-alter>-0.5</key-alter>"
              "<key-accidental>quarter-flat</key-accidental><key-step>F</key-step>"
              "<key-alter>0.5</key-alter><key-accidental>slash-quarter-sharp</key-accidental>"
              "</key>")},
        {"two sharps",
         wrap(pitched("C", 4, d, "1"), "<divisions>2</divisions><key><fifths>2</fifths></key>")},
    };
    std::string out;
    for (const auto& [title, text] : xml)
        out += "# " + std::string(title) + "\n" + dump(parseMusicXml(text, "a.xml"));
    out += "# every sign on D4\n";
    for (const char* sign :
         {"quarter-flat", "slash-flat", "flat", "double-slash-flat", "quarter-sharp",
          "slash-quarter-sharp", "sharp", "slash-sharp", "flat-3", "sharp-2", "natural"}) {
        const std::string note = d + "<accidental>" + sign + "</accidental>";
        out += sign + (": " + dump(parseMusicXml(wrap(pitched("D", 4, note)), "a.xml")));
    }
    out += "# SymbTr file\n" + dump(readScoreFile(kData / "deneme_symbtr.txt"));
    for (const char* text : {
             "Kod\tNota53\tPay\tPayda\r\n9\tC4#5\t1\t2\r\n",
             "Kod\tNota53\tPay\tPayda\n9\tSol3#4\t1\t2\n",
             "Kod\tNota53\tPay\tPayda\n9\tSi4b5\t1\t2\n",
             "Kod\tNotaAE\tKoma53\tPay\tPayda\n9\tA4\t306\t1\t2\n", // Koma53 the pitch
             "Kod\tKoma53\tPay\tPayda\n9\t309\t1\t2\n",             // the natural at or below it
             "Kod\tKoma53\tPay\tPayda\n9\t264\t1\t2\n9\t265\t1\t2\n",
             "Kod\tNota53\tKoma53\tPay\tPayda\n9\tSus\t-1\t1\t2\n9\tLa4\t305\t1\t2\n",
         }) {
        std::string head = text;
        out += "# " + head.substr(0, head.find_first_of("\r\n")) + "\n" +
               dump(parseSymbTr(text, "x.txt"));
    }
    test::expectGolden("scores/small_cases.txt", out);
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

// The messages, one a line, as an approved dump.
TEST(BadScores, EachIsRefusedWithTheFileAndTheReason) {
    const std::string symbtr = "Kod\tNota53\tPay\tPayda\n9\t";
    const std::pair<std::string, std::string> cases[] = {
        {"<score-partwise><part", "kirik.musicxml"},
        {"", "bos.xml"},
        {"<html/>", "sayfa.xml"},
        {"<score-partwise><part-list/></score-partwise>", "a.xml"},
        {wrap("<note><rest/><duration>2</duration></note>"), "sessiz.xml"},
        {wrap(pitched("H", 4, "<duration>2</duration>")), "h.xml"},
        {wrap(pitched("C", 4, "<duration>2</duration><accidental>sori</accidental>")), "sori.xml"},
        {wrap(pitched("C", 4, "<type>tiny</type>"), ""), "t.xml"},
        {wrap(pitched("C", 4, "<duration>2</duration>"), "<divisions>0</divisions>"), "d.xml"},
        {"PK\x03\x04 broken", "kirik.mxl"},
        {symbtr + "X4\t1\t4\n", "x.txt"},
        {symbtr + "A4\t1\t0\n", "x.txt"},
        {symbtr + "A4\n", "x.txt"},
        {"Sira\tNota\n", "x.txt"},
        {"Kod\tKoma53\tPay\tPayda\n9\t-5\t1\t4\n", "x.txt"},
        {symbtr + "Es\t1\t4\n", "x.txt"},
        {"a", "a.mid"},
    };
    std::string out;
    for (const auto& [text, name] : cases)
        out += refusal([&] { parseScoreBytes(text, name); }) + "\n";
    // An archive without a score, a huge file and a missing one.
    const auto huge = std::filesystem::temp_directory_path() / "zembera_huge_score.xml";
    std::ofstream(huge, std::ios::binary).seekp(kMaxScoreBytes + 1).put('x');
    for (const auto& file : {kData / "bos_arsiv.mxl", huge, kData / "yok.musicxml"})
        out += refusal([&] { readScoreFile(file); }) + "\n";
    std::filesystem::remove(huge);
    test::expectGolden("scores/refusals.txt", out);
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
