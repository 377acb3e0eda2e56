#include "instrument/instrument_player.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

#include "shell/startup_loader.h"
#include "sound/sound_service.h"
#include "sound/sound_test_support.h"
#include "support/program_folder.h"
#include "support/view_calls.h"

namespace zembera {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::SizeIs;
using Calls = std::vector<std::string>;

class FakeSound : public SoundOutput {
  public:
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        EXPECT_EQ(flags, 1u); // asynchronous
        images.push_back(image);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        calls.push_back("open " + std::filesystem::path(file).filename().string() + " as " + alias);
        openedFile = file;
        return true;
    }
    void MciStopClose(const std::string& alias) override { calls.push_back("close " + alias); }

    std::vector<SoundImagePtr> images; // played from memory
    Calls calls;                       // wave files opened and closed
    std::string openedFile;
};

class Player : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / "zembera_player_test";
        test::makeProgramFolder(dir, 2000);
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        *program->sounds, program->samples.mciAlias, sound, view, messages});
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    InstrumentState& st() { return program->instrument; }
    std::pair<int, int> selection() { return {st().currentString, st().lastString}; }
    void keys(std::initializer_list<int> codes) {
        for (int k : codes)
            player->Form_KeyDown(k);
    }

    std::filesystem::path dir;
    RecordedMessages messages;
    FakeSound sound;
    test::ViewCalls view;
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<InstrumentPlayer> player;
};

TEST_F(Player, UpAndDownMoveTheSelectionSoundAndRedraw) {
    player->Form_KeyDown(kKeyDown);
    EXPECT_THAT(selection(), Pair(13, 13));
    EXPECT_THAT(view.calls, ElementsAre("tel_çiz", "mandal_at", "porte", "etiket"));
    EXPECT_THAT(sound.images, ElementsAre(program->sounds->stringSound(13)));

    st().currentString = 1;
    player->Form_KeyDown(kKeyUp);
    EXPECT_EQ(st().currentString, 1); // stays, and sounds again
    st().currentString = 26;
    player->Form_KeyDown(kKeyDown);
    EXPECT_EQ(st().currentString, 26);
    EXPECT_THAT(sound.images, SizeIs(3));

    st().currentString = 0; // no selection: starts from 12
    player->Form_KeyDown(kKeyUp);
    EXPECT_EQ(st().currentString, 11);
}

TEST_F(Player, LeftAndRightMoveTheMandalWithinItsRange) {
    player->Form_KeyDown(kKeyRight);
    EXPECT_EQ(st().mandalPos[12], 1);
    EXPECT_THAT(view.calls, ElementsAre("mandal_at", "porte", "etiket", "arıza_yaz 12"));
    EXPECT_FLOAT_EQ(program->sounds->noteCents, 121);

    st().mandalPos[12] = 12;
    view.calls.clear();
    player->Form_KeyDown(kKeyRight); // at the top: nothing, not even a sound
    EXPECT_EQ(st().mandalPos[12], 12);
    EXPECT_THAT(view.calls, IsEmpty());
    EXPECT_THAT(sound.images, SizeIs(1));

    st().currentString = 1;
    st().mandalPos[1] = -5;
    player->Form_KeyDown(kKeyLeft);
    EXPECT_EQ(st().mandalPos[1], -5);
}

TEST_F(Player, String26PassesOverPositionsNineToElevenSilently) {
    st().currentString = 26;
    st().mandalPos[26] = 8;
    // Each step: the position reached, and the sounds so far.
    const std::pair<int, std::pair<int, std::size_t>> steps[] = {
        {kKeyRight, {9, 0}}, {kKeyRight, {10, 0}}, {kKeyRight, {11, 0}}, {kKeyRight, {12, 1}},
        {kKeyLeft, {11, 1}}, {kKeyLeft, {10, 1}},  {kKeyLeft, {9, 1}},   {kKeyLeft, {8, 2}}};
    for (auto [key, reached] : steps) {
        player->Form_KeyDown(key);
        EXPECT_EQ(std::pair(int{st().mandalPos[26]}, sound.images.size()), reached);
    }
    EXPECT_THAT(view.calls, ElementsAre("mandal_at", "porte", "etiket", "arıza_yaz 26", "mandal_at",
                                        "porte", "etiket", "arıza_yaz 26"));
}

