#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "scores/kanun_mapping.h"
#include "scores/mandal_plan.h"
#include "scores/musicxml_reader.h"
#include "scores/score_file.h"
#include "scores/ses_export.h"
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

// Small scores as one dump: lengths from types, <alter> alone, chords, grace notes, voices, ties,
// key signatures, every sign; SymbTr with each pitch column alone and the default tempo.
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

// The measure after measure 2147483647 that gives no number of its own is named as the last
// number there is, without overflowing.
TEST(BadScores, TheLargestMeasureNumberIsFollowedWithoutOverflow) {
    const std::string bad = "<note><pitch><step>H</step><octave>4</octave></pitch></note>";
    const std::string xml = "<score-partwise><part id=\"P1\"><measure number=\"2147483647\">"
                            "</measure><measure>" +
                            bad + "</measure></part></score-partwise>";
    EXPECT_EQ(refusal([&] { parseScoreBytes(xml, "a.xml"); }),
              "a.xml: ölçü 2147483647: nota adı okunamadı (\"H\")");
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

// A stored zip archive of `entries` (name, bytes) as macOS's Archive Utility writes one: the
// local headers give another version needed to extract and another time than the central
// directory, which the ZIP format leaves to the central directory.
std::string macZip(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto crc32 = [](const std::string& data) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (const unsigned char c : data) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    auto put = [](std::string& out, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    std::string local, central;
    for (const auto& [name, data] : entries) {
        const auto offset = static_cast<std::uint32_t>(local.size());
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameSize = static_cast<std::uint32_t>(name.size());
        put(local, 0x04034b50, 4);
        put(local, 20, 2); // version needed
        put(local, 0, 2);  // flags
        put(local, 0, 2);  // stored
        put(local, 0x1234, 2);
        put(local, 0x5678, 2);
        put(local, crc32(data), 4);
        put(local, size, 4);
        put(local, size, 4);
        put(local, nameSize, 2);
        put(local, 0, 2);
        local += name + data;
        put(central, 0x02014b50, 4);
        put(central, 0x0315, 2); // made by: Unix
        put(central, 10, 2);     // version needed
        put(central, 0, 2);
        put(central, 0, 2);
        put(central, 0x4321, 2);
        put(central, 0x5678, 2);
        put(central, crc32(data), 4);
        put(central, size, 4);
        put(central, size, 4);
        put(central, nameSize, 2);
        for (int i = 0; i < 4; ++i)
            put(central, 0, 2); // extra, comment, disk, internal attributes
        put(central, 0, 4);
        put(central, offset, 4);
        central += name;
    }
    std::string zip = local + central;
    put(zip, 0x06054b50, 4);
    put(zip, 0, 4);
    put(zip, static_cast<std::uint32_t>(entries.size()), 2);
    put(zip, static_cast<std::uint32_t>(entries.size()), 2);
    put(zip, static_cast<std::uint32_t>(central.size()), 4);
    put(zip, static_cast<std::uint32_t>(local.size()), 4);
    put(zip, 0, 2);
    return zip;
}

// A compressed score zipped on macOS, with its resource forks, reads as unzip reads it: through
// its container, and without one past the forks to the score.
TEST(MxlArchive, AnArchiveZippedOnMacOsReads) {
    std::ifstream in(kData / "akor.xml", std::ios::binary);
    const std::string xml{std::istreambuf_iterator<char>(in), {}};
    const std::string plain = dump(parseScoreBytes(xml, "akor.xml"));
    const std::string fork = "\x00\x05\x16\x07Mac OS X resource";
    const std::string container =
        "<container><rootfiles><rootfile full-path=\"sheet.pdf\" media-type=\"application/pdf\"/>"
        "<rootfile full-path=\"akor.xml\"/></rootfiles></container>";
    EXPECT_EQ(dump(parseScoreBytes(macZip({{"META-INF/container.xml", container},
                                           {"__MACOSX/._akor.xml", fork},
                                           {"akor.xml", xml}}),
                                   "mac.mxl")),
              plain);
    EXPECT_EQ(dump(parseScoreBytes(
                  macZip({{"__MACOSX/._akor.xml", fork}, {"._akor.xml", fork}, {"akor.xml", xml}}),
                  "mac.mxl")),
              plain);
}

// Placing scores on the strings.

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
    ScoreNote n;
    n.step = step;
    n.octave = octave;
    n.cents = pitchCents(step, octave, commas);
    n.beats = ms / 1000;
    n.ms = ms;
    return n;
}

ScoreNote rest(double ms) {
    ScoreNote n;
    n.rest = true;
    n.beats = ms / 1000;
    n.ms = ms;
    return n;
}

// The placed notes, the totals and the mandal plan as shown, as lines of an approved dump.
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
    for (const std::string& l : planLines(planMandals(placed)))
        out += "  | " + l + "\n";
    return out;
}

// Each sounding note's error is its position's cents on the table plus the string's fine tuning
// minus its target, and no other position of its string comes nearer (by more than the
// hundredth of a cent that ties them); unshifted, the target is
// the written pitch moved by whole octaves.
std::string placed(const std::string& title, const Score& score, int stringShift = 0,
                   const PerString<float>* offsets = nullptr) {
    const PlacedScore result =
        placeScore(score, standardSetup(commaTables(), stringShift, offsets));
    EXPECT_EQ(result.notes.size(), score.notes.size()) << title;
    for (std::size_t i = 0; i < result.notes.size() && i < score.notes.size(); ++i) {
        const PlacedNote& n = result.notes[i];
        if (n.rest || n.dropped) continue;
        const auto sounding = [&](int m) {
            return commaTables().centTable(n.string, m) +
                   (offsets ? (*offsets)[static_cast<std::size_t>(n.string)] : 0.0f);
        };
        EXPECT_NEAR(n.errorCents, sounding(n.mandal) - n.targetCents, 1e-6) << title << " " << i;
        for (int m = mandalMinOf(n.string); m <= mandalMaxOf(n.string); ++m)
            EXPECT_LE(std::abs(n.errorCents), std::abs(sounding(m) - n.targetCents) + 0.01)
                << title << " " << i << " at " << m;
        if (stringShift == 0) {
            EXPECT_NEAR(n.targetCents, score.notes[i].cents + 1200 * n.octavesMoved, 1e-6)
                << title << " " << i;
        }
    }
    return "# " + title + "\n" + dump(result);
}

// On the 53-comma instrument: the exercise, the SymbTr piece, nearest positions (octave moves, the
// ends, a halfway case), a shift of two strings, fine tuning, chords and a mandal turned in time.
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
    PerString<float> offsets{};
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

// The melody file written for a score as an approved dump: the records of one that fits (file
// mandals, rests, triplets), and the notes named that the format cannot hold.
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
