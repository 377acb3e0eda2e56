#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "service_rig.h"
#include "sound/mci_command.h"
#include "sound/sdl_backend.h"
#include "sound/sound_limits.h"

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
    const auto ramp = test::rampSamples(3000);
    SoundImagePtr image = imageOf(ramp);
    const std::weak_ptr<const SoundImage> watch = image;
    sound.PlayImage(imageOf(first), kSndAsync);
    rig.render(256);
    sound.PlayImage(image, kSndAsync);
    EXPECT_EQ(rig.render(1000), slice(ramp, 0, 1000));
    // The caller's only reference now holds another image: the sounding one plays on unchanged,
    // and is released on the UI thread once it has finished.
    image = imageOf(constant(3000, 1234));
    sound.pump();
    EXPECT_EQ(rig.render(2500), slice(ramp, 1000, 2500));
    sound.pump();
    EXPECT_TRUE(watch.expired());
    sound.PlayFile(waveFile("note.wav", ramp));
    EXPECT_EQ(rig.render(600), slice(ramp, 0, 600));
    // A start that cannot play (no image, a broken one, a missing file) still cuts off.
    for (int i = 0; i < 3; ++i) {
        sound.PlayImage(imageOf(first), kSndAsync);
        rig.render(10);
        if (i < 2)
            sound.PlayImage(i == 0 ? nullptr : std::make_shared<const SoundImage>(SoundImage{'n'}),
                            kSndAsync);
        else
            sound.PlayFile(folder.path() / "missing.wav");
        EXPECT_EQ(rig.render(100), constant(100, 0)) << i;
    }
}

TEST_F(SoundServiceTest, AnAliasStillOpenIsNeitherOpenedAgainNorRestarted) {
    const auto ramp = test::rampSamples(2000);
    const std::string file = waveFile("7zz.zz", ramp);
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    const auto first = rig.render(500);
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab")); // a held key repeating
    EXPECT_FALSE(sound.MciOpenPlay(file, "AB")); // aliases are told apart without case
    EXPECT_EQ(first, slice(ramp, 0, 500));
    EXPECT_EQ(rig.render(500), slice(ramp, 500, 500));
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

TEST_F(SoundServiceTest, OpenFailsWithoutAPlayableFileLeavingNoAliasAndTakesAGivenContent) {
    EXPECT_FALSE(sound.MciOpenPlay("", "ab"));
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "missing").string(), "ab"));
    test::writeFile(folder.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "text.wav").string(), "ab"));
    EXPECT_EQ(rig.render(100), constant(100, 0));
    // None of the failures left the alias open. A relative name is looked up in the working
    // folder.
    waveFile("12zz.zz", constant(10, 12));
    sound.setWorkingFolder(folder.path());
    EXPECT_TRUE(sound.MciOpenPlay("12zz.zz", "ab"));
    EXPECT_EQ(rig.render(10), constant(10, 12));
    // The file on disk is stale or missing; the content known to match it is what sounds.
    const std::string file = waveFile("3zz.zz", constant(100, 7));
    EXPECT_TRUE(sound.MciOpenPlay(file, "cd", imageOf(constant(100, 40))));
    EXPECT_TRUE(
        sound.MciOpenPlay((folder.path() / "missing").string(), "ef", imageOf(constant(100, 2))));
    EXPECT_EQ(rig.render(10), constant(10, 42));
    EXPECT_FALSE(sound.MciOpenPlay(file, "cd", imageOf(constant(100, 1)))); // still open
    EXPECT_FALSE(sound.MciOpenPlay("", "gh", imageOf(constant(100, 1))));
}

TEST_F(SoundServiceTest, NoteSoundsAtItsGainUntilItsFadedCloseWhichAnotherOpenDoesNotCutOff) {
    ASSERT_TRUE(sound.PlayNote("n60", imageOf(constant(20000, 10000)), 0.5F));
    EXPECT_FALSE(sound.PlayNote("N60", imageOf(constant(100, 1)), 1.0F)); // still open
    EXPECT_FALSE(sound.PlayNote("n61", nullptr, 1.0F));
    EXPECT_EQ(rig.render(100), constant(100, 5000));
    sound.FadeNoteClose("n60");
    sound.FadeNoteClose("unknown"); // harmless
    // The letter keys' MciOpenPlay takes another voice while the fade runs.
    ASSERT_TRUE(sound.MciOpenPlay("x.wav", "b", imageOf(constant(20000, 100))));
    const auto out = rig.render(kReleaseFadeFrames + 10);
    EXPECT_EQ(out[0], 5100);
    EXPECT_EQ(out[kReleaseFadeFrames - 1],
              std::lrint(5000.0F / 220) + 100); // the last step of the fade
    EXPECT_EQ(out[kReleaseFadeFrames], 100);
    EXPECT_TRUE(sound.PlayNote("n60", imageOf(constant(10, 3)), 1.0F)); // the alias is free again
    EXPECT_EQ(rig.render(10), constant(10, 103));
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
    for (const char* closed : {"stop ab", "close ab", "play ab from 0"})
        EXPECT_NE(sound.mciSendString(closed), kMciOk) << closed;
    // Malformed strings fail silently.
    EXPECT_EQ(sound.mciSendString("open  type WaveAudio alias ab"), kMciUnreadableFile);
    EXPECT_EQ(sound.mciSendString("open " + file + " type Sequencer alias ab"), kMciInvalidCommand);
    for (const char* malformed : {"rewind ab", "", "play"})
        EXPECT_EQ(sound.mciSendString(malformed), kMciInvalidCommand) << malformed;
    EXPECT_EQ(rig.render(100), constant(100, 0));
}

