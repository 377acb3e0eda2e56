#include "files/record_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/makam_file.h"
#include "files/makam_handlers.h"
#include "files/melody_handlers.h"
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
    EXPECT_EQ(st().mandalPos, mandals);
    EXPECT_EQ(st().currentString, 12);

    st().mandalPos[1] = 2;
    st().mandalPos[14] = -3;
    for (int s : {1, 14, 1, 26})
        pluck(s);
    EXPECT_EQ(sound.images, 4);         // the keys and sweeps sounded nothing
    EXPECT_EQ(fileBytes(kayit()), old); // replaced only at the stop
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

// The folder states met in real use as the rows of one table, as an approved dump: the recording
// folder full, then read-only (the makams there too), then a second user's own folder beside a
// program folder that is not theirs. Each row records three plucks over an old recording and
// saves a makam; the dump holds the messages, the strings each recording file holds (or "eski"
// for the old one) and where the makam went. The second user's files are found first: a makam
// and a melody of the same name in both folders load theirs, and a program loaded for them keeps
// its scratch files in their sample folder.
TEST_F(Recording, FolderStatesKeepThePreviousRecordingAndSayWhy) {
    namespace fs = std::filesystem;
    const fs::path disk = dir / "disk", user = dir / "kullanıcı";
    fs::create_directories(disk);
    fs::create_directories(user / "wavs");
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    const std::unique_ptr<const char, void (*)(const char*)> unmount(
        disk.c_str(), [](const char* f) { ::umount2(f, MNT_DETACH); });
    const std::string old = recordLine(3, 0, 500) + recordLine(4, 0, 500);
    MakamHandlers makam(*parts);
    MelodyHandlers melody(*parts);
    std::string dump;
    for (const std::string row : {"dolu disk", "salt okunur", "ikinci kullanıcı"}) {
        if (row == "dolu disk") {
            parts->recordFolder = disk;
            writeBytes(disk / "kayıt.txt", old);
            std::ofstream fill(disk / "dolgu", std::ios::binary);
            const std::string block(512, 'x');
            while (fill.write(block.data(), block.size()) && fill.flush()) {
            }
        } else if (row == "salt okunur") {
            fs::remove(disk / "dolgu");
            if (::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") != 0)
                GTEST_SKIP() << "cannot remount read-only: " << std::strerror(errno);
            parts->folders = DataFolders{disk, disk};
        } else {
            parts->folders = DataFolders{dir, user};
            parts->recordFolder = user / "wavs";
            writeBytes(user / "wavs" / "kayıt.txt", old);
            writeBytes(dir / "Rast.mkm", makamFileText(PerString16{0, 0, 0, 2}));
            writeBytes(user / "Rast.mkm", makamFileText(PerString16{0, 0, 0, -4}));
            writeBytes(dir / "ezgi.ses", "0,0,3,0,0,0,0,0,0,0\r\n");   // string 4
            writeBytes(user / "ezgi.ses", "0,15,3,0,0,0,0,0,0,0\r\n"); // string 12
        }
        handlers->rec_buton_Click();
        for (int s : {5, 6, 7})
            pluck(s);
        handlers->stop_buton_Click();
        EXPECT_TRUE(finished());
        controls.makamNameBox = "Benim";
        makam.save_buton_Click();
        dump += "# " + row + "\n";
        for (std::string m : messages.shown) {
            if (const auto at = m.find(dir.string()); at != std::string::npos)
                m.replace(at, dir.string().size(), "<dir>");
            std::replace(m.begin(), m.end(), '\n', '|');
            dump += "ileti: " + m + "\n";
        }
        messages.shown.clear();
        for (const fs::path& f : {dir / "wavs", disk, user / "wavs", dir, user}) {
            const std::string where = f.lexically_relative(dir).string();
            if (fs::exists(f / "kayıt.txt.yeni")) dump += where + ": kayıt.txt.yeni\n";
            if (fs::exists(f / "Benim.mkm")) dump += where + ": Benim.mkm\n";
            if (!fs::exists(f / "kayıt.txt")) continue;
            const std::string text = fileBytes(f / "kayıt.txt");
            dump += where + ": kayıt.txt";
            if (text == old) dump += " eski";
            for (FieldReader reader(text, "kayıt.txt"); text != old && !reader.atEnd();) {
                const RecordEntry e = readRecordEntry(reader);
                dump += " " + std::to_string(e.string) + "/" + std::to_string(e.mandal);
            }
            dump += "\n";
        }
    }
    pluck(5); // the recording is closed: the read-only folder is never appended to
    EXPECT_EQ(fileBytes(disk / "kayıt.txt"), old);
    makam.makamListClick("Rast.mkm");
    controls.melodyNameBox = "ezgi";
    st().vscrollValue = 40;
    melody.aç_kapa_buton_Click();
    dump += "Rast.mkm: tel 4 mandal " + std::to_string(st().mandalPos[3]) + ", ezgi: tel " +
            std::to_string(sound.plays().at(0).first) + "\n";
    auto loaded = loadProgram(DataFolders{dir, user}, messages);
    ASSERT_FALSE(loaded.fatal);
    loaded.program->sounds->writeScratchFiles();
    for (const fs::path& f : {dir / "wavs", user / "wavs"})
        dump += f.lexically_relative(dir).string() + ": " +
                (fs::exists(f / StringSounds::scratchFileName(12)) ? "karalama\n" : "-\n");
    test::expectGolden("files/folder_states.txt", dump);
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

    // Every note starts and is stopped, each onset on the sum of the durations before it.
    ASSERT_EQ(sound.events.size(), 2000u);
    const double first = sound.events[0].at;
    double nominal = first;
    for (std::size_t k = 0; k < sound.events.size(); k += 2) {
        EXPECT_FALSE(sound.events[k].stop || !sound.events[k + 1].stop) << k;
        EXPECT_NEAR(sound.events[k].at, nominal, 2 * clock.sleepSlack) << k;
        nominal += notes[k / 2].durationMs;
    }
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
