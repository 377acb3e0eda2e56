#include "files/record_file.h"

#include <gtest/gtest.h>

#include "files/record_handlers.h"
#include "files_rig.h"
#include "instrument/instrument_player.h"

namespace zembera {
namespace {

using test::Calls;
using test::fileBytes;
using test::Plays;
using test::writeBytes;

std::string spaces(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

TEST(RecordLine, FieldsStandInPrintZonesOfFourteen) {
    EXPECT_EQ(recordLine(5, 3, 120), " 5" + spaces(13) + "3" + spaces(13) + "120 \r\n");
    // A minus sign takes the blank's place at the start of its zone.
    EXPECT_EQ(recordLine(26, -8, 0), " 26" + spaces(11) + "-8" + spaces(13) + "0 \r\n");
    const std::string wide = recordLine(1, 12, 2147483647);
    EXPECT_EQ(wide.find("2147483647"), 29u);
    EXPECT_EQ(wide.substr(wide.size() - 3), " \r\n");
}

TEST(RecordEntry, ReadsThreeFieldsAndRefusesWhatCannotBeAPluck) {
    const std::string text = recordLine(5, -3, 120) + "7,0,40\r\n";
    FieldReader ok(text, "kayıt.txt");
    const RecordEntry a = readRecordEntry(ok);
    EXPECT_EQ((std::array{a.string, a.mandal, a.durationMs}), (std::array{5, -3, 120}));
    const RecordEntry b = readRecordEntry(ok);
    EXPECT_EQ((std::array{b.string, b.mandal, b.durationMs}), (std::array{7, 0, 40}));
    EXPECT_TRUE(ok.atEnd());
    for (const char* bad : {"0 0 10", "27 0 10", "5 x 10", "5 0", "5 40000 10", "5 0 3000000000"}) {
        FieldReader r(bad, "kayıt.txt");
        EXPECT_THROW(readRecordEntry(r), FormatError) << bad;
    }
}

class Recording : public test::FilesRig {
  protected:
    void SetUp() override {
        FilesRig::SetUp();
        handlers = std::make_unique<RecordHandlers>(*parts);
        player = std::make_unique<InstrumentPlayer>(PlayerParts{
            st(), program->tuning, program->recording, program->tables, *program->sounds,
            program->samples.mciAlias, sound, view, messages, &handlers->recorder()});
    }
    std::filesystem::path kayit() const { return dir / "wavs" / "kayıt.txt"; }
    // A left click on string s inside its plucking zone.
    void pluck(int s) { player->Picture2_MouseDown(kLeftButton, 700, 22 + 15 * (s - 1)); }
    // The lines of the recording file, each read back as a pluck.
    std::vector<RecordEntry> recorded() {
        const std::string text = fileBytes(kayit());
        FieldReader reader(text, "kayıt.txt");
        std::vector<RecordEntry> entries;
        while (!reader.atEnd())
            entries.push_back(readRecordEntry(reader));
        return entries;
    }
    void writeRecording(std::initializer_list<RecordEntry> entries) {
        std::string text;
        for (const RecordEntry& e : entries)
            text += recordLine(e.string, e.mandal, e.durationMs);
        writeBytes(kayit(), text);
    }

    std::unique_ptr<RecordHandlers> handlers;
    std::unique_ptr<InstrumentPlayer> player;
};

TEST_F(Recording, NPlucksGiveNLinesWithTheirStringsAndMandals) {
    handlers->rec_buton_Click();
    EXPECT_TRUE(st().recording);
    EXPECT_TRUE(controls.recordLamp);
    EXPECT_TRUE(controls.busy(false));

    st().mandalPos[1] = 2;
    st().mandalPos[14] = -3;
    for (int s : {1, 14, 1, 26})
        pluck(s);
    // The first line is written at the second pluck: three so far.
    EXPECT_EQ(recorded().size(), 3u);
    handlers->stop_buton_Click();

    // Every line as recordLine writes it, so the file holds nothing but whole lines.
    std::string expectedText;
    Plays got;
    for (const RecordEntry& e : recorded()) {
        got.emplace_back(e.string, e.mandal);
        EXPECT_GE(e.durationMs, 0);
        EXPECT_LT(e.durationMs, 60000);
        expectedText += recordLine(e.string, e.mandal, e.durationMs);
    }
    EXPECT_EQ(got, (Plays{{1, 2}, {14, -3}, {1, 2}, {26, 0}}));
    EXPECT_EQ(fileBytes(kayit()), expectedText);
    EXPECT_FALSE(st().recording);
    EXPECT_TRUE(controls.idle());

    // Closed: later plucks write nothing.
    pluck(3);
    pluck(4);
    EXPECT_EQ(recorded().size(), 4u);
}

TEST_F(Recording, ANewRecordingDeletesTheOldFileAndAStopWithoutPluckWritesZero) {
    writeRecording({{3, 0, 500}, {4, 0, 500}});
    handlers->rec_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), "");
    st().lastString = 9;
    st().mandalPos[9] = -4;
    handlers->stop_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), recordLine(9, -4, 0));
}

