#pragma once
// Where a note starts and which pitch it sounds, measured from one rendered channel alone.

#include <cmath>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "tools/audio_measure.h"

namespace zembera::lv2 {

// Below this a sample counts as silence: far under any note, far over rounding noise.
constexpr float kSilence = 1e-6f;

// A file or folder of the system's temporary folder that is this test process's own: CI runs of
// several checkouts share the machine.
inline std::filesystem::path scratchPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
}

inline double midiHz(int note) {
    return 440.0 * std::exp2((note - 69) / 12.0);
}

// The first frame from `from` on that is not silent, or x.size() when none is.
inline std::size_t firstSound(std::span<const float> x, std::size_t from) {
    while (from < x.size() && std::fabs(x[from]) <= kSilence)
        ++from;
    return from;
}

// The fundamental of the `length` frames from `from`: coarse from their period, refined from
// their spectrum; 0 when none is found.
inline double pitchHz(std::span<const float> x, std::size_t from, std::size_t length, double rate) {
    const std::vector<double> part(x.begin() + static_cast<long>(from),
                                   x.begin() + static_cast<long>(from + length));
    const double coarse = audio_measure::coarseFundamental(
        std::span(part).first(static_cast<std::size_t>(0.06 * rate)), 60.0, 2000.0, rate);
    return coarse > 0.0 ? audio_measure::refinePeak(part, coarse, 30, rate) : 0.0;
}

inline double rmsOf(std::span<const float> x, std::size_t from, std::size_t length) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + length; ++i)
        sum += double(x[i]) * x[i];
    return std::sqrt(sum / double(length));
}

} // namespace zembera::lv2