TEST_F(Player, GuardsOfTheKeyboard) {
    st().untransposedShown = false;
    player->Form_KeyDown(kKeyRight);
    EXPECT_EQ(st().mandalPos[12], 0);
    player->Form_KeyDown(kKeyDown); // selection still works
    EXPECT_EQ(st().currentString, 13);
    st().untransposedShown = true;

    st().currentString = 0;
    player->Form_KeyDown(kKeyLeft);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"bir perde seçin"}));

    st().recording = true;
    sound.images.clear();
    keys({'Q', kKeyDown, kKeyRight});
    player->Form_KeyUp('Q');
    EXPECT_TRUE(sound.calls.empty() && sound.images.empty());
    st().recording = false;

    // Typing a makam name: key presses do nothing, but a release still stops the string.
    st().nameFieldFocused = true;
    view.calls.clear();
    player->Form_KeyDown('Q');
    EXPECT_TRUE(sound.calls.empty());
    player->Form_KeyUp('Q');
    EXPECT_THAT(sound.calls, ElementsAre("close 01"));
    EXPECT_THAT(view.calls, ElementsAre("green 1"));
}

TEST_F(Player, LetterKeysPlayTheScratchFileWhileHeld) {
    view.calls.clear();
    player->Form_KeyDown('S');
    EXPECT_THAT(selection(), Pair(12, 12));
    EXPECT_THAT(sound.calls, ElementsAre("open 12zz.zz as 12"));
    // The scratch file holds the string's current sound.
    std::ifstream in(sound.openedFile, std::ios::binary);
    const SoundImage bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, *program->sounds->stringSound(12));
    EXPECT_THAT(view.calls, ElementsAre("black 12")); // staff and panel keep the previous note
    player->Form_KeyUp('S');
    EXPECT_EQ(sound.calls.back(), "close 12");
    EXPECT_EQ(view.calls.back(), "green 12");
}

// The letter keys through the real sound service, whose output the test pulls.
class LetterKeySound : public ::testing::Test, public SoundOutput {
  protected:
    void SetUp() override { test::makeProgramFolder(dir); }
    void TearDown() override {
        umount2(wavs.c_str(), MNT_DETACH); // fails harmlessly when nothing is mounted
        std::filesystem::remove_all(dir);
    }
    void load() {
        auto result = loadProgram(dir, messages);
        ASSERT_FALSE(result.fatal) << *result.fatal;
        program = std::move(result.program);
        player = std::make_unique<InstrumentPlayer>(
            PlayerParts{program->instrument, program->tuning, program->recording, program->tables,
                        *program->sounds, program->samples.mciAlias, *this, view, messages});
    }
    // Plays S after a new pitch of string 12; true when the mixer puts out that string's image.
    bool newPitchSounds() {
        player->Form_KeyDown(kKeyRight);
        service.StopAllSound(); // the arrow key's note
        player->Form_KeyDown('S');
        std::vector<std::int16_t> heard(2000);
        backend->render(heard);
        const SoundImage& image = *program->sounds->stringSound(12);
        player->Form_KeyUp('S');
        return std::memcmp(heard.data(), image.data() + 44, heard.size() * 2) == 0;
    }
    SoundImage scratch12() const { return test::asImage(test::readFile(wavs / "12zz.zz")); }

    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override {
        service.PlayImage(image, flags);
    }
    bool MciOpenPlay(const std::string& file, const std::string& alias) override {
        return service.MciOpenPlay(file, alias);
    }
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override {
        return service.MciOpenPlay(file, alias, content);
    }
    void MciStopClose(const std::string& alias) override { service.MciStopClose(alias); }

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zembera_letter_key";
    const std::filesystem::path wavs = dir / "wavs";
    RecordedMessages messages;
    test::ViewCalls view;
    NullBackend* backend = new NullBackend;
    SoundService service{std::unique_ptr<AudioBackend>(backend)};
    std::unique_ptr<LoadedProgram> program;
    std::unique_ptr<InstrumentPlayer> player;
};

TEST_F(LetterKeySound, TheFirstPressPlaysTheCurrentSoundAndLeavesItInTheScratchFile) {
    load();
    program->sounds->writeScratchFiles(); // as the window does once it is shown
    EXPECT_EQ(scratch12(), *program->sounds->stringSound(12));
    EXPECT_TRUE(newPitchSounds());
    EXPECT_EQ(scratch12(), *program->sounds->stringSound(12));
}