TEST_F(Recording, KeysSweepsAndMandalEditsDoNothingWhileRecording) {
    handlers->rec_buton_Click();
    const PerString16 mandals = st().mandalPos;
    player->Form_KeyDown(kKeyUp);
    player->Form_KeyDown(kKeyRight);
    player->Picture2_MouseMove(kRightButton, 300, 100);
    player->Picture1_MouseDown(kLeftButton, 160, 30);
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(st().mandalPos, mandals);
    EXPECT_EQ(st().currentString, 12);
    pluck(2); // plucking is how a performance is recorded
    EXPECT_EQ(sound.images, 1);
}

using Replay = Recording;

TEST_F(Replay, WithoutARecordingItSaysSoAndChangesNothing) {
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"önceden yapılmış bir kayıt bulunamadı"}));
    EXPECT_TRUE(controls.idle());
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(Replay, CalgiSoundsEachStringAtItsPresentMandalForItsDuration) {
    writeRecording({{5, 3, 120}, {12, 0, 40}, {5, -2, 300}});
    st().mandalPos[5] = 4; // moved since the recording: the new position counts
    st().mandalPos[12] = -1;
    bool sawBusyControls = false;
    onEvents = [&](int) {
        sawBusyControls = controls.replayLamp && st().playingBack && controls.busy(true);
    };
    handlers->Play_buton_Click();
    EXPECT_TRUE(sawBusyControls);
    EXPECT_EQ(sound.plays(), (Plays{{5, 4}, {12, -1}, {5, 4}}));
    EXPECT_EQ(sound.lengths(), (std::vector<double>{120, 40, 300}));
    EXPECT_EQ(st().currentString, 5);
    EXPECT_EQ(view.calls,
              (Calls{"mandal_at", "porte", "etiket", "arıza_yaz 5", "mandal_at", "porte", "etiket",
                     "arıza_yaz 12", "mandal_at", "porte", "etiket", "arıza_yaz 5"}));
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Replay, SartliAndDosyaShowEveryNoteButPlayNoSound) {
    writeRecording({{5, 3, 120}, {12, 0, 40}});
    for (int mode : {2, 3}) {
        controls.option3 = mode;
        view.calls.clear();
        sound.events.clear();
        handlers->Play_buton_Click();
        EXPECT_TRUE(sound.plays().empty()) << mode;
        EXPECT_EQ(sound.stops(), 2) << mode;
        EXPECT_EQ(view.calls.size(), 8u) << mode;
    }
}

