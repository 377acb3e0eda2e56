// Any ratio, duration and source length: the resampled image must hold exactly the samples of
// the plain formula (output i from 1 is source sample floor(ratio * i) + 1, a closing 0 when the
// source runs out), and the copy loops must never read outside the source.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/resample.h"

namespace {

template <typename T> T take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const float ratio = take<float>(data, size);
    const auto durationSteps = take<std::uint16_t>(data, size); // up to 1.5 s of output
    const auto sourceCount = take<std::uint16_t>(data, size);
    if (!std::isfinite(ratio) || !(ratio > 0)) return 0;

    std::vector<std::int16_t> source(sourceCount);
    for (std::size_t k = 0; k < source.size(); ++k)
        source[k] = static_cast<std::int16_t>(k * 40503u + 7);
    const double duration = durationSteps / 44100.0;
    const auto plan = zembera::planResample(1, ratio, duration, source.size());
    std::vector<std::uint8_t> bytes(2 * plan.length);
    zembera::resampleInto(plan, source, bytes.data());

    for (std::size_t i = 1; i <= plan.length; ++i) {
        const double index = std::floor(static_cast<double>(ratio) * static_cast<double>(i));
        const std::int16_t expected = index < static_cast<double>(source.size())
                                          ? source[static_cast<std::size_t>(index)]
                                          : 0;
        if (index >= static_cast<double>(source.size()) && i != plan.length) __builtin_trap();
        const auto value = static_cast<std::int16_t>(bytes[2 * i - 2] | bytes[2 * i - 1] << 8);
        if (value != expected) __builtin_trap();
    }
    return 0;
}
