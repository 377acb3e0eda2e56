#pragma once
// A string's sample as it was read: mono frames at their own rate and the pitch they sound. The
// engine converts it to its own rate once, when it is given or the rate changes.

#include <memory>
#include <vector>

namespace zembera::engine {

struct StringSample {
    // Full scale is ±1. Null or empty: the string has no usable sample and stays silent.
    std::shared_ptr<const std::vector<float>> frames;
    double rate = 44100;  // frames per second
    double nominalHz = 0; // the pitch the sample sounds, from its name
};

} // namespace zembera::engine
