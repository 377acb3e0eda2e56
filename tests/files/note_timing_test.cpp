#include "files/note_timing.h"

#include <gtest/gtest.h>

#include <vector>

namespace zembera {
namespace {

// The players check their onsets on a fake clock (record_replay_test, melody_test); what they do
// not see is where the event rounds fall while a note sounds.
TEST(NoteClock, EventsAreHandledInSlicesAwayFromTheOnset) {
    double now = 0;
    std::vector<double> rounds;
    LoopHooks hooks;
    hooks.processEvents = [&] { rounds.push_back(now); };
    hooks.sleepMs = [&](double ms) { now += ms; };
    hooks.nowMs = [&] { return now; };
    NoteClock clock(hooks, [] { return LoopEvent::none; });
    ASSERT_TRUE(clock.waitToDraw());
    ASSERT_TRUE(clock.handleEvents());
    ASSERT_TRUE(clock.waitOnset()); // the first note starts at 0
    clock.advance(103);             // the last slice ends inside the margin
    rounds.clear();
    ASSERT_TRUE(clock.waitOnset());
    EXPECT_DOUBLE_EQ(now, 103);
    ASSERT_GT(rounds.size(), 8u);
    for (std::size_t i = 1; i < rounds.size(); ++i) {
        EXPECT_LE(rounds[i] - rounds[i - 1], kSliceMs);
        EXPECT_LT(rounds[i], 103 - kEventMarginMs);
    }
}

} // namespace
} // namespace zembera
