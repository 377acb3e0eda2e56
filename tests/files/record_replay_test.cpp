#include "files/record_file.h"

#include <gtest/gtest.h>

#include "files/record_handlers.h"
#include "files_rig.h"
#include "instrument/instrument_player.h"

namespace zembera {
namespace {

using test::fileBytes;
using test::writeBytes;
using Calls = std::vector<std::string>;

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
    EXPECT_EQ((std::array<int, 3>{a.string, a.mandal, a.durationMs}),
              (std::array<int, 3>{5, -3, 120}));
    const RecordEntry b = readRecordEntry(ok);
    EXPECT_EQ(b.string, 7);
    EXPECT_EQ(b.durationMs, 40);
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

    std::unique_ptr<RecordHandlers> handlers;
    std::unique_ptr<InstrumentPlayer> player;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        out.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 2;
    }
    return out;
}

TEST_F(Recording, NPlucksGiveNLinesWithTheirStringsAndMandals) {
    handlers->rec_buton_Click();
    EXPECT_TRUE(st().recording);
    EXPECT_TRUE(controls.recordLamp);
    EXPECT_TRUE(controls.button(RecordButton::stop_buton));
    EXPECT_FALSE(controls.button(RecordButton::rec_buton));
    EXPECT_FALSE(controls.button(RecordButton::Play_buton));
    EXPECT_FALSE(controls.button(RecordButton::pause_buton));
    EXPECT_TRUE(controls.allFrames({2, 3, 4, 5, 7, 10}, false));
    EXPECT_TRUE(controls.frames[1]);

    st().mandalPos[1] = 2;
    st().mandalPos[14] = -3;
    for (int s : {1, 14, 1, 26})
        pluck(s);
    // The first line is written at the second pluck: three so far.
    EXPECT_EQ(lines(fileBytes(kayit())).size(), 3u);
    handlers->stop_buton_Click();

    const auto got = lines(fileBytes(kayit()));
    ASSERT_EQ(got.size(), 4u);
    const int strings[] = {1, 14, 1, 26};
    const char* prefixes[] = {" 1 ", " 14", " 1 ", " 26"};
    for (int i = 0; i < 4; ++i) {
        FieldReader r(got[static_cast<std::size_t>(i)], "kayıt.txt");
        const RecordEntry e = readRecordEntry(r);
        EXPECT_EQ(e.string, strings[i]);
        EXPECT_EQ(e.mandal, st().mandalPos[strings[i]]);
        EXPECT_GE(e.durationMs, 0);
        EXPECT_LT(e.durationMs, 60000);
        EXPECT_EQ(got[static_cast<std::size_t>(i)].substr(0, 3), prefixes[i]);
    }
    EXPECT_FALSE(st().recording);
    EXPECT_FALSE(controls.recordLamp);
    EXPECT_TRUE(controls.button(RecordButton::rec_buton));
    EXPECT_TRUE(controls.button(RecordButton::Play_buton));
    EXPECT_FALSE(controls.button(RecordButton::stop_buton));
    EXPECT_TRUE(controls.allFrames({1, 2, 3, 4, 5, 7, 10}, true));

    // Closed: later plucks write nothing.
    pluck(3);
    pluck(4);
    EXPECT_EQ(lines(fileBytes(kayit())).size(), 4u);
}

TEST_F(Recording, ANewRecordingDeletesTheOldFileAndAStopWithoutPluckWritesZero) {
    writeBytes(kayit(), recordLine(3, 0, 500) + recordLine(4, 0, 500));
    handlers->rec_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), "");
    st().lastString = 9;
    st().mandalPos[9] = -4;
    handlers->stop_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), recordLine(9, -4, 0));
}

TEST_F(Recording, KeysSweepsAndMandalEditsDoNothingWhileRecording) {
    handlers->rec_buton_Click();
    const int before = sound.images;
    const PerString16 mandals = st().mandalPos;
    player->Form_KeyDown(kKeyUp);
    player->Form_KeyDown(kKeyRight);
    player->Picture2_MouseMove(kRightButton, 300, 100);
    player->Picture1_MouseDown(kLeftButton, 160, 30);
    EXPECT_EQ(sound.images, before);
    EXPECT_EQ(st().mandalPos, mandals);
    EXPECT_EQ(st().currentString, 12);
    pluck(2); // plucking is how a performance is recorded
    EXPECT_EQ(sound.images, before + 1);
}

class Replay : public Recording {
  protected:
    void writeRecording(std::initializer_list<RecordEntry> entries) {
        std::string text;
        for (const RecordEntry& e : entries)
            text += recordLine(e.string, e.mandal, e.durationMs);
        writeBytes(kayit(), text);
    }
};

