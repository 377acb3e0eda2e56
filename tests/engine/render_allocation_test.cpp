// The audio thread never touches the heap: a render that allocates or frees can stall it. The
// engine's tests pull frames through heapUsesIn(); this file replaces the heap.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <vector>

namespace {

std::atomic<bool> counting{false};
std::atomic<int> heapUses{0};
void* volatile escaped = nullptr; // allocations stored here cannot be left out by the compiler

// Kept out of line, so that the compiler does not pair an inlined new with this free.
[[gnu::noinline]] void release(void* p) noexcept {
    if (p && counting.load(std::memory_order_relaxed)) heapUses.fetch_add(1);
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) heapUses.fetch_add(1);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}

namespace zembera::test {

// Runs `action` with the counter on; gives the allocations and frees it made.
int heapUsesIn(const std::function<void()>& action) {
    heapUses = 0;
    counting = true;
    action();
    counting = false;
    return heapUses.load();
}

namespace {

TEST(RenderAllocation, TheCounterSeesAllocationsAndFrees) {
    EXPECT_EQ(heapUsesIn([] {
                  auto* vector = new std::vector<int>(100);
                  escaped = vector;
                  delete vector;
              }),
              4);
}

} // namespace
} // namespace zembera::test
