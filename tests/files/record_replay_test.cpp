#include "files/record_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/record_handlers.h"
#include "files_rig.h"
#include "instrument/instrument_player.h"
#include "support/golden.h"

namespace zembera {
namespace {

using test::Calls;
using test::fileBytes;
using test::writeBytes;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::FieldsAre;
using ::testing::Ge;
using ::testing::Lt;

TEST(RecordFileLines, FieldsInPrintZonesOfFourteenAndOnlyPlucksAreRead) {
    // A minus sign takes the blank's place at the start of its zone.
    EXPECT_EQ(recordLine(26, -8, 0),
              " 26" + std::string(11, ' ') + "-8" + std::string(13, ' ') + "0 \r\n");
    EXPECT_EQ(recordLine(1, 12, 2147483647).find("2147483647"), 29u);
    const std::string text = recordLine(5, -3, 120) + "7,0,40\r\n";
    FieldReader ok(text, "kayıt.txt");
    EXPECT_THAT(readRecordEntry(ok), FieldsAre(5, -3, 120));
    EXPECT_THAT(readRecordEntry(ok), FieldsAre(7, 0, 40));
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
    void writeRecording(const std::vector<RecordEntry>& entries) {
        std::string text;
        for (const RecordEntry& e : entries)
            text += recordLine(e.string, e.mandal, e.durationMs);
        writeBytes(kayit(), text);
    }

    std::unique_ptr<RecordHandlers> handlers;
    std::unique_ptr<InstrumentPlayer> player;
};

TEST_F(Recording, PlucksReplaceTheOldFileAtTheStopAndOnlyPlucksCount) {
    writeRecording({{3, 0, 500}});
    const std::string old = fileBytes(kayit());
    handlers->rec_buton_Click();
    EXPECT_TRUE(st().recording && controls.recordLamp && controls.busy(false));
    // Keys, sweeps and mandal edits do nothing while recording.
    const PerString16 mandals = st().mandalPos;
    player->Form_KeyDown(kKeyUp);
    player->Form_KeyDown(kKeyRight);
    player->instrumentMouseMove(kRightButton, 300, 100);
    player->mandalStripMouseDown(kLeftButton, 160, 30);
    EXPECT_EQ(sound.images, 0);
    EXPECT_EQ(st().mandalPos, mandals);
    EXPECT_EQ(st().currentString, 12);

    st().mandalPos[1] = 2;
    st().mandalPos[14] = -3;
    for (int s : {1, 14, 1, 26})
        pluck(s);
    EXPECT_EQ(sound.images, 4);
    // The first line is written at the second pluck, into the file that replaces kayıt.txt at
    // the stop.
    const std::string journal = fileBytes(dir / "wavs" / "kayıt.txt.yeni");
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 3);
    EXPECT_EQ(fileBytes(kayit()), old);
    handlers->stop_buton_Click();
    EXPECT_TRUE(finished());
    EXPECT_FALSE(std::filesystem::exists(dir / "wavs" / "kayıt.txt.yeni"));

    // Nothing but whole lines, each as recordLine writes it.
    const std::string text = fileBytes(kayit());
    std::vector<RecordEntry> got;
    std::string rewritten;
    for (FieldReader reader(text, "kayıt.txt"); !reader.atEnd();) {
        const RecordEntry& e = got.emplace_back(readRecordEntry(reader));
        rewritten += recordLine(e.string, e.mandal, e.durationMs);
    }
    const auto ms = AllOf(Ge(0), Lt(60000));
    EXPECT_THAT(got, ElementsAre(FieldsAre(1, 2, ms), FieldsAre(14, -3, ms), FieldsAre(1, 2, ms),
                                 FieldsAre(26, 0, ms)));
    EXPECT_EQ(text, rewritten);
    pluck(3); // closed: later plucks write nothing
    EXPECT_EQ(fileBytes(kayit()), text);

