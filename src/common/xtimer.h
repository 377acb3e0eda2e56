#pragma once
// A high-resolution interval timer on the monotonic clock. It only keeps its last readings:
// Calibrieren then Start when an interval begins, Halt then RunTime when it ends.
//
// Thread: UI thread only.

#include <cstdint>

namespace zembera {

class xTimer {
  public:
    xTimer();
    virtual ~xTimer() = default;

    // Reads the counter twice in immediate succession (start and stop count) and keeps the cost
    // of one reading as the calibration. Overwrites both counts: call it before Start.
    void Calibrieren();
    // Start: reads the counter as the start count.
    void Start();
    // Halt: reads the counter as the stop count.
    void Halt();
    // Milliseconds from the last Start to the last Halt, less the calibration; not clamped, and
    // 0 when the clock has no resolution. Reads no clock: it must follow a Halt.
    double RunTime() const;

  protected:
    // The counter reading; tests replace it to control time.
    virtual std::int64_t counterNow() const;

  private:
    std::int64_t startCount_ = 0;
    std::int64_t stopCount_ = 0;
    std::int64_t frequency_ = 0; // counts per second
    double calibration_ = 0;     // milliseconds
};

// Callers keep milliseconds as 32-bit integers, rounded to the nearest, halves to even.
std::int32_t toWholeMilliseconds(double ms);

} // namespace zembera
