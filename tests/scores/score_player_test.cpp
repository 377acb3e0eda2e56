// The melody frame with the score player behind it, as the window wires them, on the fake clock.

#include <gtest/gtest.h>

#include <tuple>

#include "files/files_rig.h"
#include "files/melody_handlers.h"
#include "files/record_handlers.h"
#include "scores/score_file.h"
#include "scores/score_player.h"
#include "support/smf_bytes.h"

namespace zembera::scores {
namespace {

const std::filesystem::path kData = std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "scores";

class ScoreFrame : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        melody = std::make_unique<MelodyHandlers>(*parts);
        player = std::make_unique<ScorePlayer>(*parts);
        melody->playOtherFile = [this](const std::string& name) {
            return player->playIfScore(name);
        };
        controls.tempoBar = 40;
        std::filesystem::copy_file(kData / "saz_semaisi.musicxml", dir / "saz_semaisi.musicxml");
    }
    std::unique_ptr<MelodyHandlers> melody;
    std::unique_ptr<ScorePlayer> player;
};

// A fitting score saved as a melody file (asked before replacing one; "no" keeps it) that plays
// the same; the refusals named (what the format cannot hold: SesExport).
TEST_F(ScoreFrame, AFittingScoreIsKeptAsAMelodyFileThatPlaysTheSameAndOthersAreRefused) {
    test::writeBytes(dir / "kisa.txt", "Kod\tNota53\tPay\tPayda\tMs\n9\tSi4b5\t1\t4\t640\n"
                                       "9\tEs\t1\t8\t320\n9\tLa3\t1\t2\t1280\n");
    controls.melodyNameBox = "kisa.txt";
    melody->aç_kapa_buton_Click();
    runPlayer();
    const test::Plays fromScore = sound.plays;
    messages.shown.clear();
    player->saveAsSes("kisa.txt");
    test::writeBytes(dir / "kisa.ses", "eski");
    messages.answer = false;
    player->saveAsSes("kisa.txt");
    EXPECT_EQ(test::fileBytes(dir / "kisa.ses"), "eski");
    messages.answer = true;
    for (const char* name : {"kisa.txt", "saz_semaisi.musicxml", "taksim"})
        player->saveAsSes(name);
    EXPECT_FALSE(std::filesystem::exists(dir / "saz_semaisi.ses"));
    EXPECT_EQ(messages.asked.size(), 2u); // the two saves over kisa.ses
    EXPECT_EQ(messages.shown.size(), 4u); // two saved ("no" keeps the old one), two refused
    sound.plays.clear();
    controls.melodyNameBox = "kisa";
    controls.melodyMode = 3; // dosya: the file mandal
    melody->aç_kapa_buton_Click();
    runPlayer();
    EXPECT_EQ(sound.plays, fromScore);
}

// E with G beside it, then A, a second each; the pause, clicked 300 ms into the chord, holds the
// score while its message is open (2 s): E and G are cut at once, A starts as it closes and lasts
// its second.
TEST_F(ScoreFrame, APauseCutsTheNotesAndTheScoreGoesOnFromTheNextNote) {
    RecordHandlers record(*parts);
    std::filesystem::copy_file(kData / "akor.musicxml", dir / "akor.xml");
    controls.melodyNameBox = "akor.xml";
    messages.onShow = [&](const std::string& text) {
        if (text == kPaused) clock.now += 2000;
    };
    const double chordAt = clock.now; // the first chord sounds at once
    melody->aç_kapa_buton_Click();
    ASSERT_TRUE(st().playingBack);
    clock.now = chordAt + 300; // the click, handled between two ticks
    EXPECT_TRUE(controls.buttons[static_cast<int>(RecordButton::pause_buton)]);
    EXPECT_TRUE(controls.frames[0]); // the recording frame
    record.pause_buton_Click();
    EXPECT_EQ(messages.shown.back(), kPaused);
    runPlayer();
    EXPECT_TRUE(finished());
    // A starts as the message closes, and the piece ends its second later.
    double aAt = -1, endAt = -1;
    for (const auto& e : sound.events) {
        if (e.what.rfind("çal", 0) == 0 && e.at > chordAt) aAt = e.at;
        endAt = e.at;
    }
    EXPECT_DOUBLE_EQ(aAt, chordAt + 300 + 2000);
    EXPECT_DOUBLE_EQ(endAt, aAt + 1000);
}