    // A stop without any pluck writes the last string with no time.
    handlers->rec_buton_Click();
    st().lastString = 9;
    st().mandalPos[9] = -4;
    handlers->stop_buton_Click();
    EXPECT_EQ(fileBytes(kayit()), recordLine(9, -4, 0));
    EXPECT_TRUE(messages.shown.empty());
}

// A full disk and a read-only folder were met in real use: the old recording must survive both.
TEST_F(Recording, AFullDiskOrAReadOnlyFolderKeepsThePreviousRecordingAndSaysWhy) {
    const auto folder = dir / "disk";
    std::filesystem::create_directories(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        folder.c_str(), [](const char* f) { ::umount2(f, MNT_DETACH); });
    parts->sampleFolder = folder;
    const std::string old = recordLine(3, 0, 500) + recordLine(4, 0, 500);
    writeBytes(folder / "kayıt.txt", old);
    {
        std::ofstream fill(folder / "dolgu", std::ios::binary);
        const std::string block(512, 'x');
        while (fill.write(block.data(), block.size()) && fill.flush()) {
        }
    }

    handlers->rec_buton_Click();
    for (int s : {5, 6, 7})
        pluck(s);
    handlers->stop_buton_Click();
    const std::string path = (folder / "kayıt.txt").string();
    EXPECT_EQ(messages.shown,
              (Calls{"kayıt dosyası yazılamadı\n" + path + ": diskte yer kalmadı"}));
    EXPECT_EQ(fileBytes(folder / "kayıt.txt"), old);
    EXPECT_FALSE(std::filesystem::exists(folder / "kayıt.txt.yeni"));
    EXPECT_TRUE(finished());

    std::filesystem::remove(folder / "dolgu");
    if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
        GTEST_SKIP() << "cannot remount read-only: " << std::strerror(errno);
    messages.shown.clear();
    handlers->rec_buton_Click();
    EXPECT_EQ(messages.shown,
              (Calls{"kayıt dosyası yazılamadı\n" + path + ": klasör salt okunur"}));
    EXPECT_TRUE(finished());
    pluck(5);
    EXPECT_EQ(fileBytes(folder / "kayıt.txt"), old); // never appended to
}

using Replay = Recording;

// Each scenario as an approved dump of the sounds on the fake clock, the redraws, the staff, the
// messages and the controls after it.
TEST_F(Replay, EachNoteSoundsOnItsShiftedStringAtItsPresentMandalOrOnlyShows) {
    handlers->Play_buton_Click();
    std::string dump = transcript("no recording");

    // Moved since the recording: the present positions count.
    for (auto [s, m] : {std::pair{1, 2}, {2, 4}, {5, 4}, {8, 12}, {9, 3}})
        st().mandalPos[s] = static_cast<std::int16_t>(m);
    const PerString16 mandals = st().mandalPos;
    const std::vector<RecordEntry> notes = {{5, 3, 120}, {12, 0, 40}, {1, 9, 10}};
    // 24 + 4 is no string: silent, and shown on the string recorded at its mandal.
    const std::vector<RecordEntry> up = {{24, 0, 10}, {2, 3, 10}, {20, 0, 10}};
    // 2 - 3 is no string, string 5 reaches only 10; a negative duration is no wait at all.
    const std::vector<RecordEntry> down = {
        {2, 0, 10}, {8, 0, 10}, {9, 0, 10}, {5, 0, -1}, {6, 0, -2147483647 - 1}};
    const struct {
        int mode, shift;
        const std::vector<RecordEntry>& notes;
    } cases[] = {{1, 0, notes}, {2, 0, notes}, {3, 0, notes}, {1, 4, up}, {1, -3, down}};
    for (const auto& c : cases) {
        writeRecording(c.notes);
        controls.replayMode = c.mode;
        program->tuning.ahenkShift = c.shift;
        bool sawBusyControls = false;
        onEvents = [&] {
            sawBusyControls = controls.replayLamp && st().playingBack && controls.busy(true);
        };
        handlers->Play_buton_Click();
        EXPECT_TRUE(sawBusyControls);
        EXPECT_EQ(st().mandalPos, mandals);
        dump += transcript("mode " + std::to_string(c.mode) + ", shift " + std::to_string(c.shift));
    }
    // A stop or a pause during a long note cuts it at once.
    writeRecording({{5, 0, 30000}, {6, 0, 200}, {7, 0, 2147483647}});
    program->tuning.ahenkShift = 0;
    onEvents = [&] {
        if (clock.now - mark == 100) {
            handlers->pause_buton_Click();
            clock.now += 5000; // while "durduruldu" is open
        } else if (sound.plays().size() == 3 && clock.now - mark >= 14100) {
            handlers->stop_buton_Click();
        }
    };
    handlers->Play_buton_Click();
    EXPECT_EQ(clock.now - mark, 14100);
    dump += transcript("paused at 100 ms for 5000 ms, stopped at 14100 ms");
    // A faulty line ends the replay with its message after the good ones.
    onEvents = nullptr;
    for (const std::string bad : {"27 0 10\r\n", "5 0\r\n", "5 x 10\r\n"}) {
        writeBytes(kayit(), recordLine(4, 0, 10) + bad);
        handlers->Play_buton_Click();
        dump += transcript("then \"" + bad.substr(0, bad.size() - 2) + "\"");
    }
    test::expectGolden("files/replay.txt", dump);
}

TEST_F(Replay, OnsetsOfAThousandNotesLieOnTheSumOfTheDurationsBefore) {
    clock.redrawCost = 4.0; // each of the four redraws of a note
    clock.eventCost = 1.0;  // each round of events
    clock.sleepSlack = 0.7; // the platform sleep overshoots
    std::vector<RecordEntry> notes;
    for (int k = 0; k < 1000; ++k)
        notes.push_back({8 + k % 12, 0, 20 + (k * 37) % 300});
    writeRecording(notes);
    handlers->Play_buton_Click();

    const std::vector<double> onsets = sound.onsets();
    ASSERT_EQ(onsets.size(), 1000u);
    double nominal = onsets[0];
    double worst = 0;
    for (std::size_t k = 0; k < onsets.size(); ++k) {
        worst = std::max(worst, std::abs(onsets[k] - nominal));
        nominal += notes[k].durationMs;
    }
    EXPECT_LE(worst, 2 * clock.sleepSlack);
    EXPECT_EQ(sound.stops(), 1000);
    EXPECT_NEAR(sound.events.back().at, nominal, 2 * clock.sleepSlack); // the last note in full
}

TEST_F(Replay, RecordingAndReplayDoNotStartInsideARunningLoop) {
    writeRecording({{5, 0, 10}, {6, 0, 10}});
    onEvents = [&] {
        if (eventRounds != 1) return;
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
