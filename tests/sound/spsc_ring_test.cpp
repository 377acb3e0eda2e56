#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>

#include "sound/spsc_ring.h"

namespace zembera {
namespace {

TEST(SpscRing, HoldsItsRoundedCapacityAndRefusesMore) {
    SpscRing<int> ring(5);
    ASSERT_EQ(ring.capacity(), 8u);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(ring.push(int{i}));
    int extra = 99;
    EXPECT_FALSE(ring.push(std::move(extra)));
    int out = -1;
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(ring.pop(out));
        EXPECT_EQ(out, i);
    }
    EXPECT_FALSE(ring.pop(out));
    EXPECT_EQ(out, 7); // an empty ring leaves the target alone
}

TEST(SpscRing, KeepsOrderAcrossManyWrapArounds) {
    SpscRing<int> ring(4);
    int next = 0;
    int expected = 0;
    for (int round = 0; round < 1000; ++round) {
        for (int k = 0; k < 3; ++k)
            ASSERT_TRUE(ring.push(int{next++}));
        int out = 0;
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(ring.pop(out));
            ASSERT_EQ(out, expected++);
        }
    }
}

TEST(SpscRing, MovesOwnershipThroughWithoutCopies) {
    SpscRing<std::unique_ptr<int>> ring(2);
    auto value = std::make_unique<int>(42);
    const int* address = value.get();
    ASSERT_TRUE(ring.push(std::move(value)));
    std::unique_ptr<int> out;
    ASSERT_TRUE(ring.pop(out));
    EXPECT_EQ(out.get(), address);

    auto refused = std::make_unique<int>(1);
    ASSERT_TRUE(ring.push(std::make_unique<int>(2)));
    ASSERT_TRUE(ring.push(std::make_unique<int>(3)));
    EXPECT_FALSE(ring.push(std::move(refused)));
    EXPECT_NE(refused, nullptr); // a refused value stays with the caller
}

TEST(SpscRing, TwoThreadsPassEveryValueOnceInOrder) {
    constexpr std::uint32_t kCount = 200000;
    SpscRing<std::uint32_t> ring(64);
    std::thread producer([&] {
        for (std::uint32_t i = 0; i < kCount; ++i)
            while (!ring.push(std::uint32_t{i}))
                std::this_thread::yield();
    });
    std::uint32_t expected = 0;
    bool inOrder = true;
    while (expected < kCount) {
        std::uint32_t out = 0;
        if (!ring.pop(out)) {
            std::this_thread::yield();
            continue;
        }
        inOrder = inOrder && out == expected;
        ++expected;
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    std::uint32_t leftover = 0;
    EXPECT_FALSE(ring.pop(leftover));
}

} // namespace
} // namespace zembera
