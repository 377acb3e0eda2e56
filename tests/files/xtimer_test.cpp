#include "files/xtimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>

namespace zembera {
namespace {

// A timer whose counter readings are scripted (nanoseconds on the steady clock).
class ScriptedTimer : public xTimer {
  public:
    std::deque<std::int64_t> readings;

  protected:
    std::int64_t counterNow() const override {
        auto& r = const_cast<std::deque<std::int64_t>&>(readings);
        const std::int64_t v = r.front();
        r.pop_front();
        return v;
    }
};

TEST(xTimer, RunTimeIsTheIntervalLessOneCounterReading) {
    ScriptedTimer t;
    t.readings = {1'000'000, 1'040'000,    // Calibrieren: one reading costs 0.04 ms
                  5'000'000, 255'000'000}; // Start, Halt 250 ms later
    t.Calibrieren();
    t.Start();
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), 250.0 - 0.04);
    // RunTime reads no clock: asking again gives the same value.
    EXPECT_DOUBLE_EQ(t.RunTime(), 250.0 - 0.04);
    EXPECT_TRUE(t.readings.empty());
}

TEST(xTimer, HaltBeforeStartGivesTimeSinceOriginAndStopBeforeStartIsNegative) {
    ScriptedTimer t;
    t.readings = {7'000'000, 9'000'000, 3'000'000};
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), 7.0); // no Start yet: start count 0, no calibration
    t.Start();
    t.Halt();
    EXPECT_DOUBLE_EQ(t.RunTime(), -6.0); // not clamped
}

TEST(xTimer, TheRealClockMeasuresAtLeastTheTimeSlept) {
    xTimer t;
    t.Calibrieren();
    t.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    t.Halt();
    EXPECT_GE(t.RunTime(), 19.0); // less the cost of one reading
    EXPECT_LT(t.RunTime(), 60000.0);
}

TEST(WholeMilliseconds, RoundsHalfToEvenAndSaturates) {
    EXPECT_EQ(toWholeMilliseconds(249.5), 250);
    EXPECT_EQ(toWholeMilliseconds(250.5), 250);
    EXPECT_EQ(toWholeMilliseconds(-0.5), 0);
    EXPECT_EQ(toWholeMilliseconds(1e12), 2147483647);
    EXPECT_EQ(toWholeMilliseconds(-1e12), -2147483647 - 1);
}

} // namespace
} // namespace zembera
