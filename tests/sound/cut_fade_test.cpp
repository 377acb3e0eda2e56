// No sound is ever cut off in a step, whichever way it ends: a new start on the memory channel, a
// stop, an alias closed (faded or not), a start with nothing to play, a restarted alias voice.
// The output is pulled in device buffers, and at each cut its largest step from frame to frame
// is held to what the fade allows (what sounds beside a fade: sound_service_test.cpp).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "engine/mixer.h"
#include "engine/sound_limits.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace {

constexpr int kPeak = 20000;
// One period every four device buffers: a tone started on a buffer's first frame is at a peak,
// its loudest, on every odd buffer boundary after, where the cuts below fall.
constexpr std::size_t kPeriod = 4 * kDeviceBufferFrames;

std::vector<std::int16_t> tone() {
    std::vector<std::int16_t> v(20 * kPeriod);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::int16_t>(
            std::lround(kPeak * std::sin(2 * std::numbers::pi * static_cast<double>(i) / kPeriod)));
    return v;
}

int largestStep(const std::vector<std::int16_t>& x, std::size_t from, std::size_t to) {
    int step = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i < std::min(to, x.size()); ++i)
        step = std::max(step, std::abs(x[i] - x[i - 1]));
    return step;
}

// The largest step the output may take around a cut with `voices` voices sounding through it
// (the ones cut off among them): each changes by at most the tone's own largest step from frame
// to frame, and one cut off falls on top of that by at most its peak over kReleaseFadeFrames,
// the slope of the fade; each adds one for the rounding of its scaled samples.
int allowedStep(int voices) {
    const int own = largestStep(tone(), 0, kPeriod);
    const int slope = static_cast<int>(std::ceil(static_cast<double>(kPeak) / kReleaseFadeFrames));
    return voices * (own + slope + 1);
}

struct Cut {
    std::size_t frame;
    int voices;
    std::string what;
};

// Pulls the output in device buffers while the test sends its commands between them, as the UI
// thread does while the audio thread plays.
class Buffers {
  public:
    explicit Buffers(const std::function<void(std::int16_t*, std::size_t)>& render)
        : render_(render) {}
    void pull(std::size_t buffers = 1) {
        for (std::size_t b = 0; b < buffers; ++b) {
            const std::size_t at = out.size();
            out.resize(at + kDeviceBufferFrames);
            render_(out.data() + at, kDeviceBufferFrames);
        }
    }
    // A cut made now, before the next buffer, among `voices` voices sounding through it.
    void cut(int voices, std::string what) {
        ASSERT_GT(std::abs(out.back()), kPeak / 3) << what << ": a cut meant at a loud moment";
        cuts.push_back({out.size(), voices, std::move(what)});
    }
    // Each cut's largest step, over the cut and its fade, is within what the fade allows.
    void expectNoClicks() const {
        ASSERT_FALSE(cuts.empty());
        for (const Cut& cut : cuts) {
            const int step = largestStep(out, cut.frame, cut.frame + kReleaseFadeFrames + 2);
            EXPECT_LE(step, allowedStep(cut.voices)) << cut.what << " at frame " << cut.frame;
        }
        EXPECT_LE(largestStep(out, 0, out.size()), allowedStep(3));
    }

    std::vector<std::int16_t> out;
    std::vector<Cut> cuts;

  private:
    std::function<void(std::int16_t*, std::size_t)> render_;
};

