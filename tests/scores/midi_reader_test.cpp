// Standard MIDI Files written byte by byte (support/smf_bytes.h), read as scores. How they sound
// is measured in tests/render/score_sound_test.cpp.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scores/kanun_mapping.h"
#include "scores/pitch_spelling.h"
#include "scores/score_file.h"
#include "scores/score_player.h"
#include "scores/tuning_reference.h"
#include "support/smf_bytes.h"

namespace zembera::scores {
namespace {

using test::at;
using test::smfHeader;
using test::smfTrack;

// One entry of the line: a note ('n'), a further chord note ('c') or a rest ('r'); its pitch,
// its length in quarter notes and in milliseconds; its measure when not 0.
struct Entry {
    char kind;
    double cents;
    double beats;
    double ms;
    int measure = 0;
};

// The pitch of `key` bent to `bend` (8192 the centre) over a range of `range` cents.
double bent(int key, int bend, double range) {
    return (key - 60) * 100.0 + (bend - 8192) / 8192.0 * range;
}

std::string oneTrack(const std::string& events, int division = 96) {
    return smfHeader(0, 1, division) + smfTrack(events);
}

std::string note(std::uint32_t delta, int key, std::uint32_t length, int channel = 0) {
    return at(delta, {0x90 | channel, key, 90}) + at(length, {0x80 | channel, key, 0});
}

// At 120 quarters a minute and 96 ticks a quarter a tick lasts 500 / 96 ms.
TEST(MidiReader, ChannelStateAndTimeMakeTheLine) {
    const double q = 500; // ms a quarter note at the default tempo
    const std::string rpn = at(0, {0xB0, 101, 0}) + at(0, {0xB0, 100, 0});
    const struct {
        const char* what;
        std::string bytes;
        std::vector<Entry> line;
        ScoreChoice choice = {};
    } cases[] = {
        {"cents of the range (controller 38)",
         oneTrack(test::bendRange(0, 1, 50) + test::bend(0, 0, 16383) + note(0, 60, 96)),
         {{'n', bent(60, 16383, 150), 1, q}}},
        {"controller 6 clears the cents",
         oneTrack(rpn + at(0, {0xB0, 38, 50}) + at(0, {0xB0, 6, 1}) + test::bend(0, 0, 16383) +
                  note(0, 60, 96)),
         {{'n', bent(60, 16383, 100), 1, q}}},
        {"a non-registered parameter keeps the range",
         oneTrack(test::bendRange(0, 12, 0) + at(0, {0xB0, 99, 1}) + at(0, {0xB0, 98, 2}) +
                  at(0, {0xB0, 6, 5}) + test::bend(0, 0, 12288) + note(0, 60, 96)),
         {{'n', bent(60, 12288, 1200), 1, q}}},
        {"reset all controllers centres the bend",
         oneTrack(test::bend(0, 0, 12288) + at(0, {0xB0, 121, 0}) + note(0, 60, 96)),
         {{'n', 0, 1, q}}},
        {"General MIDI on resets the range",
         oneTrack(test::bendRange(0, 12, 0) + at(0, {0xF0, 5, 0x7E, 0x7F, 9, 1, 0xF7}) +
                  test::bend(0, 0, 12288) + note(0, 60, 96)),
         {{'n', bent(60, 12288, 200), 1, q}}},
        {"the pedal holds a released note to the next",
         oneTrack(at(0, {0xB0, 64, 127}) + at(0, {0x90, 60, 90}) + at(48, {0x80, 60, 0}) +
                  at(48, {0x90, 64, 90}) + at(48, {0xB0, 64, 0}) + at(48, {0x80, 64, 0})),
         {{'n', 0, 1, q}, {'n', 400, 1, q}}},
        {"staccato leaves a rest, a short gap none",
         oneTrack(note(0, 60, 48) + note(48, 62, 90) + note(6, 64, 96)),
         {{'n', 0, 0.5, q / 2}, {'r', 0, 0.5, q / 2}, {'n', 200, 1, q}, {'n', 400, 1, q}}},
        {"a chord, then a note",
         oneTrack(at(0, {0x90, 60, 90}) + at(0, {0x90, 64, 90}) + at(96, {0x80, 60, 0}) +
                  at(0, {0x80, 64, 0}) + note(0, 67, 96)),
         {{'n', 0, 1, q}, {'c', 400, 1, q}, {'n', 700, 1, q}}},
        {"SMPTE: 25 frames of 40 ticks a second, tempo ignored",
         smfHeader(0, 1, 0xE728) + smfTrack(test::tempo(0, 1000000) + note(0, 60, 500)),
         {{'n', 0, 1, 500}}},
        {"format 2: the second sequence's own tempo",
         smfHeader(2, 2, 96) + smfTrack(test::tempo(0, 1000000) + note(0, 60, 96)) +
             smfTrack(test::tempo(0, 250000) + note(0, 62, 96)),
         {{'n', 200, 1, 250}},
         {PitchReading::automatic, 1, 0}},
        {"running status; a velocity 0 ends a note; a bend on another channel changes nothing",
         oneTrack(at(0, {0x90, 60, 100}) + at(96, {60, 0}) + at(0, {69, 100}) +
                  test::bend(0, 1, 12288) + at(96, {69, 0})),
         {{'n', 0, 1, q}, {'n', 900, 1, q}}},
        {"the tempo halved from its tick on",
         oneTrack(note(0, 60, 96) + test::tempo(0, 1000000) + note(0, 62, 96)),
         {{'n', 0, 1, q}, {'n', 200, 1, 2 * q}}},
        {"a key struck again before its release: two strokes, a rest, D5",
         oneTrack(at(0, {0x90, 69, 90}) + at(48, {69, 90}) + at(48, {69, 0}) + at(96, {69, 0}) +
                  at(96, {74, 90}) + at(96, {74, 0})),
         {{'n', 900, 0.5, q / 2}, {'n', 900, 1.5, 1.5 * q}, {'r', 0, 1, q}, {'n', 1400, 1, q}}},
        {"measures of 3/4, then 6/8; a rest before and to the end of the track",
         oneTrack(at(0, {0xFF, 0x58, 4, 3, 2, 24, 8}) + note(96, 60, 96) + note(96, 62, 96) +
                  at(0, {0xFF, 0x58, 4, 6, 3, 24, 8}) + note(0, 64, 288)),
         {{'r', 0, 1, q, 1},
          {'n', 0, 1, q, 1},
          {'r', 0, 1, q, 1},
          {'n', 200, 1, q, 2},
          {'n', 400, 3, 3 * q, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Score score = parseScoreBytes(c.bytes, "x.mid", c.choice);
        ASSERT_EQ(score.notes.size(), c.line.size());
        for (std::size_t i = 0; i < c.line.size(); ++i) {
            const ScoreNote& n = score.notes[i];
            const Entry& e = c.line[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(n.rest, e.kind == 'r');
            EXPECT_EQ(n.chord, e.kind == 'c');
            EXPECT_NEAR(n.rest ? e.cents : n.cents, e.cents, 1e-9);
            EXPECT_NEAR(n.beats, e.beats, 1e-9);
            EXPECT_NEAR(n.ms, e.ms, 1e-9);
            EXPECT_EQ(e.measure ? n.measure : 0, e.measure);
        }
    }
}

// A file cut short or breaking the format is refused with the byte (from the start of the file)
// and the track where it breaks.
TEST(MidiReader, BrokenFilesAreRefusedWithTheirPlace) {
    const std::size_t events = smfHeader(0, 1, 96).size() + 8; // the first track's first event
    const std::string head = smfHeader(0, 1, 96);
    auto track = [](const std::string& body) {
        return "MTrk" + test::bigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
    };
    auto place = [](std::size_t byte) { return "x.mid: iz 1, bayt " + std::to_string(byte); };
    const std::pair<std::string, std::string> cases[] = {
        {"RIFF", "x.mid: bayt 0: MIDI dosyası değil (MThd başlığı yok)"},
        {head.substr(0, 12), "x.mid: bayt 12: başlık eksik"},
        {smfHeader(3, 1, 96) + smfTrack(""), "x.mid: bayt 8: bilinmeyen MIDI biçimi (3)"},
        {smfHeader(0, 1, 0) + smfTrack(""), "x.mid: bayt 12: zaman birimi (division) 0"},
        {smfHeader(1, 2, 96) + smfTrack(note(0, 60, 96)),
         "x.mid: bayt " + std::to_string((smfHeader(1, 2, 96) + smfTrack(note(0, 60, 96))).size()) +
             ": dosya erken bitiyor: başlıkta 2 iz var, 1 iz okundu"},
        {head + "MTrk" + test::bigEndian(0xFFFFFFFF, 4) + note(0, 60, 96),
         place(events - 8) + ": iz dosyanın sonunu aşıyor (4294967295 bayt diyor)"},
        {head + track(at(0, {0x90, 60})), place(events + 1) + ": olay yarıda kesilmiş"},
        {head + track("\xFF\xFF\xFF\xFF" + note(0, 60, 1)),
         place(events) + ": değişken uzunluklu sayı 4 bayttan uzun"},
        {head + smfTrack(at(0, {60, 90})),
         place(events + 1) + ": durum baytı yok (önünde kanal iletisi de yok)"},
        {head + smfTrack(at(0, {0xF8})),
         place(events + 1) + ": MIDI dosyasında yeri olmayan durum baytı F8"},
        {head + smfTrack(at(0, {0x90, 60, 200})), place(events + 3) + ": veri baytı 127'den büyük"},
        {head + track(at(0, {0xFF, 0x03, 20, 'a'})), place(events + 1) + ": olay yarıda kesilmiş"},
        {head + smfTrack(test::tempo(0, 0) + note(0, 60, 1)),
         place(events + 1) + ": tempo geçersiz"},
        {head + smfTrack(at(0, {0xC0, 5})), "x.mid: partisyonda nota yok"},
        {head + smfTrack(note(0, 60, 40000000)), "x.mid: ölçü 1: nota on dakikadan uzun"},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        try {
            parseScoreBytes(bytes, "x.mid");
            ADD_FAILURE() << "read";
        } catch (const ScoreError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

// The tracks with pitched notes come first, percussion (channel 10) last, and the channels of the
// track likewise; the report names them, the tuning reference and the notes placed more than 5
// cents from their pitch.
TEST(MidiReader, TracksAndChannelsOfferedAndReported) {
    const std::string name = at(0, {0xFF, 0x03, 2, 'U', 'd'});
    const std::string file = smfHeader(1, 2, 96) + smfTrack(note(0, 36, 96, 9)) +
                             smfTrack(name + note(0, 60, 96, 2) + note(0, 38, 96, 9) +
                                      note(0, 69, 96, 0) + note(0, 64, 96, 0));
    const Score score = parseScoreBytes(file, "x.mid");
    EXPECT_EQ(score.parts, (std::vector<std::string>{"iz 2: Ud", "iz 1"}));
    EXPECT_EQ(score.voices, (std::vector<std::string>{"kanal 1", "kanal 3", "kanal 10 (vurmalı)"}));
    ASSERT_EQ(score.notes.size(), 3u); // the rest of three quarters, A4, E4
    PlacedScore placed;
    for (const double error : {0.0, 4.9, -5.1, 12.0}) {
        PlacedNote n;
        n.string = kMiddleCString;
        n.errorCents = error;
        placed.notes.push_back(n);
    }
    const std::string report = scoreReport(score, placed, "x.mid");
    for (const char* line : {"\n2 nota perdesinden 5 sentten uzak çalınır\n",
                             "\nPerde dayanağı: eşit aralıklı 12 ses (A4 = 440 Hz)\n",
                             "\nÇalınan: iz 2: Ud (2 izden 1.), kanal 1 (3 kanaldan 1.)\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
    EXPECT_EQ(reportButtons(score),
              (std::vector<std::string>{kPlayCaption, kPrepareMandalsCaption, kNextChannelCaption,
                                        kNextTrackCaption, kCancelCaption}));
}

// Turkish notation's spelling (as the SymbTr corpus writes it): a pitch alone, taken to its
// comma, on the natural whose commas hold it (C up to 4 above, D 5..12, E 13..21, F 22..27, G
// 28..35, A 36..43, B 44..51), equal-tempered sharps and flats on C#, Eb, F#, G#, Bb. In a
// phrase of the Bestenigar peşrev of Tatyos Efendi as its SymbTr .txt spells it, F (75 commas
// above C4) goes to the E string between F sharps and A sharp (44) to the A string beside
// B4b1 (47), where their usual strings hold another pitch.
TEST(PitchSpelling, TurkishNotationAndTheFreeString) {
    const double c = kCommaCents;
    const std::pair<double, char> alone[] = {
        {-c, 'C'},     {4 * c, 'C'},  {5 * c, 'D'},  {12 * c, 'D'}, {13 * c, 'E'},
        {21 * c, 'E'}, {22 * c, 'F'}, {27 * c, 'F'}, {28 * c, 'G'}, {35 * c, 'G'},
        {36 * c, 'A'}, {43 * c, 'A'}, {44 * c, 'B'}, {51 * c, 'B'}, {52 * c, 'C'},
        {100, 'C'},    {300, 'E'},    {600, 'F'},    {800, 'G'},    {1000, 'B'}};
    for (const auto& [cents, natural] : alone)
        EXPECT_EQ("CDEFGAB"[spellPitches({cents}).front().step], natural) << cents;
    const int phrase[] = {40, 47, 53, 40, 31, 26, 26, 59, 53, 47, 40, 47, 53, 47, 40,
                          40, 31, 40, 31, 31, 26, 26, 79, 75, 84, 79, 79, 84, 79, 75,
                          62, 57, 47, 44, 31, 26, 26, 31, 44, 47, 57, 62, 75, 79, 84};
    std::vector<double> cents;
    for (const int commas : phrase)
        cents.push_back(commas * c);
    std::string got;
    for (const ScorePitch& p : spellPitches(cents))
        got += "CDEFGAB"[p.step];
    EXPECT_EQ(got, "ABCAGFFDCBABCBAAGAGGFFFEGFFGFEDCBAGFFGABCDEFG");
}

// The reference told from the pitches: all on keys; on a comma grid through A on its key (as
// SymbTr's files are, 40 commas being 905.66 cents), through D or through C, named by its A4 in
// the hertz of MIDI's keys and how far it lies from the commas counted from C4; on no grid.
TEST(TuningReference, ToldFromThePitches) {
    const double c = kCommaCents;
    auto grid = [&](double shift) {
        std::vector<double> cents;
        for (const int k : {0, 4, 13, 22, 26, 40, 44, 53})
            cents.push_back(k * c + shift);
        return cents;
    };
    auto text = [](const char* format, double a, double b = 0) {
        char out[200];
        std::snprintf(out, sizeof out, format, a, b);
        return std::string(out);
    };
    auto a4 = [&](double shift) { return 440 * std::exp2((40 * c + shift - 900) / 1200); };
    const std::pair<std::vector<double>, std::string> cases[] = {
        {{0, 200, 700.4, -1200}, "eşit aralıklı 12 ses (A4 = 440 Hz)"},
        {grid(900 - 40 * c), text("53 koma, A4 = 440.00 Hz (SymbTr'nin MIDI dosyaları gibi); "
                                  "C4'ten sayılan komalardan %.2f sent pes",
                                  40 * c - 900)},
        {grid(200 - 9 * c), text("53 koma, A4 = %.2f Hz (D eşit aralıklı perdesinde); C4'ten "
                                 "sayılan komalardan %.2f sent pes",
                                 a4(200 - 9 * c), 9 * c - 200)},
        {grid(0), text("53 koma, A4 = %.2f Hz (C eşit aralıklı perdesinde); komalar C4'ten "
                       "sayılır",
                       a4(0))},
        {{0, 33, 171, 450, 500}, "serbest perdeler (bükmeler ne 12 sese ne 53 komaya oturuyor)"},
    };
    for (const auto& [cents, expected] : cases)
        EXPECT_EQ(tuningReference(cents).text(), expected);
}

} // namespace
} // namespace zembera::scores
