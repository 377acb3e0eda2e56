#include "sound/mixer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "service_rig.h"

// Counts heap use while `counting` is set; every form is replaced, as a sanitizer supplies its own.
namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};
std::atomic<int> frees{0};
void* volatile escaped = nullptr; // allocations stored here cannot be left out by the compiler

void* allocate(std::size_t size, std::size_t alignment) {
    if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
    if (size == 0) size = 1;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(size)
                  : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (!p) throw std::bad_alloc();
    return p;
}

void release(void* p) noexcept {
    if (p && counting.load(std::memory_order_relaxed)) frees.fetch_add(1);
    std::free(p);
}

// Runs `action` with the counter on; gives the allocations and frees it made.
template <typename F> std::pair<int, int> counted(F&& action) {
    allocations = 0;
    frees = 0;
    counting = true;
    action();
    counting = false;
    return {allocations.load(), frees.load()};
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new[](std::size_t size) {
    return allocate(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return allocate(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}

namespace zembera {
namespace {

using test::constant;
using test::imageOf;
using test::pcmOf;
using ::testing::Each;
using ::testing::Property;
using Watch = std::weak_ptr<const void>;

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
    std::vector<Watch> watches;
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
    EXPECT_THAT(watches, Each(Property(&Watch::expired, false))) << "freed on the audio side";
    mixer.collectGarbage();
    EXPECT_THAT(watches, Each(Property(&Watch::expired, true)));
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
    std::vector<Watch> watches;
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
    EXPECT_THAT(watches, Each(Property(&Watch::expired, true)));
}

TEST(RenderAllocation, RenderingAtAnyGainOrFadeNeverAllocatesOrFrees) {
    // The counter itself sees plain and over-aligned array allocations.
    struct alignas(64) Wide {
        char c;
    };
    EXPECT_EQ(counted([] {
                  auto* vector = new std::vector<int>(100); // the vector and its elements
                  escaped = vector;
                  auto* wide = new Wide[2];
                  escaped = wide;
                  delete[] wide;
                  delete vector;
              }),
              std::pair(3, 3));

    test::TempDir folder;
    test::ServiceRig rig;
    SoundService& sound = rig.sound;
    std::vector<std::int16_t> buffer(256);
    std::pair<int, int> inRender{0, 0};
    const auto renderCounted = [&](int times) {
        for (int i = 0; i < times; ++i) {
            const auto [a, f] = counted([&] { rig.output().render(buffer); });
            inRender = {inRender.first + a, inRender.second + f};
        }
    };
    // Sounds that only the audio side holds once the caller lets go: the last reference of each
    // is dropped by a voice that cuts off, stops or finishes it.
    sound.PlayImage(imageOf(constant(3000, 1)), kSndAsync);
    renderCounted(1);
    sound.PlayImage(imageOf(constant(3000, 2)), kSndAsync); // cut-off
    renderCounted(1);
    test::Bytes halfRate = test::riffAndFormat(1, 22050, 16);
    halfRate.id("data").u32(400).samples(constant(200, 3));
    sound.PlayImage(std::make_shared<const SoundImage>(test::asImage(halfRate.data)),
                    kSndAsync); // converted copy
    renderCounted(1);
    sound.StopAllSound();
    renderCounted(1);
    for (int s = 1; s <= 26; ++s) {
        const auto file = folder.path() / (std::to_string(s) + "zz.zz");
        test::writeFile(file, test::canonicalWav(constant(static_cast<std::size_t>(100 * s), 4)));
        ASSERT_TRUE(sound.MciOpenPlay(file.string(), "a" + std::to_string(s)));
    }
    sound.PlayImage(imageOf(constant(600, 5)), kSndAsync);
    renderCounted(12); // every sound plays out
    for (int s = 1; s <= 26; ++s)
        sound.MciStopClose("a" + std::to_string(s));
    renderCounted(1);
    // Notes below full level, then dying away.
    for (int v = 0; v < 8; ++v)
        ASSERT_TRUE(sound.PlayNote("n" + std::to_string(v),
                                   imageOf(constant(static_cast<std::size_t>(300 + 100 * v), 1000)),
                                   0.1F * static_cast<float>(v + 1)));
    renderCounted(1);
    for (int v = 0; v < 8; ++v)
        sound.FadeNoteClose("n" + std::to_string(v));
    renderCounted(4);
    sound.PlayImage(imageOf(constant(100, 6)), kSndAsync);
    renderCounted(1); // finishes it: its last reference is now on the way back
    EXPECT_EQ(inRender, std::pair(0, 0));
    // That sound is freed here, on the UI thread.
    EXPECT_GT(counted([&] { sound.pump(); }).second, 0);
}

} // namespace
} // namespace zembera
