// Counts heap allocations and frees while the mixer renders. The replaced global operators serve
// the whole test executable but count only while `counting` is set. The array forms are replaced
// too: a sanitizer runtime supplies its own, which would not call the plain ones.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "service_rig.h"

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

TEST(RenderAllocation, RenderingAtAnyGainOrFadeNeverAllocatesOrFrees) {
    // The counter itself sees plain, array and over-aligned allocations.
    struct alignas(64) Wide {
        char c;
    };
    const auto [seenAllocations, seenFrees] = counted([] {
        auto* vector = new std::vector<int>(100); // the vector and its elements
        escaped = vector;
        auto* bytes = new char[64];
        escaped = bytes;
        auto* wide = new Wide;
        escaped = wide;
        delete wide;
        delete[] bytes;
        delete vector;
    });
    EXPECT_EQ(seenAllocations, 4);
    EXPECT_EQ(seenFrees, 4);

    test::TempDir folder;
    test::ServiceRig rig;
    SoundService& sound = rig.sound;
    std::vector<std::int16_t> buffer;
    int renderAllocations = 0;
    int renderFrees = 0;
    const auto renderCounted = [&](std::size_t frames) {
        buffer.assign(frames, 0);
        const auto [a, f] = counted([&] { rig.output().render(buffer); });
        renderAllocations += a;
        renderFrees += f;
    };

    // Sounds that only the audio side holds once the caller lets go: the last reference of each
    // is dropped by a voice that cuts off, stops or finishes it.
    sound.PlayImage(imageOf(constant(3000, 1)), kSndAsync);
    renderCounted(256);
    sound.PlayImage(imageOf(constant(3000, 2)), kSndAsync); // cut-off
    renderCounted(256);
    test::Bytes halfRate = test::riffAndFormat(1, 22050, 16);
    halfRate.id("data").u32(400).samples(constant(200, 3));
    sound.PlayImage(std::make_shared<const SoundImage>(test::asImage(halfRate.data)),
                    kSndAsync); // converted copy
    renderCounted(100);
    sound.StopAllSound();
    renderCounted(256);

    for (int s = 1; s <= 26; ++s) {
        const auto file = folder.path() / (std::to_string(s) + "zz.zz");
        test::writeFile(file, test::canonicalWav(constant(static_cast<std::size_t>(100 * s), 4)));
        ASSERT_TRUE(sound.MciOpenPlay(file.string(), "a" + std::to_string(s)));
    }
    sound.PlayImage(imageOf(constant(600, 5)), kSndAsync);
    for (int i = 0; i < 12; ++i)
        renderCounted(256); // every sound plays out
    for (int s = 1; s <= 26; ++s)
        sound.MciStopClose("a" + std::to_string(s));
    renderCounted(256);
    // Notes below full level, then dying away.
    for (int v = 0; v < 8; ++v)
        ASSERT_TRUE(sound.PlayNote("n" + std::to_string(v),
                                   imageOf(constant(static_cast<std::size_t>(300 + 100 * v), 1000)),
                                   0.1F * static_cast<float>(v + 1)));
    renderCounted(100);
    for (int v = 0; v < 8; ++v)
        sound.FadeNoteClose("n" + std::to_string(v));
    for (int i = 0; i < 4; ++i)
        renderCounted(256);
    sound.PlayImage(imageOf(constant(100, 6)), kSndAsync);
    renderCounted(256); // finishes it: its last reference is now on the way back

    EXPECT_EQ(renderAllocations, 0);
    EXPECT_EQ(renderFrees, 0);
    // That sound is freed here, on the UI thread.
    EXPECT_GT(counted([&] { sound.pump(); }).second, 0);
}

} // namespace
} // namespace zembera
