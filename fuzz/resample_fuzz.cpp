// Any pitch ratio and source length through the engine's stepped notes: a note must hold exactly
// the frames of the plain formula (output i from 1 is source frame floor(ratio * i) + 1, a closing
// 0 when the source runs out, at most 10 seconds), and the copy loops must never read outside the
// source.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "pitch/pitch_table.h"

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
    using namespace zembera;
    const auto cents = static_cast<double>(take<std::int16_t>(data, size)) / 4; // ±8192 cents
    const auto nominalHz = static_cast<double>(take<std::uint16_t>(data, size)) / 10 + 1;
    const auto sourceCount = take<std::uint16_t>(data, size);
    auto frames = std::make_shared<std::vector<float>>(sourceCount);
    std::vector<std::int16_t> source(sourceCount);
    for (std::size_t k = 0; k < source.size(); ++k) {
        source[k] = static_cast<std::int16_t>(k * 40503u + 7);
        (*frames)[k] = static_cast<float>(source[k]) / 32768;
    }
    engine::Engine e;
    e.setStringSample(1, {frames, 44100, nominalHz});
    const engine::Note note = e.prepareNote(1, cents, engine::Resampling::stepped);
    if (note.count > 10 * 44100) __builtin_trap();

    const auto noteHz = static_cast<float>(
        kReferenceHz * std::pow(2.0, static_cast<double>(static_cast<float>(cents)) / 1200));
    const auto sampleHz = static_cast<float>(nominalHz);
    if (noteHz == sampleHz) { // the sample as it is
        if (note.count != source.size() ||
            (note.count && std::memcmp(note.frames.get(), source.data(), 2 * note.count) != 0))
            __builtin_trap();
        return 0;
    }
    const auto ratio = static_cast<float>(static_cast<double>(noteHz) / sampleHz);
    for (std::size_t i = 1; i <= note.count; ++i) {
        const double index = std::floor(static_cast<double>(ratio) * static_cast<double>(i));
        const std::int16_t expected = index < static_cast<double>(source.size())
                                          ? source[static_cast<std::size_t>(index)]
                                          : 0;
        if (index >= static_cast<double>(source.size()) && i != note.count) __builtin_trap();
        if (note.frames[i - 1] != expected) __builtin_trap();
    }
    return 0;
}
