#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>

#include "sound/spsc_ring.h"

namespace zembera {
namespace {

TEST(SpscRing, HoldsItsRoundedCapacityKeepsOrderAcrossWrapAroundsAndCarriesMoveOnlyValues) {
    SpscRing<std::unique_ptr<int>> ring(5);
    ASSERT_EQ(ring.capacity(), 8u);
    int next = 0;
    int expected = 0;
    std::unique_ptr<int> out;
    for (int round = 0; round < 1000; ++round) {
        const int count = round == 0 ? 8 : 3; // full once, then never at the same slots
        for (int k = 0; k < count; ++k)
            ASSERT_TRUE(ring.push(std::make_unique<int>(next++)));
        if (round == 0) {
            auto refused = std::make_unique<int>(99);
            EXPECT_FALSE(ring.push(std::move(refused)));
            EXPECT_NE(refused, nullptr); // a refused value stays with the caller
        }
        for (int k = 0; k < count; ++k) {
            ASSERT_TRUE(ring.pop(out));
            ASSERT_EQ(*out, expected++);
        }
    }
    EXPECT_FALSE(ring.pop(out));
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, expected - 1); // an empty ring leaves the target alone
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
