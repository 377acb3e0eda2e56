#include "common/xtimer.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace zembera {

xTimer::xTimer() {
    using Period = std::chrono::steady_clock::period;
    frequency_ = Period::den / Period::num;
}

std::int64_t xTimer::counterNow() const {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

void xTimer::Calibrieren() {
    startCount_ = counterNow();
    stopCount_ = counterNow();
    calibration_ = frequency_ > 0 ? static_cast<double>(stopCount_ - startCount_) /
                                        static_cast<double>(frequency_) * 1000.0
                                  : 0.0;
}

void xTimer::Start() {
    startCount_ = counterNow();
}

void xTimer::Halt() {
    stopCount_ = counterNow();
}

double xTimer::RunTime() const {
    if (frequency_ <= 0) return 0.0;
    return (static_cast<double>(stopCount_) - static_cast<double>(startCount_)) /
               static_cast<double>(frequency_) * 1000.0 -
           calibration_;
}

std::int32_t toWholeMilliseconds(double ms) {
    const double rounded = std::nearbyint(ms);
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (!(rounded >= lo)) return std::numeric_limits<std::int32_t>::min();
    if (rounded > hi) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

} // namespace zembera