TEST(MciCommand, SplitsTheFourCommandsIntoTheirParts) {
    using enum MciCommand::Verb;
    const std::tuple<const char*, MciCommand::Verb, const char*, const char*> cases[] = {
        {"open C:\\my wavs\\7zz.zz type WaveAudio alias ab", Open, "C:\\my wavs\\7zz.zz", "ab"},
        {"open  type WaveAudio alias ab", Open, "", "ab"},
        {"open \"a b.wav\" alias q", Open, "a b.wav", "q"},
        {"open x.wav", Open, "x.wav", "x.wav"},
        {"play ab from 0", Play, "", "ab"},
        {"stop ab", Stop, "", "ab"},
        {"close  ab ", Close, "", "ab"},
        {"play ab from 9", Invalid, "", ""},
        {"stop ab now", Invalid, "", ""}};
    for (const auto& [text, verb, file, alias] : cases) {
        const MciCommand command = parseMciCommand(text);
        EXPECT_EQ(command.verb, verb) << text;
        EXPECT_EQ(command.file, file) << text;
        if (verb != Invalid) {
            EXPECT_EQ(command.alias, alias) << text;
        }
    }
}

#ifndef NDEBUG
TEST(SoundServiceDeathTest, UiThreadOnlyCallsFromAnotherThreadAreCaught) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            test::ServiceRig rig;
            std::thread([&] { rig.sound.StopAllSound(); }).join();
        },
        "UI-thread-only");
}
#endif

// The SDL backend on SDL's "disk" driver (what it plays goes into a file) and its fall-back.

using namespace std::chrono_literals;

// The SDL driver of the next device; the disk driver writes to `file`, `delay` ms a buffer.
void useDriver(const char* driver, const std::string& file = "", const char* delay = "2") {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delay, 1);
}

// A sound service playing through a real SDL backend.
struct SdlRig {
    SdlBackend* device = new SdlBackend; // owned by `sound`, made first
    SoundService sound{std::unique_ptr<AudioBackend>(device)};
};

TEST(SdlOutput, DeviceThatGoesAwayIsReplacedByANewOne) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    test::TempDir folder;
    const auto capture = folder.path() / "after.raw";
    const auto note = test::rampSamples(2000); // no zero in it
    {
        // Every write to /dev/full fails, and SDL's disk driver then reports its device gone.
        useDriver("disk", "/dev/full", "1");
        SdlRig rig;
        ASSERT_EQ(rig.device->driverName(), "disk");
        // The next device the backend opens writes here instead. The first buffers fill the
        // stream's cache, then writing fails; the backend notices when the UI thread pumps.
        setenv("SDL_DISKAUDIOFILE", capture.string().c_str(), 1);
        for (int i = 0; i < 400 && !std::filesystem::exists(capture); ++i) {
            std::this_thread::sleep_for(5ms);
            rig.sound.pump();
        }
        ASSERT_TRUE(std::filesystem::exists(capture)) << "the lost device was not replaced";
        std::this_thread::sleep_for(10ms); // a few silent buffers first
        rig.sound.PlayImage(test::imageOf(note), kSndAsync);
        // Until the file holds the note and more, whatever the pace of the device thread (the
        // driver's stream may hold back a few kilobytes); the checks below tell what went wrong.
        const std::uintmax_t target = std::filesystem::file_size(capture) + 2 * (2000 + 5120);
        for (int i = 0; i < 1000 && std::filesystem::file_size(capture) < target; ++i)
            std::this_thread::sleep_for(5ms);
        EXPECT_EQ(rig.device->driverName(), "disk");
    }
    const std::vector<std::int16_t> out = test::samplesIn(test::readFile(capture));
    const auto start = static_cast<std::size_t>(
        std::find_if(out.begin(), out.end(), [](std::int16_t v) { return v != 0; }) - out.begin());
    ASSERT_LE(start + note.size(), out.size()) << "the note did not play on a new device";
    EXPECT_EQ(start % 256, 0u); // at the start of one of the device's 256-frame buffers
    EXPECT_EQ(test::slice(out, start, note.size()), note);
}

TEST(SdlOutput, DummyOrFallBackDriverDrainsTheQueueAndOnlyTheFallBackSaysSo) {
    for (const bool fallsBack : {false, true}) {
        SCOPED_TRACE(fallsBack ? "no working driver" : "dummy driver");
        testing::internal::CaptureStderr();
        {
            useDriver(fallsBack ? "no-such-driver" : "dummy");
            SdlRig rig;
            EXPECT_EQ(rig.device->driverName(), "dummy");
            // Far more starts than the command ring holds: the device thread keeps draining it.
            SoundImagePtr image = test::imageOf(constant(100, 5));
            const std::weak_ptr<const SoundImage> watch = image;
            for (int i = 0; i < 3 * static_cast<int>(kCommandCapacity); ++i) {
                rig.sound.PlayImage(image, kSndAsync);
                if (i % 64 == 0) std::this_thread::sleep_for(1ms);
            }
            image.reset();
            for (int i = 0; i < 200 && !watch.expired(); ++i) {
                std::this_thread::sleep_for(5ms);
                rig.sound.pump();
            }
            EXPECT_TRUE(watch.expired());
            EXPECT_FALSE(rig.sound.MciOpenPlay("", "ab"));
        }
        const std::string said = testing::internal::GetCapturedStderr();
        if (fallsBack) {
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_NE(said.find("no audio device"), std::string::npos) << said;
        } else {
            EXPECT_EQ(said, "");
        }
    }
}

} // namespace
} // namespace zembera
