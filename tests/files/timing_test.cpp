#include "files/xtimer.h"

#include <gtest/gtest.h>

#include <deque>

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
