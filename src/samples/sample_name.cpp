#include "samples/sample_name.h"

#include <charconv>

namespace zembera {

std::optional<double> nominalFrequency(std::string_view name) {
    if (name.size() < 9) return std::nullopt;
    const std::string_view digits = name.substr(3, 6);
    int hundredths = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), hundredths);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.front() == '-' ||
        hundredths <= 0)
        return std::nullopt;
    return hundredths / 100.0;
}

} // namespace zembera
