#include <gtest/gtest.h>

#include <thread>

#include "service_rig.h"
#include "sound/mci_command.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::constant;
using test::imageOf;
using test::slice;

class SoundServiceTest : public ::testing::Test {
  protected:
    // A wave file in the temporary folder holding `samples`.
    std::string waveFile(const std::string& name, const std::vector<std::int16_t>& samples) {
        test::writeFile(folder.path() / name, test::canonicalWav(samples));
        return (folder.path() / name).string();
    }

    test::TempDir folder;
    test::ServiceRig rig;
    SoundService& sound = rig.sound;
};

TEST_F(SoundServiceTest, EveryStartOnTheMemoryChannelCutsOffTheSoundingOne) {
    const auto first = constant(5000, 300);
    const auto second = test::rampSamples(700);
    sound.PlayImage(imageOf(first), kSndAsync);
    rig.render(256);
    sound.PlayImage(imageOf(second), kSndAsync);
    EXPECT_EQ(rig.render(1000), slice(second, 0, 1000));

    // A start that cannot play (no image, a broken one) still cuts off.
    for (const SoundImagePtr& unplayable :
         {SoundImagePtr{}, std::make_shared<const SoundImage>(SoundImage{'n', 'o'})}) {
        sound.PlayImage(imageOf(first), kSndAsync);
        rig.render(10);
        sound.PlayImage(unplayable, kSndAsync);
        EXPECT_EQ(rig.render(100), constant(100, 0));
    }
}

TEST_F(SoundServiceTest, PlayFileSoundsTheFileOnTheMemoryChannel) {
    const auto ramp = test::rampSamples(600);
    sound.PlayFile(waveFile("note.wav", ramp));
    EXPECT_EQ(rig.render(600), ramp);
    sound.PlayFile(waveFile("long.wav", constant(5000, 9)));
    rig.render(10);
    sound.PlayFile(folder.path() / "missing.wav"); // cuts off, plays nothing
    EXPECT_EQ(rig.render(100), constant(100, 0));
}

TEST_F(SoundServiceTest, ImageReplacedWhileSoundingKeepsPlayingUnchanged) {
    const auto oldSamples = test::rampSamples(3000);
    SoundImagePtr stringSound = imageOf(oldSamples);
    const std::weak_ptr<const SoundImage> oldImage = stringSound;
    sound.PlayImage(stringSound, kSndAsync);
    const auto head = rig.render(1000);
    // The string's sound is rebuilt: the caller's only reference now holds another image.
    stringSound = imageOf(constant(3000, 1234));
    ASSERT_FALSE(oldImage.expired());
    sound.pump();
    const auto tail = rig.render(2500);
    EXPECT_EQ(head, slice(oldSamples, 0, 1000));
    EXPECT_EQ(tail, slice(oldSamples, 1000, 2500));
    sound.pump();
    EXPECT_TRUE(oldImage.expired()); // released on the UI thread once it has finished
}

TEST_F(SoundServiceTest, OpeningAnAliasStillOpenFailsAndDoesNotRestartIt) {
    const auto ramp = test::rampSamples(2000);
    const std::string file = waveFile("7zz.zz", ramp);
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    const auto first = rig.render(500);
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab")); // a held key repeating
    EXPECT_FALSE(sound.MciOpenPlay(file, "AB")); // aliases are told apart without case
    const auto second = rig.render(500);
    EXPECT_EQ(first, slice(ramp, 0, 500));
    EXPECT_EQ(second, slice(ramp, 500, 500));
    // Finished but not closed: still open, so still refused.
    rig.render(2000);
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(rig.render(100), constant(100, 0));
}

TEST_F(SoundServiceTest, EachStopSilencesOnlyWhatItNames) {
    const std::string file = waveFile("7zz.zz", constant(3000, 77));
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    ASSERT_TRUE(sound.MciOpenPlay(waveFile("1zz.zz", constant(3000, 5)), "q1"));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync);
    rig.render(100);
    sound.MciStopClose("zz"); // never opened: nothing changes
    sound.MciStopClose("");
    EXPECT_EQ(rig.render(100), constant(100, 132));
    // The memory channel alone, twice: the second stop finds nothing sounding.
    sound.StopAllSound();
    EXPECT_EQ(rig.render(100), constant(100, 82));
    sound.StopAllSound();
    EXPECT_EQ(rig.render(100), constant(100, 82));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync); // a start after a stop plays again
    EXPECT_EQ(rig.render(100), constant(100, 132));
    // One alias, whose name is then free again.
    sound.MciStopClose("ab");
    EXPECT_EQ(rig.render(100), constant(100, 55));
    EXPECT_TRUE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(rig.render(10), constant(10, 132));
}

