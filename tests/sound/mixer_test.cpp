#include "sound/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "service_rig.h"

namespace zembera {
namespace {

using test::constant;
using test::pcmOf;

std::vector<std::int16_t> render(Mixer& mixer, std::size_t frames, int channels = 1) {
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels), 0x5a5a);
    mixer.render(out.data(), frames, channels);
    return out;
}

// Voices sum exactly up to the limits, then saturate instead of wrapping, in every channel.
TEST(Mixer, VoicesSumSaturatingInEveryChannel) {
    Mixer mixer;
    EXPECT_FALSE(mixer.playAlias(kAliasVoices, pcmOf(constant(10, 1)))); // no such voice
    for (const auto& [value, memory, expected] :
         {std::tuple{1260, -1, 26 * 1260 - 1}, {30000, -30000, 32767}, {-30000, 0, -32768}}) {
        for (std::size_t v = 0; v < 26; ++v)
            mixer.playAlias(v, pcmOf(constant(64, static_cast<std::int16_t>(value))));
        mixer.playMemory(pcmOf(constant(64, static_cast<std::int16_t>(memory))));
        EXPECT_EQ(render(mixer, 64, 2), constant(128, static_cast<std::int16_t>(expected)))
            << value;
    }
}

TEST(Mixer, GainScalesWithRoundingAndAFadeFallsInAStraightLineToSilenceWithin5Ms) {
    ASSERT_EQ(kReleaseFadeFrames, 220u);
    Mixer mixer;
    const auto ramp = test::rampSamples(700);
    mixer.playAlias(0, pcmOf(ramp), 0.5F);
    mixer.playAlias(1, pcmOf(constant(700, 1001)), 0.25F);
    auto out = render(mixer, 700);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], std::lrint(ramp[i] * 0.5F) + std::lrint(1001 * 0.25F)) << "frame " << i;
    mixer.playAlias(0, pcmOf(constant(10, 20000)), 0.0F);
    EXPECT_EQ(render(mixer, 10), constant(10, 0));

    mixer.playAlias(0, pcmOf(constant(10000, 22000))); // a new start at its own (full) gain
    render(mixer, 300);
    mixer.fadeAlias(0);
    out = render(mixer, 600);
    EXPECT_EQ(out[0], 22000); // no step down at the release
    for (std::size_t i = 1; i < kReleaseFadeFrames; ++i)
        ASSERT_TRUE(out[i] < out[i - 1] && out[i - 1] - out[i] <= 101) << i; // no click
    EXPECT_EQ(out[kReleaseFadeFrames - 1], 100);                             // the last step
    EXPECT_EQ(test::slice(out, kReleaseFadeFrames, 380), constant(380, 0));

    // A sound that ends before its fade; the memory channel and other voices go on meanwhile.
    EXPECT_FALSE(mixer.fadeAlias(kAliasVoices));
    mixer.playAlias(5, pcmOf(constant(50, 300)));
    mixer.playAlias(6, pcmOf(constant(300, 1000)));
    mixer.playMemory(pcmOf(constant(20, -5)));
    mixer.fadeAlias(5);
    out = render(mixer, 100);
    EXPECT_EQ(out[0], 1295);
    EXPECT_EQ(out[20], 1000 + std::lrint(300 * 200.0F / 220));
    EXPECT_EQ(out[50], 1000);
}

} // namespace
} // namespace zembera