TEST_F(Replay, ANoteLastsItsDurationWithin5MsPlusTheRedraw) {
    clock.redrawCost = 4.0;  // each of the four redraws of a note
    clock.repaintCost = 2.5; // each repaint between slices
    clock.sleepSlack = 0.7;  // the platform sleep overshoots
    const std::int32_t durations[] = {7, 16, 120, 333, 1000};
    std::string text;
    for (std::int32_t d : durations)
        text += recordLine(8, 0, d);
    writeBytes(kayit(), text);
    handlers->Play_buton_Click();

    std::vector<double> starts;
    for (const auto& e : sound.events) {
        if (!e.stop) starts.push_back(e.at);
    }
    const std::vector<double> sounding = sound.lengths();
    ASSERT_EQ(starts.size(), 5u);
    ASSERT_EQ(sounding.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_GE(sounding[i], durations[i]) << i;
        EXPECT_LE(sounding[i], durations[i] + 5.0) << i;
        // From one pluck to the next: the duration plus the four redraws.
        if (i + 1 < 5) {
            EXPECT_LE(starts[i + 1] - starts[i], durations[i] + 5.0 + 4 * clock.redrawCost) << i;
        }
    }
    EXPECT_GT(clock.repaints, 50); // long notes let the window repaint
}

TEST_F(Replay, APauseShowsItsMessageAndAStopLetsTheNoteFinishAndEndsTheReplay) {
    writeRecording({{5, 0, 100}, {6, 0, 200}, {7, 0, 300}, {8, 0, 400}});
    onEvents = [&](int round) {
        if (round == 1) handlers->pause_buton_Click();
        if (round == 2) handlers->stop_buton_Click();
    };
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"durduruldu"}));
    EXPECT_EQ(sound.plays(), (Plays{{5, 0}, {6, 0}}));
    EXPECT_GE(sound.lengths().back(), 200.0); // the second note sounded in full
    EXPECT_EQ(eventRounds, 2);
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
}

TEST_F(Replay, AFaultyLineEndsTheReplayWithItsMessageAfterTheGoodOnes) {
    for (const std::string bad : {"27 0 10\r\n", "5 0\r\n", "5 x 10\r\n"}) {
        messages.shown.clear();
        sound.events.clear();
        writeBytes(kayit(), recordLine(4, 0, 10) + bad);
        handlers->Play_buton_Click();
        EXPECT_EQ(messages.shown, (Calls{"kayıt dosyasından kaynaklanan bir hata oluştu"})) << bad;
        EXPECT_EQ(sound.plays().size(), 1u) << bad;
        EXPECT_FALSE(st().playingBack);
        EXPECT_TRUE(controls.idle()) << bad;
    }
}

TEST_F(Replay, AShiftThatTakesTheStringOffTheInstrumentOrItsRangePlaysNothing) {
    writeRecording({{24, 0, 10}, {2, 0, 10}, {20, 0, 10}});
    program->tuning.ahenkShift = 4; // 24 -> 28 is no string
    handlers->Play_buton_Click();
    EXPECT_EQ(sound.plays(), (Plays{{6, 0}, {24, 0}}));

    sound.events.clear();
    writeRecording({{2, 0, 10}, {8, 0, 10}, {9, 0, 10}});
    st().mandalPos[8] = 12; // string 5 reaches only 10
    st().mandalPos[9] = 3;
    program->tuning.ahenkShift = -3;
    handlers->Play_buton_Click();
    EXPECT_EQ(sound.plays(), (Plays{{6, 3}}));
    EXPECT_EQ(sound.stops(), 3); // every note still takes its time and ends with a stop
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Replay, ANegativeDurationIsNoWaitAtAll) {
    writeRecording({{5, 0, -1}, {6, 0, -2147483647 - 1}});
    handlers->Play_buton_Click();
    EXPECT_EQ(sound.plays().size(), 2u);
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(Replay, RecordingAndReplayDoNotStartInsideARunningLoop) {
    writeRecording({{5, 0, 10}, {6, 0, 10}});
    onEvents = [&](int round) {
        if (round != 1) return;
        handlers->stop_buton_Click(); // enables rec and Play while the note is still to come
        handlers->Play_buton_Click();
        handlers->rec_buton_Click();
    };
    handlers->Play_buton_Click();
    EXPECT_EQ(sound.plays().size(), 1u);
    EXPECT_FALSE(st().recording);
    EXPECT_EQ(eventRounds, 1);
}

} // namespace
} // namespace zembera