TEST(CutFade, EveryWayTheServiceEndsASoundDiesAwayWithoutAClick) {
    test::ServiceRig rig;
    SoundService& sound = rig.sound;
    Buffers buffers([&](std::int16_t* out, std::size_t n) { rig.output().render({out, n}); });
    const auto note = test::imageOf(tone());

    sound.PlayImage(note, kSndAsync);
    buffers.pull();
    buffers.cut(2, "a new start on the memory channel");
    sound.PlayImage(note, kSndAsync);
    buffers.pull(2);
    sound.PlayImage(note, kSndAsync);
    buffers.pull();
    buffers.cut(1, "the stop");
    sound.StopAllSound();
    buffers.pull(2);
    EXPECT_EQ(buffers.out.back(), 0);

    sound.PlayImage(note, kSndAsync);
    buffers.pull();
    buffers.cut(1, "a start that cannot play");
    sound.PlayImage(nullptr, kSndAsync);
    buffers.pull(2);

    ASSERT_TRUE(sound.MciOpenPlay("a.wav", "a", note));
    ASSERT_TRUE(sound.PlayNote("n", note, 0.5F));
    sound.PlayImage(note, kSndAsync);
    buffers.pull();
    buffers.cut(3, "an alias closed");
    sound.MciStopClose("a");
    buffers.pull(2);
    buffers.cut(2, "a note's faded close and the memory channel's stop together");
    sound.FadeNoteClose("n");
    sound.StopAllSound();
    buffers.pull(2);
    EXPECT_EQ(buffers.out.back(), 0);
    buffers.expectNoClicks();
}

// An alias voice started again cuts off its sound as the memory channel does; a burst of cuts
// within one fade, more than there are fading voices, still leaves no click larger than the
// quietest fading sound at that moment.
TEST(CutFade, RestartsAndBurstsOfCutsOnTheMixerDieAwayWithoutAClick) {
    Mixer mixer;
    Buffers buffers([&](std::int16_t* out, std::size_t n) { mixer.render(out, n, 1); });
    const PcmSound note = *decodeWav(test::imageOf(tone()));
    ASSERT_TRUE(mixer.playAlias(3, note));
    buffers.pull();
    buffers.cut(2, "an alias voice started again");
    ASSERT_TRUE(mixer.playAlias(3, note));
    buffers.pull(3);
    buffers.cut(1, "an alias voice stopped");
    ASSERT_TRUE(mixer.stopAlias(3));
    buffers.pull(2);
    buffers.expectNoClicks();

    // Starts cut on the frame they began were never heard: they go without a fade, and do not
    // pile up in the fading voices.
    Mixer burst;
    Buffers once([&](std::int16_t* out, std::size_t n) { burst.render(out, n, 1); });
    ASSERT_TRUE(burst.playMemory(note));
    once.pull();
    once.cut(1, "new starts cut on the frame they began");
    for (std::size_t i = 0; i < kFadingVoices + 10; ++i) {
        ASSERT_TRUE(burst.playMemory(note));
        if (i % 64 == 63) burst.render(nullptr, 0); // the command ring holds 256
    }
    once.pull(2);
    once.expectNoClicks();
}

// More cuts within one fade than there are fading voices: the quietest fading sounds are cut
// short, never the loud one dying away beside them.
TEST(CutFade, WhenEveryFadingVoiceIsTakenTheQuietestIsCutShort) {
    Mixer mixer;
    Buffers buffers([&](std::int16_t* out, std::size_t n) { mixer.render(out, n, 1); });
    constexpr std::int16_t kQuiet = 10;
    const PcmSound loud = *decodeWav(test::imageOf(tone()));
    const PcmSound quiet = *decodeWav(test::imageOf(test::constant(1000, kQuiet)));
    ASSERT_TRUE(mixer.playAlias(0, loud));
    buffers.pull();
    buffers.cut(1, "a loud note among many quiet ones");
    ASSERT_TRUE(mixer.stopAlias(0));
    std::int16_t frame;
    for (std::size_t i = 0; i < kFadingVoices + 20; ++i) { // each sounds one frame, then is cut
        ASSERT_TRUE(mixer.playMemory(quiet));
        mixer.render(&frame, 1, 1);
        buffers.out.push_back(frame);
    }
    buffers.pull(2);
    // Each frame the loud fade moves as allowedStep(1) allows, each quiet fading voice by at
    // most its slope and rounding, and one quiet voice is cut short while another starts.
    const int allowed = allowedStep(1) + 2 * static_cast<int>(kFadingVoices) + 2 * kQuiet;
    EXPECT_LE(largestStep(buffers.out, 1, buffers.out.size()), allowed);
}

} // namespace
} // namespace zembera
