// Any bytes as a string's sample file: the reader must never read outside them, never allocate
// more than they can hold, and take its samples from where the data chunk says they are.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "samples/wav_header.h"
#include "samples/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const auto chunk = zembera::findDataChunk(file);
    const auto samples = zembera::ReadWavSamples(file);
    if (!samples) return 0;
    // A result needs a chunk, and every sample must be the bytes at the chunk's place.
    if (!chunk || chunk->offset > size) __builtin_trap();
    const auto& values = samples->sourceSamples;
    if (values.empty() || 2 * values.size() > size - chunk->offset) __builtin_trap();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint8_t* at = data + chunk->offset + 2 * i;
        if (values[i] != static_cast<std::int16_t>(at[0] | at[1] << 8)) __builtin_trap();
    }
    return 0;
}
