#include "samples/wav_header.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

namespace zembera {
namespace {

void put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint16_t get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}
std::uint32_t get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

} // namespace

void BuildWavHeader(WavHeader& header, std::int64_t samples, int channels, std::int32_t rate,
                    int bits) {
    // The data size is computed as a real number and rounded to a 32-bit integer.
    const double dataSize = std::nearbyint(static_cast<double>(samples) * channels * bits / 8.0);
    header = WavHeader{};
    header.dataSize = static_cast<std::uint32_t>(static_cast<std::int64_t>(dataSize));
    header.riffSize = header.dataSize + 36;
    header.channels = static_cast<std::uint16_t>(channels);
    header.sampleRate = static_cast<std::uint32_t>(rate);
    header.blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    header.byteRate = static_cast<std::uint32_t>(header.blockAlign) * header.sampleRate;
    header.bitsPerSample = static_cast<std::uint16_t>(bits);
}

std::array<std::uint8_t, WavHeader::kSize> headerBytes(const WavHeader& h) {
    std::array<std::uint8_t, WavHeader::kSize> b{};
    std::memcpy(&b[0], h.chunkId.data(), 4);
    put32(&b[4], h.riffSize);
    std::memcpy(&b[8], h.format.data(), 4);
    std::memcpy(&b[12], h.fmtId.data(), 4);
    put32(&b[16], h.fmtSize);
    put16(&b[20], h.audioFormat);
    put16(&b[22], h.channels);
    put32(&b[24], h.sampleRate);
    put32(&b[28], h.byteRate);
    put16(&b[32], h.blockAlign);
    put16(&b[34], h.bitsPerSample);
    std::memcpy(&b[36], h.dataId.data(), 4);
    put32(&b[40], h.dataSize);
    return b;
}

WavHeader parseWavHeader(std::span<const std::uint8_t> bytes) {
    std::array<std::uint8_t, WavHeader::kSize> b{};
    std::memcpy(b.data(), bytes.data(), std::min(bytes.size(), b.size()));
    WavHeader h;
    std::memcpy(h.chunkId.data(), &b[0], 4);
    h.riffSize = get32(&b[4]);
    std::memcpy(h.format.data(), &b[8], 4);
    std::memcpy(h.fmtId.data(), &b[12], 4);
    h.fmtSize = get32(&b[16]);
    h.audioFormat = get16(&b[20]);
    h.channels = get16(&b[22]);
    h.sampleRate = get32(&b[24]);
    h.byteRate = get32(&b[28]);
    h.blockAlign = get16(&b[32]);
    h.bitsPerSample = get16(&b[34]);
    std::memcpy(h.dataId.data(), &b[36], 4);
    h.dataSize = get32(&b[40]);
    return h;
}

namespace {

bool isDataId(std::span<const std::uint8_t> file, std::size_t at) {
    static constexpr char kData[] = "data";
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t c = at + i < file.size() ? file[at + i] : 0;
        if (std::tolower(c) != kData[i]) return false;
    }
    return true;
}

std::uint32_t read32(std::span<const std::uint8_t> file, std::size_t at) {
    std::uint8_t b[4] = {};
    for (std::size_t i = 0; i < 4; ++i)
        b[i] = at + i < file.size() ? file[at + i] : 0;
    return get32(b);
}

// Walks the chunks after "RIFF....WAVE". Gives the data chunk when one of them is it; otherwise
// the offset from which a search may still look: the end of the last chunk that lies whole in the
// file, so that text inside a chunk (a cue label, a comment holding "data") is never taken for
// the sound. A file that does not start like a RIFF file has no chunks to trust: offset 0.
struct ChunkWalk {
    std::optional<DataChunk> data;
    std::size_t searchFrom = 0;
};

ChunkWalk walkChunks(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
        return {};
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = read32(file, at + 4);
        if (isDataId(file, at)) return {DataChunk{at + 8, size}, at};
        const std::uint64_t end = at + 8 + static_cast<std::uint64_t>(size);
        if (end > file.size()) return {std::nullopt, at}; // runs past the end: not trusted
        // Odd chunks are padded to an even size; some writers leave the pad byte out.
        const std::size_t padded = static_cast<std::size_t>(end) + (size & 1);
        if ((size & 1) && padded + 8 <= file.size() && !isDataId(file, padded) &&
            isDataId(file, static_cast<std::size_t>(end)))
            at = static_cast<std::size_t>(end);
        else
            at = padded;
    }
    return {std::nullopt, at};
}

} // namespace

std::optional<DataChunk> findDataChunk(std::span<const std::uint8_t> file) {
    const ChunkWalk walk = walkChunks(file);
    if (walk.data) return walk.data;
    if (walk.searchFrom <= 36 && isDataId(file, 36))
        return DataChunk{WavHeader::kSize, read32(file, 40)};
    constexpr std::size_t kSearchLimit = 1000;
    const std::size_t limit =
        file.size() < kSearchLimit ? (file.empty() ? 0 : file.size() - 1) : kSearchLimit;
    for (std::size_t p = walk.searchFrom + 1; p <= limit; ++p) {
        if (isDataId(file, p - 1)) return DataChunk{p - 1 + 8, read32(file, p + 3)};
    }
    return std::nullopt;
}

} // namespace zembera
