#pragma once
// Pitch level, degree shift and fine tuning of the strings. Arrays are indexed by string 0..26.

#include <array>
#include <cstdint>

#include "pitch/per_string.h"

namespace zembera {

struct TuningState {
    std::int16_t ahenkIndex = 5; // chosen pitch level
    std::int16_t ahenkShift = 0; // string shift of the pitch level
    std::int16_t totalDegreeShift = 0;
    PerString<std::int16_t> savedMandal{};
    PerString<float> tuningOffset{}; // cents
    // The pitch system's degrees per octave and the degrees of its written naturals C..B: the
    // pitch levels and the degree shift are converted to them (pitch_levels.h).
    std::int16_t degreesPerOctave = 79;
    std::array<std::int16_t, 7> naturalDegrees{0, 13, 26, 33, 46, 59, 72};
};

} // namespace zembera
