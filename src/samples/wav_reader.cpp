#include "samples/wav_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "samples/file_bytes.h"

namespace zembera {
namespace {

// dataSize / blockAlign as a real number, rounded to the nearest integer, halves to even. Done in
// integers: the exact quotient of two such numbers is never close enough to a half for the
// floating-point division to round differently.
std::uint64_t roundedSampleCount(std::uint32_t dataSize, std::uint16_t blockAlign) {
    std::uint64_t quotient = dataSize / blockAlign;
    const std::uint64_t twiceRemainder = 2ull * (dataSize % blockAlign);
    if (twiceRemainder > blockAlign || (twiceRemainder == blockAlign && quotient % 2 == 1))
        ++quotient;
    return quotient;
}

} // namespace

std::optional<WavSamples> ReadWavSamples(std::span<const std::uint8_t> file) {
    const std::optional<DataChunk> chunk = findDataChunk(file);
    if (!chunk) return std::nullopt;

    WavSamples result;
    result.wavHeader = parseWavHeader(file);
    if (chunk->offset != WavHeader::kSize) result.wavHeader.dataId = {'d', 'a', 't', 'a'};
    result.wavHeader.dataSize = chunk->claimedSize;

    const std::uint16_t blockAlign = result.wavHeader.blockAlign;
    if (blockAlign == 0) return std::nullopt;
    // Only what the file really holds is read, however much the chunk head claims.
    const std::size_t available =
        chunk->offset < file.size() ? (file.size() - chunk->offset) / 2 : 0;
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::uint64_t>(roundedSampleCount(chunk->claimedSize, blockAlign), available));
    if (n == 0) return std::nullopt;

    result.sourceSamples.resize(n);
    const std::uint8_t* data = file.data() + chunk->offset;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(result.sourceSamples.data(), data, 2 * n);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            result.sourceSamples[i] = static_cast<std::int16_t>(data[2 * i] | data[2 * i + 1] << 8);
    }
    return result;
}

std::optional<WavSamples> ReadWavSamples(const std::filesystem::path& file,
                                         MessageService& messages) {
    std::optional<WavSamples> result;
    if (const auto bytes = readFileBytes(file); bytes && !bytes->empty())
        result = ReadWavSamples(*bytes);
    if (!result) messages.show(kFormatNotRecognized);
    return result;
}

} // namespace zembera