TEST_F(Replay, WithoutARecordingItSaysSoAndChangesNothing) {
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"önceden yapılmış bir kayıt bulunamadı"}));
    EXPECT_FALSE(controls.replayLamp);
    EXPECT_TRUE(controls.button(RecordButton::Play_buton));
    EXPECT_FALSE(controls.button(RecordButton::stop_buton));
    EXPECT_TRUE(controls.allFrames({1, 2, 3, 4, 5, 7, 10}, true));
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(Replay, CalgiSoundsEachStringAtItsPresentMandalForItsDuration) {
    writeRecording({{5, 3, 120}, {12, 0, 40}, {5, -2, 300}});
    st().mandalPos[5] = 4; // moved since the recording: the new position counts
    st().mandalPos[12] = -1;
    bool sawBusyControls = false;
    onEvents = [&](int) {
        sawBusyControls = controls.replayLamp && st().playingBack &&
                          controls.button(RecordButton::stop_buton) &&
                          controls.button(RecordButton::pause_buton) &&
                          !controls.button(RecordButton::Play_buton) &&
                          controls.allFrames({2, 3, 4, 5, 7, 10}, false);
    };
    handlers->Play_buton_Click();
    EXPECT_TRUE(sawBusyControls);
    const auto plays = sound.plays();
    ASSERT_EQ(plays.size(), 3u);
    EXPECT_EQ((std::array<int, 6>{plays[0].string, plays[0].mandal, plays[1].string,
                                  plays[1].mandal, plays[2].string, plays[2].mandal}),
              (std::array<int, 6>{5, 4, 12, -1, 5, 4}));
    EXPECT_EQ(sound.stops(), 3);
    EXPECT_EQ(st().currentString, 5);
    EXPECT_EQ(view.calls,
              (Calls{"mandal_at", "porte", "etiket", "arıza_yaz 5", "mandal_at", "porte", "etiket",
                     "arıza_yaz 12", "mandal_at", "porte", "etiket", "arıza_yaz 5"}));
    // Back to idle.
    EXPECT_FALSE(st().playingBack);
    EXPECT_FALSE(controls.replayLamp);
    EXPECT_TRUE(controls.button(RecordButton::Play_buton));
    EXPECT_TRUE(controls.button(RecordButton::rec_buton));
    EXPECT_FALSE(controls.button(RecordButton::pause_buton));
    EXPECT_TRUE(controls.allFrames({2, 3, 4, 5, 7, 10}, true));
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

    std::vector<double> starts, ends;
    for (const auto& e : sound.events)
        (e.what == "play" ? starts : ends).push_back(e.at);
    ASSERT_EQ(starts.size(), 5u);
    ASSERT_EQ(ends.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const double sounding = ends[i] - starts[i];
        EXPECT_GE(sounding, durations[i]) << i;
        EXPECT_LE(sounding, durations[i] + 5.0) << i;
        if (i + 1 < 5) {
            // From one pluck to the next: the duration plus the four redraws.
            EXPECT_LE(starts[i + 1] - starts[i], durations[i] + 5.0 + 4 * clock.redrawCost) << i;
        }
    }
    // Long notes let the window repaint; no slice is longer than the slice length.
    EXPECT_GT(clock.repaints, 50);
    for (double s : clock.sleeps)
        EXPECT_LE(s, kSliceMs);
}

TEST_F(Replay, AStopDuringANoteLetsItFinishAndEndsTheReplay) {
    writeRecording({{5, 0, 100}, {6, 0, 200}, {7, 0, 300}, {8, 0, 400}});
    onEvents = [&](int round) {
        if (round == 2) handlers->stop_buton_Click();
    };
    handlers->Play_buton_Click();
    const auto plays = sound.plays();
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[1].string, 6);
    EXPECT_GE(sound.events.back().at - plays[1].at, 200.0); // the second note sounded in full
    EXPECT_EQ(eventRounds, 2);
    EXPECT_FALSE(st().playingBack);
    EXPECT_FALSE(controls.replayLamp);
    EXPECT_TRUE(controls.button(RecordButton::Play_buton));
}

TEST_F(Replay, APauseShowsItsMessageAndTheReplayGoesOn) {
    writeRecording({{5, 0, 10}, {6, 0, 10}, {7, 0, 10}});
    onEvents = [&](int round) {
        if (round == 1) handlers->pause_buton_Click();
    };
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"durduruldu"}));
    EXPECT_EQ(sound.plays().size(), 3u);
}

TEST_F(Replay, AFaultyLineEndsTheReplayWithItsMessageAfterTheGoodOnes) {
    for (const std::string& bad :
         {std::string("27 0 10\r\n"), std::string("5 0\r\n"), std::string("5 x 10\r\n")}) {
        messages.shown.clear();
        sound.events.clear();
        writeBytes(kayit(), recordLine(4, 0, 10) + bad);
        handlers->Play_buton_Click();
        EXPECT_EQ(messages.shown, (Calls{"kayıt dosyasından kaynaklanan bir hata oluştu"})) << bad;
        EXPECT_EQ(sound.plays().size(), 1u) << bad;
        EXPECT_FALSE(st().playingBack);
        EXPECT_FALSE(controls.replayLamp);
        EXPECT_TRUE(controls.button(RecordButton::Play_buton));
        EXPECT_FALSE(controls.button(RecordButton::stop_buton));
        EXPECT_TRUE(controls.allFrames({2, 3, 4, 5, 7, 10}, true));
    }
}

TEST_F(Replay, AShiftThatTakesTheStringOffTheInstrumentOrItsRangePlaysNothing) {
    writeRecording({{24, 0, 10}, {2, 0, 10}, {20, 0, 10}});
    program->tuning.ahenkShift = 4; // 24 -> 28 is no string
    handlers->Play_buton_Click();
    auto plays = sound.plays();
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0].string, 6);
    EXPECT_EQ(plays[1].string, 24);

    sound.events.clear();
    writeRecording({{2, 0, 10}, {8, 0, 10}, {9, 0, 10}});
    st().mandalPos[8] = 12; // string 5 reaches only 10
    st().mandalPos[9] = 3;
    program->tuning.ahenkShift = -3;
    handlers->Play_buton_Click();
    plays = sound.plays();
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ((std::array<int, 2>{plays[0].string, plays[0].mandal}), (std::array<int, 2>{6, 3}));
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
