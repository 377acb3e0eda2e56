#pragma once
// Pitch level, degree shift and fine tuning of the strings. Arrays are indexed by string 0..26.

#include <array>
#include <cstdint>

namespace zembera {

struct TuningState {
    std::int16_t ahenkIndex = 5; // chosen pitch level
    std::int16_t ahenkShift = 0; // string shift of the pitch level
    std::int16_t totalDegreeShift = 0;
    std::array<std::int16_t, 27> savedMandal{};
    std::array<float, 27> tuningOffset{}; // cents
};

} // namespace zembera