TEST_F(LetterKeySound, AReadOnlySampleFolderStillSoundsTheLetterKeys) {
    // Root writes past file modes, not past a read-only mount.
    if (mount(wavs.c_str(), wavs.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, wavs.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "cannot mount the sample folder read-only: " << std::strerror(errno);
    load();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(newPitchSounds());
    EXPECT_FALSE(std::filesystem::exists(wavs / "12zz.zz"));
}

TEST(KeyboardRows, QToPAreStrings1To10AToL11To19ZToM20To26) {
    const std::pair<char, int> cases[] = {{'Q', 1},  {'P', 10}, {'A', 11}, {'L', 19}, {'Z', 20},
                                          {'M', 26}, {'1', 0},  {'@', 0},  {'[', 0}};
    for (auto [key, s] : cases)
        EXPECT_EQ(stringOfKey(key), s) << key;
}

TEST_F(Player, PluckZones) {
    player->instrumentMouseDown(kLeftButton, 700, 30);
    EXPECT_THAT(selection(), Pair(1, 1));
    EXPECT_THAT(view.calls, ElementsAre("tel_çiz", "green 1", "mandal_at", "porte", "etiket"));
    EXPECT_THAT(sound.images, SizeIs(1));

    view.calls.clear();
    player->instrumentMouseDown(kLeftButton, 600, 30); // left of string 1's zone
    player->instrumentMouseDown(kRightButton, 700, 30);
    EXPECT_THAT(sound.images, SizeIs(1));
    EXPECT_THAT(view.calls, IsEmpty());
    player->instrumentMouseDown(kLeftButton, 300, 400);
    EXPECT_THAT(selection(), Pair(26, 26));
    player->instrumentMouseDown(kLeftButton, 300, 400); // a pluck always sounds
    st().playingBack = true;
    player->instrumentMouseDown(kLeftButton, 700, 30);
    EXPECT_THAT(sound.images, SizeIs(3));
}

TEST_F(Player, RightButtonSweepSoundsEachStringEnteredOnce) {
    st().lastString = 1;
    for (double y = 30; y <= 80; y += 1)
        player->instrumentMouseMove(kRightButton, 100, y);
    EXPECT_EQ(st().lastString, 4);
    EXPECT_THAT(view.calls, IsEmpty()); // without detail nothing is redrawn
    player->instrumentMouseMove(kLeftButton | kRightButton, 100, 30);
    EXPECT_THAT(sound.images, SizeIs(3)); // strings 2, 3 and 4

    st().detailShown = 1;
    player->instrumentMouseMove(kRightButton, 100, 30);
    EXPECT_THAT(view.calls, ElementsAre("mandal_at", "tel_çiz", "etiket", "porte"));
}

TEST_F(Player, MandalStripClicks) {
    player->mandalStripMouseDown(kLeftButton, 152, 10);
    EXPECT_EQ(st().mandalPos[12], -8);
    player->mandalStripMouseDown(kLeftButton, 160, 10); // the sounding position again
    EXPECT_THAT(sound.images, SizeIs(2));
    EXPECT_THAT(view.calls, ElementsAre("mandal_at", "porte", "etiket", "arıza_yaz 12"));

    st().currentString = 26;
    const int slotOf10 = 151 + 16 * (10 + 8) + 8;
    player->mandalStripMouseDown(kLeftButton, slotOf10, 10);
    EXPECT_EQ(st().mandalPos[26], 0);
    player->mandalStripMouseDown(kLeftButton, slotOf10 + 32, 10); // 12 works
    EXPECT_EQ(st().mandalPos[26], 12);

    st().untransposedShown = false;
    player->mandalStripMouseDown(kLeftButton, 152, 10);
    EXPECT_EQ(st().mandalPos[26], 12);
}

TEST_F(Player, FineTuningQuadrants) {
    player->fineTuningMouseDown(kLeftButton, 10, 10);
    player->fineTuningMouseDown(kLeftButton, 10, 10);
    player->fineTuningMouseDown(kLeftButton, 40, 60);
    EXPECT_FLOAT_EQ(program->tuning.tuningOffset[12], 3.75f);
    EXPECT_EQ(sound.images.size(), 3u);
    EXPECT_FLOAT_EQ(program->sounds->noteCents, 3.75f);
}

} // namespace
} // namespace zembera
