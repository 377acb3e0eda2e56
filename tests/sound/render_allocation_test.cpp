// The audio thread never touches the heap: a render that allocates or frees can stall it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <utility>
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
