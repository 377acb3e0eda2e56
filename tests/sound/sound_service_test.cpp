// The sound service over the one mixer, pulled as the audio thread pulls it: every render must
// leave the heap alone (heapUsesIn, render_allocation_test.cpp).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "engine/mixer.h"
#include "engine/sound_limits.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace test {
int heapUsesIn(const std::function<void()>& action); // render_allocation_test.cpp
}
namespace {

using test::constant;
using test::dying;
using test::imageOf;
using test::slice;
using test::sumsTo;
using test::widened;

class SoundServiceTest : public ::testing::Test {
  protected:
    std::vector<std::int16_t> render(std::size_t frames) {
        std::vector<std::int16_t> out(frames, 0x5a5a);
        EXPECT_EQ(test::heapUsesIn([&] { rig.output().render(out); }), 0);
        return out;
    }

    std::string waveFile(const std::string& name, const std::vector<std::int16_t>& samples) {
        test::writeFile(folder.path() / name, test::canonicalWav(samples));
        return (folder.path() / name).string();
    }

    test::TempDir folder;
    test::ServiceRig rig;
    SoundService& sound = rig.sound;
};

// Every start on the memory channel cuts off the sounding one, also one that cannot play: the
// new one sounds from its first frame at once while the old one dies away. The image sounds on
// after the caller drops it, and is released on the UI thread once finished.
TEST_F(SoundServiceTest, EveryStartOnTheMemoryChannelCutsOffTheSoundingOne) {
    const auto first = constant(5000, 300);
    const auto ramp = test::rampSamples(3000);
    SoundImagePtr image = imageOf(ramp);
    const std::weak_ptr<const SoundImage> watch = image;
    test::Bytes halfRate = test::riffAndFormat(1, 22050, 16); // played as a converted copy
    sound.PlayImage(test::share(halfRate.id("data").u32(10000).samples(first).data), kSndAsync);
    render(256);
    sound.PlayImage(image, kSndAsync);
    EXPECT_TRUE(sumsTo(render(1000), widened(slice(ramp, 0, 1000)), dying(300, 0, 1000)));
    image = imageOf(constant(3000, 1234));
    sound.pump();
    EXPECT_EQ(render(2500), slice(ramp, 1000, 2500));
    sound.pump();
    EXPECT_TRUE(watch.expired());
    sound.PlayDecoded(*decodeWav(imageOf(ramp)));
    EXPECT_EQ(render(600), slice(ramp, 0, 600));
    for (int i = 0; i < 3; ++i) {
        sound.PlayImage(imageOf(first), kSndAsync);
        render(kReleaseFadeFrames); // the note before dies away
        EXPECT_EQ(render(10), constant(10, 300));
        if (i < 2)
            sound.PlayImage(i == 0 ? nullptr : std::make_shared<const SoundImage>(SoundImage{'n'}),
                            kSndAsync);
        else
            sound.PlayDecoded(PcmSound{});
        EXPECT_TRUE(sumsTo(render(kReleaseFadeFrames), widened(constant(kReleaseFadeFrames, 0)),
                           dying(300, 0, kReleaseFadeFrames)))
            << i;
        EXPECT_EQ(render(100), constant(100, 0)) << i;
    }
}

// An open alias is neither opened again (a held key repeating, any case) nor restarted, even
// once finished; a failed open leaves no alias; each stop silences only what it names.
TEST_F(SoundServiceTest, AliasesOpenOncePlayTogetherAndStopOnlyWhatTheyName) {
    const auto ramp = test::rampSamples(2000);
    const std::string file = waveFile("7zz.zz", ramp);
    EXPECT_FALSE(sound.MciOpenPlay("", "ab"));
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "missing").string(), "ab"));
    test::writeFile(folder.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(sound.MciOpenPlay((folder.path() / "text.wav").string(), "ab"));
    ASSERT_TRUE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(render(500), slice(ramp, 0, 500));
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab"));
    EXPECT_FALSE(sound.MciOpenPlay(file, "AB"));
    EXPECT_EQ(render(2000), slice(ramp, 500, 2000));
    EXPECT_FALSE(sound.MciOpenPlay(file, "ab"));
    EXPECT_EQ(render(100), constant(100, 0));
    sound.MciStopClose("ab");

    // Given content is what sounds, whatever the file.
    ASSERT_TRUE(sound.MciOpenPlay(waveFile("12zz.zz", constant(3000, 77)), "ab"));
    ASSERT_TRUE(sound.MciOpenPlay("missing", "q1", imageOf(constant(3000, 5))));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync);
    render(100);
    sound.MciStopClose("zz"); // never opened: nothing changes
    sound.MciStopClose("");
    EXPECT_EQ(render(100), constant(100, 132));
    sound.StopAllSound(); // the memory channel alone, dying away
    EXPECT_TRUE(sumsTo(render(300), widened(constant(300, 82)), dying(50, 0, 300)));
    sound.PlayImage(imageOf(constant(3000, 50)), kSndAsync); // a start after a stop plays again
    EXPECT_EQ(render(100), constant(100, 132));
    sound.MciStopClose("ab"); // one alias alone
    EXPECT_TRUE(sumsTo(render(300), widened(constant(300, 55)), dying(77, 0, 300)));
}

