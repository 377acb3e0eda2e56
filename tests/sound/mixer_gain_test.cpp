// Voices below full level and voices dying away, checked on rendered buffers.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "service_rig.h"
#include "sound/mixer.h"

namespace zembera {
namespace {

using test::constant;
using test::pcmOf;

std::vector<std::int16_t> render(Mixer& mixer, std::size_t frames) {
    std::vector<std::int16_t> out(frames, 0x5a5a);
    mixer.render(out.data(), frames);
    return out;
}

TEST(MixerGain, EachStartsGainScalesWithRoundingAndFullGainIsExact) {
    Mixer mixer;
    const auto ramp = test::rampSamples(700);
    mixer.playAlias(0, pcmOf(ramp), 1.0F);
    auto out = render(mixer, 700);
    EXPECT_EQ(out, ramp);

    mixer.playAlias(0, pcmOf(ramp), 0.5F);
    mixer.playAlias(1, pcmOf(constant(700, 1001)), 0.25F);
    out = render(mixer, 700);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const long expected = std::lrint(ramp[i] * 0.5F) + std::lrint(1001 * 0.25F);
        ASSERT_EQ(out[i], expected) << "frame " << i;
    }
    mixer.playAlias(0, pcmOf(constant(10, 20000)), 0.0F);
    EXPECT_EQ(render(mixer, 10), constant(10, 0));
    mixer.playAlias(0, pcmOf(constant(10, 7))); // a new start takes its own (default) gain
    EXPECT_EQ(render(mixer, 10), constant(10, 7));
}

TEST(MixerGain, FadeFallsInAStraightLineToSilenceWithin5Ms) {
    ASSERT_EQ(kReleaseFadeFrames, 220u);
    Mixer mixer;
    mixer.playAlias(0, pcmOf(constant(10000, 22000)));
    render(mixer, 300);
    mixer.fadeAlias(0);
    const auto out = render(mixer, 600);
    EXPECT_EQ(out[0], 22000); // no step down at the release
    for (std::size_t i = 1; i < kReleaseFadeFrames; ++i) {
        ASSERT_LT(out[i], out[i - 1]) << i;
        ASSERT_LE(out[i - 1] - out[i], 101) << i; // at most 22000/220 per frame: no click
    }
    EXPECT_EQ(out[kReleaseFadeFrames - 1], 100); // the last step
    for (std::size_t i = kReleaseFadeFrames; i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << i;
    // A voice that has died away plays again from its start at full level.
    mixer.playAlias(0, pcmOf(constant(10, 7)));
    EXPECT_EQ(render(mixer, 10), constant(10, 7));
}

TEST(MixerGain, FadeStartsFromTheVoicesGainAndSpansChunks) {
    Mixer mixer;
    mixer.playAlias(0, pcmOf(constant(10000, 16000)), 0.5F);
    render(mixer, kMixChunkFrames - 100); // the fade crosses a chunk boundary
    mixer.fadeAlias(0);
    mixer.fadeAlias(0); // a second release does not restart the fade
    const auto out = render(mixer, 400);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[kReleaseFadeFrames - 1], std::lrint(8000.0F / kReleaseFadeFrames));
    EXPECT_EQ(out[kReleaseFadeFrames], 0);
}

TEST(MixerGain, FadingASilentOrEndingVoiceDoesNothingMore) {
    Mixer mixer;
    EXPECT_TRUE(mixer.fadeAlias(5));
    EXPECT_FALSE(mixer.fadeAlias(kAliasVoices));
    EXPECT_EQ(render(mixer, 10), constant(10, 0));
    mixer.playAlias(5, pcmOf(constant(50, 300)));
    mixer.fadeAlias(5); // the sound ends before its fade does
    const auto out = render(mixer, 100);
    EXPECT_EQ(out[0], 300);
    EXPECT_GT(out[49], 0);
    EXPECT_EQ(out[50], 0);
    // The memory channel and other voices go on at full level meanwhile.
    mixer.playMemory(pcmOf(constant(20, -5)));
    mixer.playAlias(6, pcmOf(constant(300, 1000)));
    mixer.fadeAlias(5);
    EXPECT_EQ(render(mixer, 20), constant(20, 995));
}

} // namespace
} // namespace zembera
