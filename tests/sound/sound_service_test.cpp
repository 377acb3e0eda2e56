#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "service_rig.h"
#include "sound/sound_limits.h"

namespace zembera {
namespace test {
int heapUsesIn(const std::function<void()>& action); // render_allocation_test.cpp
}
namespace {

using test::constant;
using test::imageOf;
using test::slice;

class SoundServiceTest : public ::testing::Test {
  protected:
    // Frames pulled as the audio thread pulls them, which never allocates or frees.
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<std::int16_t> out(frames, 0x5a5a);
        EXPECT_EQ(test::heapUsesIn([&] { rig.output().render(out); }), 0);
        return out;
    }

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
    test::Bytes halfRate = test::riffAndFormat(1, 22050, 16); // played as a converted copy
    sound.PlayImage(test::share(halfRate.id("data").u32(10000).samples(first).data), kSndAsync);
    render(256);
    sound.PlayImage(image, kSndAsync);
    EXPECT_EQ(render(1000), slice(ramp, 0, 1000));
    // The caller's only reference now holds another image: the sounding one plays on unchanged,
    // and is released on the UI thread once it has finished.
    image = imageOf(constant(3000, 1234));
    sound.pump();
    EXPECT_EQ(render(2500), slice(ramp, 1000, 2500));
    sound.pump();
    EXPECT_TRUE(watch.expired());
    sound.PlayFile(waveFile("note.wav", ramp));
    EXPECT_EQ(render(600), slice(ramp, 0, 600));
    // A start that cannot play (no image, a broken one, a missing file) still cuts off.
    for (int i = 0; i < 3; ++i) {
        sound.PlayImage(imageOf(first), kSndAsync);
        render(10);
        if (i < 2)
            sound.PlayImage(i == 0 ? nullptr : std::make_shared<const SoundImage>(SoundImage{'n'}),
                            kSndAsync);
        else
            sound.PlayFile(folder.path() / "missing.wav");
        EXPECT_EQ(render(100), constant(100, 0)) << i;
    }
}

TEST_F(SoundServiceTest, AnAliasStillOpenIsNeitherOpenedAgainNorRestarted) {
    const auto ramp = test::rampSamples(2000);
    const std::string file = waveFile("7zz.zz", ramp);
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    const auto first = render(500);
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab")); // a held key repeating
    EXPECT_FALSE(sound.MciOpenPlay(file, "AB")); // aliases are told apart without case
    EXPECT_EQ(first, slice(ramp, 0, 500));
    EXPECT_EQ(render(500), slice(ramp, 500, 500));
    // Finished but not closed: still open, so still refused.
    render(2000);
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(render(100), constant(100, 0));
}

TEST_F(SoundServiceTest, EachStopSilencesOnlyWhatItNames) {
    const std::string file = waveFile("7zz.zz", constant(3000, 77));
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    ASSERT_TRUE(sound.MciOpenPlay(waveFile("1zz.zz", constant(3000, 5)), "q1"));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync);
    render(100);
    sound.MciStopClose("zz"); // never opened: nothing changes
    sound.MciStopClose("");
    EXPECT_EQ(render(100), constant(100, 132));
    // The memory channel alone, twice: the second stop finds nothing sounding.
    sound.StopAllSound();
    EXPECT_EQ(render(100), constant(100, 82));
    sound.StopAllSound();
    EXPECT_EQ(render(100), constant(100, 82));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync); // a start after a stop plays again
    EXPECT_EQ(render(100), constant(100, 132));
    // One alias, whose name is then free again.
    sound.MciStopClose("ab");
    EXPECT_EQ(render(100), constant(100, 55));
    EXPECT_TRUE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(render(10), constant(10, 132));
}

TEST_F(SoundServiceTest, OpenFailsWithoutAPlayableFileLeavingNoAliasAndTakesAGivenContent) {
    EXPECT_FALSE(sound.MciOpenPlay("", "ab"));
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "missing").string(), "ab"));
    test::writeFile(folder.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "text.wav").string(), "ab"));
    EXPECT_EQ(render(100), constant(100, 0));
    // None of the failures left the alias open. A relative name is looked up in the working
    // folder.
    waveFile("12zz.zz", constant(10, 12));
    sound.setWorkingFolder(folder.path());
    EXPECT_TRUE(sound.MciOpenPlay("12zz.zz", "ab"));
    EXPECT_EQ(render(10), constant(10, 12));
    // The file on disk is stale or missing; the content known to match it is what sounds.
    const std::string file = waveFile("3zz.zz", constant(100, 7));
    EXPECT_TRUE(sound.MciOpenPlay(file, "cd", imageOf(constant(100, 40))));
    EXPECT_TRUE(
        sound.MciOpenPlay((folder.path() / "missing").string(), "ef", imageOf(constant(100, 2))));
    EXPECT_EQ(render(10), constant(10, 42));
    EXPECT_FALSE(sound.MciOpenPlay(file, "cd", imageOf(constant(100, 1)))); // still open
    EXPECT_FALSE(sound.MciOpenPlay("", "gh", imageOf(constant(100, 1))));
}

TEST_F(SoundServiceTest, NoteSoundsAtItsGainUntilItsFadedCloseWhichAnotherOpenDoesNotCutOff) {
    ASSERT_TRUE(sound.PlayNote("n60", imageOf(constant(20000, 10000)), 0.5F));
    EXPECT_FALSE(sound.PlayNote("N60", imageOf(constant(100, 1)), 1.0F)); // still open
    EXPECT_FALSE(sound.PlayNote("n61", nullptr, 1.0F));
    EXPECT_EQ(render(100), constant(100, 5000));
    sound.FadeNoteClose("n60");
    sound.FadeNoteClose("unknown"); // harmless
    // The letter keys' MciOpenPlay takes another voice while the fade runs.
    ASSERT_TRUE(sound.MciOpenPlay("x.wav", "b", imageOf(constant(20000, 100))));
    const auto out = render(kReleaseFadeFrames + 10);
    EXPECT_EQ(out[0], 5100);
    EXPECT_EQ(out[kReleaseFadeFrames - 1],
              std::lrint(5000.0F / 220) + 100); // the last step of the fade
    EXPECT_EQ(out[kReleaseFadeFrames], 100);
    EXPECT_TRUE(sound.PlayNote("n60", imageOf(constant(10, 3)), 1.0F)); // the alias is free again
    EXPECT_EQ(render(10), constant(10, 103));
}

} // namespace
} // namespace zembera