// A note sounds at its gain, rounded; its faded close falls in a straight line to silence within
// 5 ms, without a step or a click, while another voice goes on; a short note ends before it.
TEST_F(SoundServiceTest, NoteSoundsAtItsGainUntilItsFadedCloseDiesAwayWithoutAClick) {
    const auto ramp = test::rampSamples(700);
    ASSERT_TRUE(sound.PlayNote("n60", imageOf(ramp), 0.5F));
    EXPECT_FALSE(sound.PlayNote("N60", imageOf(constant(100, 1)), 1.0F)); // still open
    EXPECT_FALSE(sound.PlayNote("n61", nullptr, 1.0F));
    auto out = render(700);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], std::lrint(ramp[i] * 0.5F)) << "frame " << i;
    sound.FadeNoteClose("n60");
    ASSERT_TRUE(sound.PlayNote("n60", imageOf(constant(20000, 22000)), 1.0F));
    ASSERT_TRUE(sound.PlayNote("n50", imageOf(constant(50, 300)), 1.0F));
    render(1);
    sound.FadeNoteClose("n60");
    sound.FadeNoteClose("n50");
    sound.FadeNoteClose("unknown"); // harmless
    // The letter keys' MciOpenPlay takes another voice while the fades run.
    ASSERT_TRUE(sound.MciOpenPlay("x.wav", "b", imageOf(constant(20000, 100))));
    out = render(kReleaseFadeFrames + 10);
    EXPECT_EQ(out[0], 22400);
    EXPECT_EQ(out[20],
              100 + std::lrint(22000 * (1.0F / 220 * 200)) + std::lrint(300 * (1.0F / 220 * 200)));
    for (std::size_t i = 51; i < kReleaseFadeFrames; ++i)
        ASSERT_TRUE(out[i] < out[i - 1] && out[i - 1] - out[i] <= 101) << i;
    EXPECT_EQ(out[kReleaseFadeFrames - 1], 200); // the last step
    EXPECT_EQ(out[kReleaseFadeFrames], 100);
    EXPECT_TRUE(sound.PlayNote("n60", imageOf(constant(10, 3)), 1.0F)); // the alias is free again
    EXPECT_EQ(render(10), constant(10, 103));
}

// Voices sum exactly up to the limits, then saturate instead of wrapping, in every channel of a
// device that gives two.
TEST(Mixer, VoicesSumSaturatingInEveryChannel) {
    Mixer mixer;
    const auto pcm = [](int value) {
        return *decodeWav(imageOf(constant(64, static_cast<std::int16_t>(value))));
    };
    EXPECT_FALSE(mixer.playAlias(kAliasVoices, pcm(1))); // no such voice
    for (const auto& [value, memory, expected] :
         {std::tuple{1260, -1, 26 * 1260 - 1}, {30000, -30000, 32767}, {-30000, 0, -32768}}) {
        for (std::size_t v = 0; v < 26; ++v)
            mixer.playAlias(v, pcm(value));
        mixer.playMemory(pcm(memory));
        std::vector<std::int16_t> out(128, 0x5a5a);
        mixer.render(out.data(), 64, 2);
        EXPECT_EQ(out, constant(128, static_cast<std::int16_t>(expected))) << value;
    }
}

} // namespace
} // namespace zembera