// A MIDI file's report offers its other channel; chosen, its report names it and its notes play
// on the strings of their naturals: C5 on string 10, D5 on string 9 (C4 of channel 1 is silent).
TEST_F(ScoreFrame, AMidiFilePlaysTheChannelChosenInItsReport) {
    using test::at;
    test::writeBytes(dir / "iki_kanal.mid",
                     test::smfHeader(0, 1, 96) +
                         test::smfTrack(at(0, {0x90, 60, 90}) + at(96, {0x80, 60, 0}) +
                                        at(0, {0x91, 72, 90}) + at(96, {0x81, 72, 0}) +
                                        at(0, {0x91, 74, 90}) + at(96, {0x81, 74, 0})));
    controls.melodyNameBox = "iki_kanal.mid";
    messages.choices = {2, 0};
    melody->aç_kapa_buton_Click();
    runPlayer();
    ASSERT_EQ(messages.offered.size(), 2u);
    EXPECT_EQ(messages.offered[0][2], kNextChannelCaption);
    EXPECT_NE(messages.shown[1].find("Çalınan: iz 1 (1 izden 1.), kanal 2 (2 kanaldan 2.)"),
              std::string::npos)
        << messages.shown[1];
    ASSERT_EQ(sound.plays.size(), 2u);
    EXPECT_EQ(sound.plays[0].first, 10);
    EXPECT_EQ(sound.plays[1].first, 9);
}

// The report's buttons: Escape plays nothing; the other reading is offered and named in the
// report; "Mandalları hazırla" sets every string the score uses to the position of its first note
// (read from the placement, as the player turns them) once and closes the report, playing nothing.
TEST_F(ScoreFrame, TheReportPreparesTheMandalsOnceSwitchesTheReadingAndEscapePlaysNothing) {
    controls.melodyNameBox = "saz_semaisi.musicxml";
    messages.choices = {-1};
    melody->aç_kapa_buton_Click();
    EXPECT_TRUE(sound.plays.empty());
    EXPECT_FALSE(st().playingBack);
    ASSERT_EQ(messages.offered.size(), 1u);
    EXPECT_EQ(messages.offered[0].front(), kPlayCaption);
    EXPECT_EQ(messages.offered[0].back(), kCancelCaption);
    messages.offered.clear();
    messages.shown.clear();

    for (int s = 1; s <= kStringCount; ++s)
        st().mandalPos[s] = 0;
    const int prepare = 1, exact = 2;
    messages.choices = {exact, prepare};
    melody->aç_kapa_buton_Click();
    ASSERT_EQ(messages.offered.size(), 2u);
    EXPECT_EQ(messages.offered[0][exact], kExactReadingCaption);
    EXPECT_NE(messages.shown[0].find("Arel-Ezgi-Uzdilek"), std::string::npos);
    EXPECT_NE(messages.shown[1].find("<alter> yarım ses"), std::string::npos);
    EXPECT_EQ(messages.offered[1][exact], kCommaReadingCaption);
    EXPECT_EQ(messages.offered[1][prepare], kPrepareMandalsCaption);
    EXPECT_TRUE(sound.plays.empty());
    EXPECT_FALSE(st().playingBack);
    // The mandals stand where the piece's first note on each string needs them.
    const Score score =
        readScoreFile(kData / "saz_semaisi.musicxml", ScoreChoice{PitchReading::exact});
    const PlacedScore placed = placeScore(score, standardSetup(program->tables, 0));
    PerString<bool> seen{};
    for (const PlacedNote& n : placed.notes) {
        if (n.rest || n.dropped || seen[static_cast<std::size_t>(n.string)]) continue;
        seen[static_cast<std::size_t>(n.string)] = true;
        EXPECT_EQ(st().mandalPos[n.string], n.mandal) << "tel " << n.string;
    }
}

// The report of a MusicXML score offers the readings it is not read in; the key signature's
// commas only where they differ from its signs (SymbTr's makam keys).
TEST(ScoreReport, OffersTheOtherReadings) {
    const struct {
        PitchReading reading;
        bool keyAltersDiffer;
        std::vector<std::string> readings;
    } cases[] = {
        {PitchReading::exact, true, {kCommaReadingCaption}},
        {PitchReading::commas, false, {kExactReadingCaption}},
        {PitchReading::commas, true, {kExactReadingCaption, kKeyCommasReadingCaption}},
        {PitchReading::keyCommas, true, {kCommaReadingCaption, kExactReadingCaption}},
    };
    for (const auto& c : cases) {
        Score score;
        score.parts = {"P1"};
        score.voices = {"1"};
        score.reading = c.reading;
        score.keyAltersDiffer = c.keyAltersDiffer;
        std::vector<std::string> expected{kPlayCaption, kPrepareMandalsCaption};
        expected.insert(expected.end(), c.readings.begin(), c.readings.end());
        expected.push_back(kCancelCaption);
        EXPECT_EQ(reportButtons(score), expected) << static_cast<int>(c.reading);
    }
}

} // namespace
} // namespace zembera::scores
