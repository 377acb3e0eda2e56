#include "sound/mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
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

TEST(Mixer, VoicesSumSaturatingInEveryChannel) {
    Mixer mixer;
    const auto a = test::rampSamples(500);
    mixer.playAlias(0, pcmOf(a));
    mixer.playAlias(kAliasVoices - 1, pcmOf(constant(200, -1000)));
    mixer.playMemory(pcmOf(constant(300, 7)));
    EXPECT_FALSE(mixer.playAlias(kAliasVoices, pcmOf(constant(10, 1)))); // no such voice
    const auto out = render(mixer, 600, 2);
    for (std::size_t i = 0; i < 600; ++i) {
        const int sum = (i < a.size() ? a[i] : 0) + (i < 200 ? -1000 : 0) + (i < 300 ? 7 : 0);
        ASSERT_EQ(out[2 * i], std::clamp(sum, -32768, 32767)) << "frame " << i;
        ASSERT_EQ(out[2 * i + 1], out[2 * i]) << "frame " << i;
    }
    // Exact up to the limits, then saturated instead of wrapped.
    for (const auto& [value, memory, expected] :
         {std::tuple{1260, -1, 26 * 1260 - 1}, {30000, -30000, 32767}, {-30000, 0, -32768}}) {
        for (std::size_t v = 0; v < 26; ++v)
            mixer.playAlias(v, pcmOf(constant(64, static_cast<std::int16_t>(value))));
        mixer.playMemory(pcmOf(constant(64, static_cast<std::int16_t>(memory))));
        EXPECT_EQ(render(mixer, 64), constant(64, static_cast<std::int16_t>(expected))) << value;
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

    // From the voice's gain, across a chunk boundary; a second release does not restart it.
    mixer.playAlias(0, pcmOf(constant(10000, 16000)), 0.5F);
    render(mixer, kMixChunkFrames - 100);
    mixer.fadeAlias(0);
    mixer.fadeAlias(0);
    out = render(mixer, 400);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[kReleaseFadeFrames - 1], std::lrint(8000.0F / kReleaseFadeFrames));
    EXPECT_EQ(out[kReleaseFadeFrames], 0);

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

TEST(Mixer, AVoiceSoundsUntilItsSoundRunsOutIsStoppedOrFadesAwayAndIsReleasedWhenCollected) {
    Mixer mixer;
    const auto state = [&mixer] {
        return std::vector<bool>{mixer.memorySounding(), mixer.aliasSounding(0),
                                 mixer.aliasSounding(1), mixer.aliasSounding(2)};
    };
    EXPECT_EQ(state(), (std::vector<bool>{false, false, false, false}));
    std::vector<PcmSound> sounds{pcmOf(constant(300, 1)), pcmOf(constant(100, 2)),
                                 pcmOf(constant(10000, 3)), pcmOf(constant(10000, 4))};
    std::vector<std::weak_ptr<const void>> watches;
    for (const std::size_t i : {0, 2, 3}) // a cut-off, a stopped and a faded one
        watches.push_back(sounds[i].owner);
    mixer.playMemory(std::move(sounds[0]));
    mixer.playAlias(0, std::move(sounds[1]));
    mixer.playAlias(1, std::move(sounds[2]));
    mixer.playAlias(2, std::move(sounds[3]), 0.5F);
    // A command counts at once, before the audio side has taken it.
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true}));
    render(mixer, 99);
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true}));
    render(mixer, 1); // alias 0 has run out
    EXPECT_EQ(state(), (std::vector<bool>{true, false, true, true}));
    mixer.stopAlias(1);
    mixer.fadeAlias(2);
    mixer.playMemory(pcmOf(constant(1000, 5)));                       // cuts off the first
    EXPECT_EQ(state(), (std::vector<bool>{true, false, true, true})); // not yet taken
    render(mixer, 10);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, false, true})); // still dying away
    render(mixer, kReleaseFadeFrames);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, false, false}));
    for (const auto& watch : watches)
        EXPECT_FALSE(watch.expired()) << "the audio side must not free a sound";
    mixer.collectGarbage();
    for (const auto& watch : watches)
        EXPECT_TRUE(watch.expired());
    mixer.playMemory({}); // an empty sound cuts it off
    EXPECT_TRUE(mixer.memorySounding());
    render(mixer, 1);
    EXPECT_FALSE(mixer.memorySounding());
    EXPECT_FALSE(mixer.aliasSounding(kAliasVoices)); // no such voice
}

TEST(Mixer, RefusesCommandsWhileTheAudioSideIsNotRenderingAndRecovers) {
    Mixer mixer;
    std::size_t accepted = 0;
    while (mixer.stopMemory())
        ++accepted;
    EXPECT_EQ(accepted, kCommandCapacity);
    EXPECT_EQ(SpscRing<int>(kCommandCapacity - 5).capacity(), kCommandCapacity); // rounded up
    EXPECT_FALSE(mixer.playMemory(pcmOf(constant(10, 9))));
    render(mixer, 1);
    ASSERT_TRUE(mixer.playMemory(pcmOf(constant(10, 9))));
    EXPECT_EQ(render(mixer, 10), constant(10, 9));
}

TEST(Mixer, ConcurrentRenderingGivesEverySoundBack) {
    Mixer mixer;
    std::atomic<bool> running{true};
    std::atomic<int> renders{0};
    std::thread audio([&] {
        std::int16_t buffer[64];
        while (running.load()) {
            mixer.render(buffer, 64, 1);
            renders.fetch_add(1);
        }
    });
    std::vector<std::weak_ptr<const void>> watches;
    for (int i = 0; i < 3000; ++i) {
        PcmSound sound = pcmOf(constant(static_cast<std::size_t>(50 + i % 300), 1));
        watches.push_back(sound.owner);
        const std::size_t voice = static_cast<std::size_t>(i) % 8;
        while (!(voice == 0 ? mixer.playMemory(sound) : mixer.playAlias(voice, sound)))
            std::this_thread::yield();
        if (i % 7 == 0) mixer.stopAlias(3);
    }
    while (!mixer.stopMemory())
        std::this_thread::yield();
    for (std::size_t v = 1; v < 8; ++v)
        while (!mixer.stopAlias(v))
            std::this_thread::yield();
    // Two more renders: the stops have been applied.
    for (const int target = renders.load() + 2; renders.load() < target;)
        std::this_thread::yield();
    running = false;
    audio.join();
    mixer.collectGarbage();
    EXPECT_EQ(std::count_if(watches.begin(), watches.end(), [](auto& w) { return !w.expired(); }),
              0);
}

} // namespace
} // namespace zembera
