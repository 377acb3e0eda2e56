#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "scores/kanun_mapping.h"
#include "scores/mandal_plan.h"
#include "scores/musicxml_reader.h"
#include "scores/score_file.h"
#include "scores/ses_export.h"
#include "scores/symbtr_reader.h"
#include "support/golden.h"
#include "support/written_pitch.h"

namespace zembera::scores {
namespace {

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

// What a score holds note by note, to compare two readings of one score.
auto held(const Score& score) {
    std::vector<std::tuple<bool, int, int, double, double, double, bool>> notes;
    for (const ScoreNote& n : score.notes)
        notes.emplace_back(n.rest, n.step, n.octave, n.cents, n.beats, n.ms, n.chord);
    return std::pair(score.title, notes);
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

// Pitches by the notations' definitions (support/written_pitch.h), the Turkish accidentals as
// MusicXML names them by their commas: quarter-flat/quarter-sharp 1 (koma), slash-flat and sharp
// 4 (bakiye), flat and slash-quarter-sharp 5 (küçük mücennep), double-slash-flat and slash-sharp 8
// (büyük mücennep), flat-N/sharp-N N.
int stepOf(char letter) {
    return static_cast<int>(std::string_view("CDEFGAB").find(letter));
}
double equalCents(char step, int octave, double alter) {
    return test::equalCents(stepOf(step), octave, alter);
}

struct Written {
    char step; // 'R' a rest
    int octave;
    double cents; // above C4
    double beats;
    double ms = -1; // when not the beats at the tempo
};

// A rest of `beats`.
Written silence(double beats, double ms = -1) {
    return {'R', 0, 0, beats, ms};
}
// AEU pitch of a note: step, octave and accidental in commas.
Written aeu(char step, int octave, int accidental, double beats, double ms = -1) {
    return {step, octave, test::aeuCents(stepOf(step), octave, accidental), beats, ms};
}

// Each note against its written step, octave, pitch and length; its time at `tempo` quarters a
// minute (the reader's default 90, or the score's own).
void expectNotes(const Score& score, const std::vector<Written>& written, double tempo = 90) {
    ASSERT_EQ(score.notes.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        const ScoreNote& n = score.notes[i];
        const Written& w = written[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(n.rest, w.step == 'R');
        EXPECT_NEAR(n.beats, w.beats, 1e-9);
        EXPECT_NEAR(n.ms, w.ms >= 0 ? w.ms : w.beats * 60000 / tempo, 1e-6);
        if (n.rest) continue;
        EXPECT_EQ("CDEFGAB"[n.step], w.step);
        EXPECT_EQ(n.octave, w.octave);
        EXPECT_NEAR(n.cents, w.cents, 1e-9);
    }
}

// The exercise at the tempo of 60: the key's flat is küçük mücennep, a slash-flat carries to the
// measure's next B, a tuplet of three eighths, a tie over a dotted half; the compressed score is
// found through its container.
TEST(MusicXmlReader, ReadsTheExerciseWithTurkishAccidentalsTupletsTiesAndDots) {
    const Score plain = readScoreFile(kData / "saz_semaisi.musicxml");
    EXPECT_EQ(plain.title, "Deneme Saz Semaisi");
    expectNotes(plain,
                {aeu('A', 4, 0, 1), aeu('B', 4, -5, 1), aeu('B', 4, -4, 1), aeu('B', 4, -4, 1),
                 aeu('B', 4, -5, 0.5), aeu('C', 5, 4, 0.5), aeu('D', 5, 0, 1.0 / 3),
                 aeu('E', 5, -1, 1.0 / 3), aeu('F', 5, 8, 1.0 / 3), silence(0.5),
                 aeu('G', 4, 0, 3.5), aeu('A', 4, 0, 2)},
                60);
    EXPECT_EQ(held(readScoreFile(kData / "saz_semaisi.mxl")), held(plain));
}

// Each sign alone on D4 (no <alter>): the Turkish ones move it by their commas, the others are
// only drawn (MusicXML's pitch is <alter>) and leave D4 at its equal-tempered 200 cents.
TEST(MusicXmlReader, EachTurkishSignMovesTheNoteByItsCommas) {
    const std::pair<const char*, double> signs[] = {
        {"slash-flat", test::aeuCents(1, 4, -4)},
        {"double-slash-flat", test::aeuCents(1, 4, -8)},
        {"slash-quarter-sharp", test::aeuCents(1, 4, 5)},
        {"slash-sharp", test::aeuCents(1, 4, 8)},
        {"flat-3", test::aeuCents(1, 4, -3)},
        {"sharp-2", test::aeuCents(1, 4, 2)},
        {"quarter-flat", 200},
        {"flat", 200},
        {"quarter-sharp", 200},
        {"sharp", 200},
        {"natural", 200}};
    for (const auto& [sign, cents] : signs) {
        const std::string note =
            "<duration>2</duration><accidental>" + std::string(sign) + "</accidental>";
        const Score score = parseMusicXml(wrap(pitched("D", 4, note)), "a.xml");
        ASSERT_EQ(score.notes.size(), 1u);
        EXPECT_NEAR(score.notes[0].cents, cents, 1e-9) << sign;
    }
}

// Lengths from types (a double dot, a 5:4 tuplet), <alter> alone read in semitones over a
// contrary sign, a Turkish key signature in commas (a written <alter> under a key of sharps:
// ScoreSound.MusicXmlPitchIsTheSoundingPitch).
TEST(ScoreReaders, PitchesAndLengthsOfSmallScores) {
    const std::string d = "<duration>2</duration>";
    expectNotes(
        parseMusicXml(
            wrap(pitched("C", 4, "<type>half</type><dot/><dot/>") +
                     pitched("G", 3,
                             "<type>16th</type><time-modification><actual-notes>5</actual-notes>"
                             "<normal-notes>4</normal-notes></time-modification>",
                             "-0.5") +
                     pitched("F", 4, "<type>quarter</type><accidental>double-sharp</accidental>",
                             "1"),
                 ""),
            "a.xml"),
        {{'C', 4, 0, 2 + 1 + 0.5},
         {'G', 3, equalCents('G', 3, -0.5), 0.25 * 4 / 5},
         {'F', 4, equalCents('F', 4, 1), 1}});
    expectNotes(
        parseMusicXml(
            wrap(pitched("B", 4, d, "-0.5") + pitched("F", 4, d, "0.5") +
                     pitched("F", 4, d + "<accidental>natural</accidental>"),
                 "<divisions>2</divisions><key><key-step>B</key-step><key-alter>-0.5</key-alter>"
                 "<key-accidental>quarter-flat</key-accidental><key-step>F</key-step>"
                 "<key-alter>0.5</key-alter><key-accidental>slash-quarter-sharp</key-accidental>"
                 "</key>"),
            "a.xml"),
        {aeu('B', 4, -1, 1), aeu('F', 4, 5, 1), aeu('F', 4, 0, 1)});
}

// SymbTr by its columns: Nota53 a Turkish note name and its commas, Koma53 the pitch as 265 plus
// commas above C4 (named by the natural at or below it), Pay/Payda the length in wholes, Ms the
// time when given, else the default tempo; "Es"/"Sus" or -1 a rest.
TEST(ScoreReaders, SymbTrPitchesByTheirColumns) {
    expectNotes(readScoreFile(kData / "deneme_symbtr.txt"),
                {aeu('A', 4, 0, 1, 1000), aeu('B', 4, -1, 1, 1000), aeu('C', 5, 0, 0.5, 500),
                 aeu('D', 5, 0, 1.0 / 3, 333), aeu('E', 5, -5, 1.0 / 3, 333),
                 aeu('F', 5, 4, 1.0 / 3, 334), silence(0.5, 500), aeu('G', 4, 0, 1.5, 1500)});
    const std::pair<const char*, std::vector<Written>> cases[] = {
        {"Kod\tNota53\tPay\tPayda\r\n9\tC4#5\t1\t2\r\n", {aeu('C', 4, 5, 2)}},
        {"Kod\tNota53\tPay\tPayda\n9\tSol3#4\t1\t2\n", {aeu('G', 3, 4, 2)}},
        {"Kod\tNota53\tPay\tPayda\n9\tSi4b5\t1\t2\n", {aeu('B', 4, -5, 2)}},
        {"Kod\tNotaAE\tKoma53\tPay\tPayda\n9\tA4\t306\t1\t2\n", {aeu('A', 4, 1, 2)}},
        {"Kod\tKoma53\tPay\tPayda\n9\t309\t1\t2\n", {aeu('A', 4, 4, 2)}},
        {"Kod\tKoma53\tPay\tPayda\n9\t264\t1\t2\n9\t265\t1\t2\n",
         {aeu('B', 3, 3, 2), aeu('C', 4, 0, 2)}},
        {"Kod\tNota53\tKoma53\tPay\tPayda\n9\tSus\t-1\t1\t2\n9\tLa4\t305\t1\t2\n",
         {silence(2), aeu('A', 4, 0, 2)}},
    };
    for (const auto& [text, written] : cases) {
        SCOPED_TRACE(text);
        expectNotes(parseSymbTr(text, "x.txt"), written);
    }
}

// SymbTr's converter writes no alteration on grace notes: a grace F5 takes the commas of the F5
// in force in its measure, the last before it, else the next after it, else the last of an
// earlier measure, else the key's (a song with its words: the key's F +3 for the sharp).
TEST(ScoreReaders, SymbTrConverterGraceNotesTakeTheSignOfTheirStep) {
    const std::string d = "<duration>2</duration><lyric><text>ey</text></lyric>";
    const std::string sharp = pitched("F", 5, d + "<accidental>sharp</accidental>", "+1");
    const std::string natural = pitched("F", 5, d), lower = pitched("F", 4, d);
    const struct {
        std::string earlier, before, after;
        int commas;
    } cases[] = {
        {sharp, natural, sharp, 0}, {sharp, "", natural, 0}, {natural, "", sharp, 3},
        {natural, "", "", 0},       {lower, "", "", 3},
    };
    for (const auto& c : cases) {
        std::string xml =
            wrap(c.earlier, "<divisions>2</divisions><key><key-step>F</key-step><key-alter>+3"
                            "</key-alter><key-accidental>sharp</key-accidental></key>");
        xml.replace(xml.find("<part-list/>"), 0,
                    "<identification><encoding><software>https://github.com/burakuyar/"
                    "MusicXMLConverter</software></encoding></identification>");
        xml.replace(xml.find("</part>"), 0,
                    "<measure number=\"2\">" + c.before +
                        pitched("F", 5, "<type>16th</type>", "", "<grace/>") + c.after +
                        pitched("E", 5, d) + "</measure>");
        const std::vector<ScoreNote> notes = parseMusicXml(xml, "a.xml").notes;
        const std::size_t grace = c.before.empty() ? 1 : 2;
        ASSERT_GT(notes.size(), grace);
        EXPECT_NEAR(notes[grace].cents, test::aeuCents(3, 5, c.commas), 1e-9) << xml;
    }
}

// A grace note's time taken from the note before, the second voice heard as a rest, a tie
// between different notes kept as two notes, a tied chord as one.
TEST(ScoreReaders, ChordsGraceNotesVoicesAndTies) {
    const std::string d = "<duration>2</duration>";
    const std::string start = d + "<tie type=\"start\"/>", stop = d + "<tie type=\"stop\"/>";
    const auto equal = [](char step, double beats) -> Written {
        return {step, 4, equalCents(step, 4, 0), beats};
    };
    expectNotes(parseMusicXml(wrap(pitched("E", 4, d + "<voice>1</voice>") +
                                   pitched("G", 4, d, "", "<chord/>") +
                                   pitched("A", 4, "<type>eighth</type>", "", "<grace/>") +
                                   pitched("E", 4, start + "<voice>1</voice>") +
                                   pitched("F", 4, stop + "<voice>1</voice>") +
                                   pitched("C", 3, "<duration>4</duration><voice>2</voice>")),
                              "a.xml"),
                {equal('E', 0.875), equal('G', 1), equal('A', 0.125), equal('E', 1), equal('F', 1),
                 silence(2)});
    expectNotes(parseMusicXml(wrap(pitched("C", 4, start) + pitched("E", 4, start, "", "<chord/>") +
                                   pitched("C", 4, stop) + pitched("E", 4, stop, "", "<chord/>")),
                              "a.xml"),
                {equal('C', 2), equal('E', 2)});
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
        {"a", "a.pdf"},
    };
    std::string out;
    for (const auto& [text, name] : cases)
        out += refusal([&] { parseScoreBytes(text, name); }) + "\n";
    // An archive without a score (files that cannot be read: UnreadableScores below).
    out += refusal([&] { readScoreFile(kData / "bos_arsiv.mxl"); }) + "\n";
    test::expectGolden("scores/refusals.txt", out);
}

// Each fault of the XML is told in Turkish by what the XML 1.0 rules find wrong, never in the XML
// reader's English; a file that cannot be read at all by its path and the reason, as melodies are.
TEST(BadScores, XmlFaultsAndUnreadableFilesAreToldInTurkish) {
    std::string bomb = "<!DOCTYPE s [<!ENTITY a \"0123456789\">";
    for (char e : {'b', 'c', 'd'}) { // each entity ten of the one before
        std::string ten;
        for (int i = 0; i < 10; ++i)
            ten += std::string("&") + static_cast<char>(e - 1) + ";";
        bomb += std::string("<!ENTITY ") + e + " \"" + ten + "\">";
    }
    bomb += "]><score-partwise>&d;</score-partwise>";
    const std::pair<std::string, std::string> texts[] = {
        {"", "dosya boş"},
        {"x\n", "XML değil (hiç etiket yok)"},
        {"<score-partwise><part", "dosya yarıda bitiyor"},
        {"yalnızca metin\n", "başlangıç etiketi bekleniyordu"},
        {"<score-partwise><part></score-partwise>", "açılış ve kapanış etiketleri uyuşmuyor"},
        {"<score-partwise>&yok;</score-partwise>", "tanımlanmamış bir ad kullanılıyor"},
        {"<score-partwise><part id='1' id='2'/></score-partwise>",
         "bir öznitelik iki kez yazılmış"},
        {bomb, "bir varlık (entity) izin verilenden çok büyüyor"},
    };
    for (const auto& [text, reason] : texts)
        EXPECT_EQ(refusal([&] { parseMusicXml(text, "a.xml"); }),
                  "a.xml: XML okunamadı (satır 1): " + reason);
    const auto dir = std::filesystem::temp_directory_path();
    std::filesystem::create_directories(dir / "klasör.xml");
    ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0600), 0);
    std::ofstream(dir / "büyük.musicxml", std::ios::binary).seekp(kMaxScoreBytes).put('x');
    const std::pair<std::string, std::string> files[] = {
        {"fifo.xml", "normal bir dosya değil"},
        {"klasör.xml", "bir klasör"},
        {"yok.mxl", "dosya bulunamadı"},
        {"büyük.musicxml", "dosya çok büyük: 8,0 MB, en çok 8 MB"},
    };
    for (const auto& [name, reason] : files)
        EXPECT_EQ(refusal([&] { readScoreFile(dir / name); }),
                  (dir / name).string() + ": " + reason);
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
    // Little-endian fields of 2 and 4 bytes.
    auto le = [](std::uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return out;
    };
    auto u16 = [&](std::uint32_t v) { return le(v, 2); };
    auto u32 = [&](std::size_t v) { return le(static_cast<std::uint32_t>(v), 4); };
    std::string local, central;
    for (const auto& [name, data] : entries) {
        const std::string sizes = u32(crc32(data)) + u32(data.size()) + u32(data.size()) +
                                  u16(static_cast<std::uint32_t>(name.size()));
        // Version needed 2.0, flags, stored, time, date; no extra field.
        const std::size_t offset = local.size();
        local += u32(0x04034b50) + u16(20) + u16(0) + u16(0) + u16(0x1234) + u16(0x5678) + sizes +
                 u16(0) + name + data;
        // Made by Unix, version needed 1.0, another time; no extra, comment, disk, attributes.
        central += u32(0x02014b50) + u16(0x0315) + u16(10) + u16(0) + u16(0) + u16(0x4321) +
                   u16(0x5678) + sizes + u16(0) + u16(0) + u16(0) + u16(0) + u32(0) + u32(offset) +
                   name;
    }
    const auto count = static_cast<std::uint32_t>(entries.size());
    const std::string zip = local + central + u32(0x06054b50) + u32(0) + u16(count) + u16(count) +
                            u32(central.size()) + u32(local.size()) + u16(0);
    return zip;
}

// A compressed score zipped on macOS, with its resource forks, reads as unzip reads it: through
// its container, and without one past the forks to the score.
TEST(MxlArchive, AnArchiveZippedOnMacOsReads) {
    std::ifstream in(kData / "akor.xml", std::ios::binary);
    const std::string xml{std::istreambuf_iterator<char>(in), {}};
    const auto plain = held(parseScoreBytes(xml, "akor.xml"));
    const std::string fork = "\x00\x05\x16\x07Mac OS X resource";
    const std::string container =
        "<container><rootfiles><rootfile full-path=\"sheet.pdf\" media-type=\"application/pdf\"/>"
        "<rootfile full-path=\"akor.xml\"/></rootfiles></container>";
    EXPECT_EQ(held(parseScoreBytes(macZip({{"META-INF/container.xml", container},
                                           {"__MACOSX/._akor.xml", fork},
                                           {"akor.xml", xml}}),
                                   "mac.mxl")),
              plain);
    EXPECT_EQ(held(parseScoreBytes(
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
    ScoreNote n = note(0, 4, 0, ms);
    n.rest = true;
    return n;
}

// Each sounding note's error is its position's cents on the table plus the string's fine tuning
// minus its target, and no other position of its string comes nearer (by more than the
// hundredth of a cent that ties them); unshifted, the target is
// the written pitch moved by whole octaves.
PlacedScore placed(const std::string& title, const Score& score, int stringShift = 0,
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
    return result;
}

// On the 53-comma instrument: the exercise, the SymbTr piece, nearest positions (octave moves, the
// ends, a halfway case), a shift of two strings, fine tuning, chords and a mandal turned in time.
TEST(KanunMapping, PlacesAndPlans) {
    const double c = kCommaCents;
    placed("saz semaisi", readScoreFile(kData / "saz_semaisi.musicxml"));
    placed("SymbTr", readScoreFile(kData / "deneme_symbtr.txt"));
    Score score;
    score.notes = {note(2, 4, -50 / c), // 50 cents down is 2.2 commas
                   note(6, 4, -2.5),    // halfway: the one nearer the open string
                   note(2, 6, 0),       // E6, the top string
                   note(3, 6, 0),       // F6 an octave down
                   note(5, 2, 0),       // A2, the lowest string
                   note(5, 1, 0),       // A1 an octave up
                   note(2, 6, 12)};     // string 1 reaches 6: the error says the rest
    const PlacedScore nearest = placed("nearest", score);
    ASSERT_EQ(nearest.notes.size(), 7u);
    const int moved[] = {0, 0, 0, -1, 0, 1, 0}, strings[] = {15, 11, 1, 7, 26, 26, 1};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(nearest.notes[i].octavesMoved, moved[i]) << i;
        EXPECT_EQ(nearest.notes[i].string, strings[i]) << i;
    }
    EXPECT_EQ(nearest.notes[1].mandal, -2);
    EXPECT_EQ(nearest.notes[6].mandal, 6);
    EXPECT_NEAR(nearest.notes[6].errorCents, -6 * c, 1e-6);
    EXPECT_EQ(nearest.worstIndex, 6);
    // Two strings lower the shift stands for the interval of the open strings 19 and 17 (A3
    // under C4, 13 commas), so A4 and E4 sound on F4 and C4 raised by 5 commas.
    score.notes = {note(5, 4, 0), note(2, 4, 0)};
    const PlacedScore lower = placed("two strings lower", score, 2);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(lower.notes[i].string, i == 0 ? 14 : 17);
        EXPECT_EQ(lower.notes[i].mandal, 5);
    }
    score.notes = {note(5, 4, 0), note(5, 4, 1)}; // A4 and A4 a comma up, both on string 12
    PerString<float> offsets{};
    for (float offset : {-5.0F, static_cast<float>(-c), static_cast<float>(c / 2 + 1)}) {
        offsets[12] = offset;
        placed("string 12 tuned " + std::to_string(offset), score, 0, &offsets);
    }
    // A chord note sharing its chord's string is left out; a chord mark after a rest is a note.
    ScoreNote e = note(2, 4, 0, 500), g = note(4, 4, 0), e2 = note(2, 4, -1);
    g.chord = e2.chord = true;
    score.notes = {e, g, e2, note(0, 5, 0), rest(200), g};
    const PlacedScore chords = placed("chords", score);
    EXPECT_EQ(chords.droppedChordNotes, 1);
    EXPECT_EQ(chords.chordNotes, 1);
    EXPECT_TRUE(chords.notes[2].dropped);
    EXPECT_FALSE(chords.notes[5].chord);
    // B4 five commas down, C5, B4 four down after 300 ms free, a rest, B4 five down again after
    // more than kCloseChangeMs: one close change.
    score.notes = {note(6, 4, -5, 400), note(0, 5, 0, 300), note(6, 4, -4, 400), rest(600),
                   note(6, 4, -5, 400)};
    const MandalPlan plan = planMandals(placed("time to turn the mandal", score));
    ASSERT_EQ(plan.closeCount(), 1);
    const MandalChange& turn = plan.changes.front();
    EXPECT_EQ(std::tuple(turn.string, turn.from, turn.to, turn.noteIndex, turn.freeMs),
              std::tuple(11, -5, -4, 2, 300.0));
    const std::vector<std::string> lines = planLines(plan);
    for (const char* line :
         {"tel 11: başta -5, konumlar -5 -4", "ölçü 0, nota 3: tel 11 -5 → -4, 300 ms içinde"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

// A melody file read by its definition: records of 10 integers; field 2 a note (0..14 string
// note + 4, 15..25 note - 3) or a rest (26..31: 2, 4, .. 64 units); field 3 the length code 1..6
// (64, 32, .. 2 units; dotted, field 5, half again; a triplet, field 1, of code 4 or 5 lasts 5 or
// 3 units); field 4 the mandal; field 10 the condition to play it there.
struct SesRecord {
    int string; // 0 a rest
    int mandal;
    int units;
};
std::vector<SesRecord> readSes(const std::string& text) {
    std::vector<int> f;
    std::istringstream in(text);
    for (std::string field; std::getline(in, field, ',');) {
        std::istringstream lines(field);
        for (std::string v; lines >> v;)
            f.push_back(std::stoi(v));
    }
    EXPECT_EQ(f.size() % 10, 0u);
    std::vector<SesRecord> records;
    for (std::size_t r = 0; r + 10 <= f.size(); r += 10) {
        const int note = f[r + 1], code = f[r + 2];
        if (note >= 26) {
            records.push_back({0, 0, 2 << (note - 26)});
            continue;
        }
        int units = 128 >> code;
        if (f[r + 4] == 1) units = units * 3 / 2;
        if (f[r] > 0 && (code == 4 || code == 5)) units = code == 4 ? 5 : 3;
        EXPECT_EQ(f[r + 9], 1) << "record " << r / 10;
        records.push_back({note <= 14 ? note + 4 : note - 3, f[r + 3], units});
    }
    return records;
}

// A score that fits is written so that each note reads back as its string, mandal and length (a
// quarter 16 units; a note of a third of a quarter a triplet eighth), each rest as its length; what
// the format cannot hold (a length no code gives, strings beyond 4..22) is named note by note.
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
    std::string problems;
    for (const Score& s : {score, readScoreFile(kData / "saz_semaisi.musicxml"), high}) {
        const PlacedScore placed = placeScore(s, standardSetup(commaTables(), 0));
        const SesExport ses = exportSes(s, placed);
        problems += std::string("# ") + (ses.fits() ? "yazılır" : "yazılamaz") + "\n";
        for (const std::string& problem : ses.problems)
            problems += problem + "\n";
        if (!ses.fits()) continue;
        // Consecutive rest records make one rest of the score.
        std::vector<SesRecord> back;
        for (const SesRecord& r : readSes(ses.text)) {
            if (r.string == 0 && !back.empty() && back.back().string == 0)
                back.back().units += r.units;
            else
                back.push_back(r);
        }
        ASSERT_EQ(back.size(), s.notes.size());
        for (std::size_t i = 0; i < back.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(back[i].units, std::lround(s.notes[i].beats * 16));
            EXPECT_EQ(back[i].string, s.notes[i].rest ? 0 : placed.notes[i].string);
            EXPECT_EQ(back[i].mandal, s.notes[i].rest ? 0 : placed.notes[i].mandal);
        }
    }
    test::expectGolden("scores/ses_export.txt", problems);
}

} // namespace
} // namespace zembera::scores
