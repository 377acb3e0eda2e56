#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "service_rig.h"
#include "sound/mixer.h"

namespace zembera {
namespace {

using test::constant;
using test::pcmOf;
using test::slice;

std::vector<std::int16_t> render(Mixer& mixer, std::size_t frames, int channels = 1) {
    std::vector<std::int16_t> out(frames * static_cast<std::size_t>(channels), 0x5a5a);
    mixer.render(out.data(), frames, channels);
    return out;
}

TEST(Mixer, AliasVoicesAndTheMemoryChannelSum) {
    Mixer mixer;
    const auto a = test::rampSamples(500);
    const auto b = constant(200, -1000);
    mixer.playAlias(0, pcmOf(a));
    mixer.playAlias(kAliasVoices - 1, pcmOf(b));
    mixer.playMemory(pcmOf(constant(300, 7)));
    const auto out = render(mixer, 600);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int expected =
            (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0) + (i < 300 ? 7 : 0);
        ASSERT_EQ(out[i], std::clamp(expected, -32768, 32767)) << "frame " << i;
    }
    EXPECT_FALSE(mixer.playAlias(kAliasVoices, pcmOf(constant(10, 1)))); // no such voice
}

TEST(Mixer, SumsSaturateInsteadOfWrappingAndStayExactWithinRange) {
    Mixer mixer;
    for (std::size_t v = 0; v < 26; ++v)
        mixer.playAlias(v, pcmOf(constant(64, 1260)));
    mixer.playMemory(pcmOf(constant(64, -1)));
    EXPECT_EQ(render(mixer, 64), constant(64, 26 * 1260 - 1)); // 32759, no early clipping

    for (std::size_t v = 0; v < 26; ++v)
        mixer.playAlias(v, pcmOf(constant(100, 30000)));
    mixer.playMemory(pcmOf(constant(200, -30000)));
    // 26 * 30000 - 30000 saturates high; then the memory channel alone.
    EXPECT_EQ(render(mixer, 100), constant(100, 32767));
    EXPECT_EQ(render(mixer, 100), constant(100, -30000));

    for (std::size_t v = 0; v < 26; ++v)
        mixer.playAlias(v, pcmOf(constant(100, -30000)));
    EXPECT_EQ(render(mixer, 100), constant(100, -32768));
}

TEST(Mixer, SeveralChannelsRepeatEachSampleExactly) {
    Mixer mixer;
    const auto ramp = test::rampSamples(300);
    mixer.playMemory(pcmOf(ramp));
    const auto out = render(mixer, 300, 2);
    for (std::size_t i = 0; i < 300; ++i) {
        ASSERT_EQ(out[2 * i], ramp[i]);
        ASSERT_EQ(out[2 * i + 1], ramp[i]);
    }
}

TEST(Mixer, FinishedCutOffAndStoppedSoundsAreReleasedOnlyWhenCollected) {
    Mixer mixer;
    PcmSound finished = pcmOf(constant(100, 5));
    PcmSound cut = pcmOf(constant(10000, 1));
    PcmSound stopped = pcmOf(constant(10000, 2));
    const std::vector<std::weak_ptr<const void>> watches{finished.owner, cut.owner, stopped.owner};
    mixer.playAlias(1, std::move(finished));
    mixer.playMemory(std::move(cut));
    mixer.playAlias(0, std::move(stopped));
    render(mixer, 10);
    mixer.playMemory(pcmOf(constant(10, 3)));
    mixer.stopAlias(0);
    render(mixer, 256); // cuts off, stops, and plays the first to its end
    for (const auto& watch : watches)
        EXPECT_FALSE(watch.expired()) << "the audio side must not free a sound";
    mixer.collectGarbage();
    for (const auto& watch : watches)
        EXPECT_TRUE(watch.expired());
}

TEST(Mixer, AVoiceSoundsFromItsCommandUntilItsSoundRunsOutIsStoppedOrFadesAway) {
    Mixer mixer;
    const auto state = [&mixer] {
        return std::vector<bool>{mixer.memorySounding(), mixer.aliasSounding(0),
                                 mixer.aliasSounding(1), mixer.aliasSounding(2)};
    };
    EXPECT_EQ(state(), (std::vector<bool>{false, false, false, false}));
    mixer.playMemory(pcmOf(constant(300, 1)));
    mixer.playAlias(0, pcmOf(constant(100, 2)));
    mixer.playAlias(1, pcmOf(constant(10000, 3)));
    mixer.playAlias(2, pcmOf(constant(10000, 4)), 0.5F);
    // A command counts at once, before the audio side has taken it.
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true}));
    render(mixer, 99);
    EXPECT_EQ(state(), (std::vector<bool>{true, true, true, true}));
    render(mixer, 1); // alias 0 has run out
    EXPECT_EQ(state(), (std::vector<bool>{true, false, true, true}));
    mixer.stopAlias(1);
    mixer.fadeAlias(2);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, true, true})); // not yet taken
    render(mixer, 10);
    EXPECT_EQ(state(), (std::vector<bool>{true, false, false, true})); // still dying away
    render(mixer, kReleaseFadeFrames);
    EXPECT_EQ(state(), (std::vector<bool>{false, false, false, false}));
    mixer.playMemory(pcmOf(constant(1000, 5)));
    render(mixer, 10);
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
    EXPECT_EQ(
        std::count_if(watches.begin(), watches.end(), [](const auto& w) { return !w.expired(); }),
        0);
}

} // namespace
} // namespace zembera
