#pragma once
// What a sample's name tells: characters 4-9 are its pitch in hundredths of a hertz
// ("01_013081_ab.wav" is 130.81 Hz).
//
// Thread: any (pure).

#include <optional>
#include <string_view>

namespace zembera {

// The pitch in a sample's name; nullopt when characters 4-9 are not six digits or give 0.
std::optional<double> nominalFrequency(std::string_view sampleFileName);

} // namespace zembera
