#include "files/record_file.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    void pluck(int s) { player->instrumentMouseDown(kLeftButton, 700, 22 + 15 * (s - 1)); }
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
    // The first line is written at the second pluck: three so far, in the file that will
    // replace kayıt.txt when the recording is complete.
    const std::string journal = fileBytes(dir / "wavs" / "kayıt.txt.yeni");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3);
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

TEST_F(Recording, ANewRecordingReplacesTheOldFileAtItsStopAndAStopWithoutPluckWritesZero) {
    writeRecording({{3, 0, 500}, {4, 0, 500}});
    const std::string old = fileBytes(kayit());
    handlers->rec_buton_Click();
    pluck(5);
    pluck(6);
    EXPECT_EQ(fileBytes(kayit()), old); // until the recording is complete
    handlers->stop_buton_Click();
    EXPECT_EQ(recorded().size(), 2u);

    handlers->rec_buton_Click();
    st().lastString = 9;
    st().mandalPos[9] = -4;
    handlers->stop_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), recordLine(9, -4, 0));
    EXPECT_FALSE(std::filesystem::exists(dir / "wavs" / "kayıt.txt.yeni"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Recording, KeysSweepsAndMandalEditsDoNothingWhileRecording) {
    handlers->rec_buton_Click();
    const PerString16 mandals = st().mandalPos;
    player->Form_KeyDown(kKeyUp);
    player->Form_KeyDown(kKeyRight);
    player->instrumentMouseMove(kRightButton, 300, 100);
    player->mandalStripMouseDown(kLeftButton, 160, 30);
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(st().mandalPos, mandals);
    EXPECT_EQ(st().currentString, 12);
    pluck(2); // plucking is how a performance is recorded
    EXPECT_EQ(sound.images, 1);
}

// A small tmpfs on `folder` for the life of the object, where the test may mount one (root).
class SmallDisk {
  public:
    explicit SmallDisk(std::filesystem::path folder) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
        if (::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") != 0)
            failure_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (failure_.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    // Empty when mounted, the reason otherwise.
    const std::string& failure() const { return failure_; }
    // Fills the disk to its last byte.
    void fill() {
        std::FILE* f = std::fopen((folder_ / "dolgu").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::string block(512, 'x');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() &&
               std::fflush(f) == 0) {
        }
        std::fclose(f);
    }
    bool makeReadOnly() {
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
    }

  private:
    std::filesystem::path folder_;
    std::string failure_;
};

TEST_F(Recording, AFullDiskOrAReadOnlyFolderKeepsThePreviousRecordingAndSaysWhy) {
    const auto folder = dir / "disk";
    SmallDisk disk(folder);
    if (!disk.failure().empty()) GTEST_SKIP() << "no tmpfs can be mounted here: " << disk.failure();
    parts->sampleFolder = folder;
    const std::string old = recordLine(3, 0, 500) + recordLine(4, 0, 500);
    writeBytes(folder / "kayıt.txt", old);
    disk.fill();

    handlers->rec_buton_Click();
    for (int s : {5, 6, 7})
        pluck(s);
    handlers->stop_buton_Click();
    const std::string path = (folder / "kayıt.txt").string();
    EXPECT_EQ(messages.shown,
              (Calls{"kayıt dosyası yazılamadı\n" + path + ": diskte yer kalmadı"}));
    EXPECT_EQ(fileBytes(folder / "kayıt.txt"), old);
    EXPECT_FALSE(std::filesystem::exists(folder / "kayıt.txt.yeni"));
    EXPECT_TRUE(controls.idle());

    std::filesystem::remove(folder / "dolgu");
    if (!disk.makeReadOnly()) GTEST_SKIP() << "cannot remount read-only: " << std::strerror(errno);
    messages.shown.clear();
    handlers->rec_buton_Click();
    EXPECT_EQ(messages.shown,
              (Calls{"kayıt dosyası yazılamadı\n" + path + ": klasör salt okunur"}));
    EXPECT_FALSE(st().recording);
    EXPECT_TRUE(controls.idle());
    pluck(5);
    EXPECT_EQ(fileBytes(folder / "kayıt.txt"), old); // never appended to
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
    EXPECT_EQ(view.staff, (Plays{{5, 4}, {12, -1}, {5, 4}}));
    EXPECT_EQ(view.calls,
              (Calls{"mandal_at", "porte", "etiket", "arıza_yaz 5", "mandal_at", "porte", "etiket",
                     "arıza_yaz 12", "mandal_at", "porte", "etiket", "arıza_yaz 5"}));
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Replay, SartliAndDosyaShowEveryNoteAsRecordedButPlayNoSound) {
    writeRecording({{5, 3, 120}, {12, 0, 40}, {1, 9, 10}}); // string 1 reaches only 6
    st().mandalPos[1] = 2;
    for (int mode : {2, 3}) {
        controls.replayMode = mode;
        view.calls.clear();
        view.staff.clear();
        sound.events.clear();
        handlers->Play_buton_Click();
        EXPECT_TRUE(sound.plays().empty()) << mode;
        EXPECT_EQ(sound.stops(), 3) << mode;
        EXPECT_EQ(view.calls.size(), 12u) << mode;
        EXPECT_EQ(view.staff, (Plays{{5, 3}, {12, 0}, {1, 2}})) << mode;
        EXPECT_EQ(st().mandalPos[5], 0) << mode; // the instrument keeps its mandals
    }
}

TEST_F(Replay, OnsetsOfAThousandNotesLieOnTheSumOfTheDurationsBefore) {
    clock.redrawCost = 4.0; // each of the four redraws of a note
    clock.eventCost = 1.0;  // each round of events
    clock.sleepSlack = 0.7; // the platform sleep overshoots
    std::vector<std::int32_t> durations;
    std::string text;
    for (int k = 0; k < 1000; ++k) {
        durations.push_back(20 + (k * 37) % 300);
        text += recordLine(8 + k % 12, 0, durations.back());
    }
    writeBytes(kayit(), text);
    handlers->Play_buton_Click();

    std::vector<double> onsets;
    for (const auto& e : sound.events) {
        if (!e.stop) onsets.push_back(e.at);
    }
    ASSERT_EQ(onsets.size(), 1000u);
    double nominal = onsets[0];
    double worst = 0;
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        worst = std::max(worst, std::abs(onsets[k] - nominal));
        nominal += durations[k];
    }
    EXPECT_LE(worst, 2 * clock.sleepSlack);
    EXPECT_EQ(sound.stops(), 1000);
    EXPECT_NEAR(sound.events.back().at, nominal, 2 * clock.sleepSlack); // the last note in full
}

TEST_F(Replay, AStopOrAPauseDuringALongNoteCutsItAtOnce) {
    writeRecording({{5, 0, 30000}, {6, 0, 200}, {7, 0, 2147483647}});
    double pausedAt = 0, stoppedAt = 0;
    onEvents = [&](int) {
        if (pausedAt == 0 && clock.now >= 1100) {
            pausedAt = clock.now;
            handlers->pause_buton_Click();
            clock.now += 5000; // while "durduruldu" is open
        } else if (stoppedAt == 0 && sound.plays().size() == 3 && clock.now >= pausedAt + 9000) {
            stoppedAt = clock.now;
            handlers->stop_buton_Click();
        }
    };
    handlers->Play_buton_Click();
    EXPECT_EQ(messages.shown, (Calls{"durduruldu"}));
    ASSERT_EQ(sound.plays(), (Plays{{5, 0}, {6, 0}, {7, 0}}));
    // The first note was cut by the pause, the second started when the message closed and lasted
    // its 200 ms, the third was cut by the stop.
    std::vector<double> starts;
    for (const auto& e : sound.events) {
        if (!e.stop) starts.push_back(e.at);
    }
    ASSERT_TRUE(sound.events[1].stop);
    EXPECT_DOUBLE_EQ(sound.events[1].at, pausedAt);
    EXPECT_NEAR(starts[1], pausedAt + 5000, 1.0);
    EXPECT_NEAR(starts[2] - starts[1], 200, 1.0);
    ASSERT_TRUE(sound.events.back().stop);
    EXPECT_DOUBLE_EQ(sound.events.back().at, stoppedAt);
    EXPECT_LE(clock.now, stoppedAt + kSliceMs);
    EXPECT_FALSE(st().playingBack);
    EXPECT_TRUE(controls.idle());
}

TEST_F(Replay, AFaultyLineEndsTheReplayWithItsMessageAfterTheGoodOnes) {
    for (const std::string bad : {"27 0 10\r\n", "5 0\r\n", "5 x 10\r\n"}) {
        messages.shown.clear();
        sound.events.clear();
        writeBytes(kayit(), recordLine(4, 0, 10) + bad);
        handlers->Play_buton_Click();
        ASSERT_EQ(messages.shown.size(), 1u) << bad;
        // The fixed text, then the file, the line and the reason.
        EXPECT_EQ(messages.shown[0].rfind("kayıt dosyasından kaynaklanan bir hata oluştu\n"
                                          "kayıt.txt dosyasının 2. satırında hata: ",
                                          0),
                  0u)
            << messages.shown[0];
        EXPECT_EQ(sound.plays().size(), 1u) << bad;
        EXPECT_EQ(sound.lengths().front(), 10) << bad; // the good note in full
        EXPECT_FALSE(st().playingBack);
        EXPECT_TRUE(controls.idle()) << bad;
    }
}

TEST_F(Replay, AShiftThatTakesTheStringOffTheInstrumentOrItsRangePlaysNothing) {
    writeRecording({{24, 0, 10}, {2, 3, 10}, {20, 0, 10}});
    st().mandalPos[2] = 4;
    program->tuning.ahenkShift = 4; // 24 -> 28 is no string
    handlers->Play_buton_Click();
    // The staff shows the string that sounds (a silent one as recorded); the string selected
    // and the mandals stay.
    EXPECT_EQ(sound.plays(), (Plays{{6, 4}, {24, 0}}));
    EXPECT_EQ(view.staff, (Plays{{24, 0}, {6, 4}, {24, 0}}));
    EXPECT_EQ(st().currentString, 20);
    EXPECT_EQ(st().mandalPos[6], 0);

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
    EXPECT_TRUE(sound.plays().empty());
    EXPECT_FALSE(st().recording);
    EXPECT_EQ(eventRounds, 1);
}

} // namespace
} // namespace zembera
