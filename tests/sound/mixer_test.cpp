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

TEST(Mixer, RendersSilenceWithNothingPlaying) {
    Mixer mixer;
    EXPECT_EQ(render(mixer, 300), constant(300, 0));
}

TEST(Mixer, MemoryChannelPlaysASoundOnceThenFallsSilent) {
    Mixer mixer;
    const auto ramp = test::rampSamples(700);
    ASSERT_TRUE(mixer.playMemory(pcmOf(ramp)));
    EXPECT_EQ(render(mixer, 300), slice(ramp, 0, 300));
    EXPECT_EQ(render(mixer, 300), slice(ramp, 300, 300));
    EXPECT_EQ(render(mixer, 300), slice(ramp, 600, 300)); // 100 frames, then silence
    EXPECT_EQ(render(mixer, 300), constant(300, 0));
}

TEST(Mixer, NewMemorySoundCutsOffTheSoundingOne) {
    Mixer mixer;
    const auto first = constant(1000, 111);
    const auto second = test::rampSamples(400);
    mixer.playMemory(pcmOf(first));
    render(mixer, 256);
    mixer.playMemory(pcmOf(second));
    // Only the new sound from its first frame: the rest of the first one never sounds.
    EXPECT_EQ(render(mixer, 1000), slice(second, 0, 1000));
}

TEST(Mixer, StopSilencesTheMemoryChannelAndANewStartPlaysAgain) {
    Mixer mixer;
    const auto tone = constant(1000, 222);
    mixer.playMemory(pcmOf(tone));
    render(mixer, 100);
    mixer.stopMemory();
    EXPECT_EQ(render(mixer, 500), constant(500, 0));
    mixer.playMemory(pcmOf(tone));
    EXPECT_EQ(render(mixer, 100), constant(100, 222));
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
}

TEST(Mixer, StoppingOneAliasLeavesTheOthersSounding) {
    Mixer mixer;
    mixer.playAlias(3, pcmOf(constant(1000, 10)));
    mixer.playAlias(4, pcmOf(constant(1000, 100)));
    render(mixer, 10);
    mixer.stopAlias(3);
    EXPECT_EQ(render(mixer, 50), constant(50, 100));
    EXPECT_FALSE(mixer.playAlias(kAliasVoices, pcmOf(constant(10, 1)))); // no such voice
}

TEST(Mixer, ManyLoudVoicesSaturateInsteadOfWrapping) {
    Mixer mixer;
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

TEST(Mixer, SumsWithinRangeStayExactWhateverTheVoiceCount) {
    Mixer mixer;
    for (std::size_t v = 0; v < 26; ++v)
        mixer.playAlias(v, pcmOf(constant(64, 1260)));
    mixer.playMemory(pcmOf(constant(64, -1)));
    EXPECT_EQ(render(mixer, 64), constant(64, 26 * 1260 - 1)); // 32759, no early clipping
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

TEST(Mixer, FinishedSoundsAreReleasedOnlyWhenCollected) {
    Mixer mixer;
    PcmSound sound = pcmOf(constant(100, 5));
    const std::weak_ptr<const void> watch = sound.owner;
    mixer.playMemory(std::move(sound));
    render(mixer, 256); // plays it to its end
    EXPECT_FALSE(watch.expired()) << "the audio side must not free the sound";
    mixer.collectGarbage();
    EXPECT_TRUE(watch.expired());
}

TEST(Mixer, CutOffAndStoppedSoundsGoBackToTheUiThreadToo) {
    Mixer mixer;
    PcmSound cut = pcmOf(constant(10000, 1));
    PcmSound stopped = pcmOf(constant(10000, 2));
    const std::weak_ptr<const void> watchCut = cut.owner;
    const std::weak_ptr<const void> watchStopped = stopped.owner;
    mixer.playMemory(std::move(cut));
    mixer.playAlias(0, std::move(stopped));
    render(mixer, 10);
    mixer.playMemory(pcmOf(constant(10, 3)));
    mixer.stopAlias(0);
    render(mixer, 10);
    EXPECT_FALSE(watchCut.expired());
    EXPECT_FALSE(watchStopped.expired());
    mixer.collectGarbage();
    EXPECT_TRUE(watchCut.expired());
    EXPECT_TRUE(watchStopped.expired());
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
    const auto waitForRenders = [&](int count) {
        const int target = renders.load() + count;
        while (renders.load() < target)
            std::this_thread::yield();
    };

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
    waitForRenders(2); // the stops have been applied
    running = false;
    audio.join();
    mixer.collectGarbage();

    std::size_t alive = 0;
    for (const auto& watch : watches)
        alive += watch.expired() ? 0 : 1;
    EXPECT_EQ(alive, 0u);
}

} // namespace
} // namespace zembera