TEST_F(SoundServiceTest, OpenFailsForAnEmptyNameOrAFileThatCannotBePlayedAndLeavesNoAlias) {
    EXPECT_FALSE(sound.MciOpenPlay("", "ab"));
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "missing").string(), "ab"));
    test::writeFile(folder.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "text.wav").string(), "ab"));
    EXPECT_EQ(rig.render(100), constant(100, 0));
    // None of the failures left the alias open. A relative name is looked up in the working
    // folder.
    waveFile("12zz.zz", constant(100, 12));
    sound.setWorkingFolder(folder.path());
    EXPECT_TRUE(sound.MciOpenPlay("12zz.zz", "ab"));
    EXPECT_EQ(rig.render(10), constant(10, 12));
}

TEST_F(SoundServiceTest, AnOpenGivenTheFilesContentReadsNothingFromDisk) {
    // The file on disk is stale or missing; the content known to match it is what sounds.
    const std::string file = waveFile("3zz.zz", constant(100, 7));
    EXPECT_TRUE(sound.MciOpenPlay(file, "ab", imageOf(constant(100, 40))));
    EXPECT_TRUE(
        sound.MciOpenPlay((folder.path() / "missing").string(), "cd", imageOf(constant(100, 2))));
    EXPECT_EQ(rig.render(10), constant(10, 42));
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab", imageOf(constant(100, 1)))); // still open
    EXPECT_FALSE(sound.MciOpenPlay("", "ef", imageOf(constant(100, 1))));
}

TEST_F(SoundServiceTest, CommandStringsDriveTheDevices) {
    const auto ramp = test::rampSamples(1000);
    const std::string file = waveFile("7zz.zz", ramp);
    EXPECT_EQ(sound.mciSendString("open " + file + " type WaveAudio alias ab"), kMciOk);
    EXPECT_EQ(rig.render(50), constant(50, 0)); // open alone plays nothing
    EXPECT_EQ(sound.mciSendString("play ab from 0"), kMciOk);
    EXPECT_EQ(rig.render(300), slice(ramp, 0, 300));
    EXPECT_EQ(sound.mciSendString("stop ab"), kMciOk);
    EXPECT_EQ(rig.render(50), constant(50, 0));
    EXPECT_EQ(sound.mciSendString("PLAY AB FROM 0"), kMciOk); // again from the start
    EXPECT_EQ(rig.render(300), slice(ramp, 0, 300));
    EXPECT_EQ(sound.mciSendString("open " + file + " type WaveAudio alias ab"), kMciAliasInUse);
    EXPECT_EQ(sound.mciSendString("close ab"), kMciOk);
    EXPECT_EQ(rig.render(50), constant(50, 0));
    EXPECT_NE(sound.mciSendString("stop ab"), kMciOk);
    EXPECT_NE(sound.mciSendString("close ab"), kMciOk);
    EXPECT_NE(sound.mciSendString("play ab from 0"), kMciOk);
    // Malformed strings fail silently.
    EXPECT_EQ(sound.mciSendString("open  type WaveAudio alias ab"), kMciUnreadableFile);
    EXPECT_EQ(sound.mciSendString("open " + file + " type Sequencer alias ab"), kMciInvalidCommand);
    EXPECT_EQ(sound.mciSendString("rewind ab"), kMciInvalidCommand);
    EXPECT_EQ(sound.mciSendString(""), kMciInvalidCommand);
    EXPECT_EQ(sound.mciSendString("play"), kMciInvalidCommand);
    EXPECT_EQ(rig.render(100), constant(100, 0));
}

TEST(MciCommand, SplitsTheFourCommandsIntoTheirParts) {
    const MciCommand open = parseMciCommand("open C:\\my wavs\\7zz.zz type WaveAudio alias ab");
    EXPECT_EQ(open.verb, MciCommand::Verb::Open);
    EXPECT_EQ(open.file, "C:\\my wavs\\7zz.zz");
    EXPECT_EQ(open.alias, "ab");
    const MciCommand empty = parseMciCommand("open  type WaveAudio alias ab");
    EXPECT_EQ(empty.verb, MciCommand::Verb::Open);
    EXPECT_EQ(empty.file, "");
    const MciCommand quoted = parseMciCommand("open \"a b.wav\" alias q");
    EXPECT_EQ(quoted.file, "a b.wav");
    EXPECT_EQ(quoted.alias, "q");
    EXPECT_EQ(parseMciCommand("open x.wav").alias, "x.wav");
    EXPECT_EQ(parseMciCommand("play ab from 0").verb, MciCommand::Verb::Play);
    EXPECT_EQ(parseMciCommand("stop ab").verb, MciCommand::Verb::Stop);
    EXPECT_EQ(parseMciCommand("close  ab ").alias, "ab");
    EXPECT_EQ(parseMciCommand("play ab from 9").verb, MciCommand::Verb::Invalid);
    EXPECT_EQ(parseMciCommand("stop ab now").verb, MciCommand::Verb::Invalid);
}

#ifndef NDEBUG
TEST(SoundServiceDeathTest, UiThreadOnlyCallsFromAnotherThreadAreCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            test::ServiceRig rig;
            std::thread other([&] { rig.sound.StopAllSound(); });
            other.join();
        },
        "UI-thread-only");
}
#endif

} // namespace
} // namespace zembera
