#include "files/xtimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>
#include <vector>

#include "files/note_timing.h"

namespace zembera {
namespace {

// A timer whose counter readings are scripted (nanoseconds on the steady clock).
class ScriptedTimer : public xTimer {
  public:
    mutable std::deque<std::int64_t> readings;

  protected:
    std::int64_t counterNow() const override {
        const std::int64_t v = readings.front();
        readings.pop_front();
        return v;
    }
};

TEST(xTimer, RunTimeIsTheIntervalLessOneCounterReadingAndIsNotClamped) {
    ScriptedTimer t;
    t.readings = {7'000'000,              // Halt before any Start: time since the origin
                  1'000'000, 1'040'000,   // Calibrieren: one reading costs 0.04 ms
                  5'000'000, 255'000'000, // Start, Halt 250 ms later
                  3'000'000};             // Halt before the Start
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), 7.0);
    t.Calibrieren();
    t.Start();
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), 250.0 - 0.04);
    EXPECT_DOUBLE_EQ(t.RunTime(), 250.0 - 0.04); // reads no clock
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), -2.0 - 0.04);
    EXPECT_TRUE(t.readings.empty());

    xTimer real;
    real.Calibrieren();
    real.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    real.Halt();
    EXPECT_GE(real.RunTime(), 19.0); // less the cost of one reading
    EXPECT_LT(real.RunTime(), 60000.0);
}

TEST(WholeMilliseconds, RoundsHalfToEvenAndSaturates) {
    EXPECT_EQ(toWholeMilliseconds(249.5), 250);
    EXPECT_EQ(toWholeMilliseconds(250.5), 250);
    EXPECT_EQ(toWholeMilliseconds(-0.5), 0);
    EXPECT_EQ(toWholeMilliseconds(1e12), 2147483647);
    EXPECT_EQ(toWholeMilliseconds(-1e12), -2147483647 - 1);
}

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
