#pragma once
// The canonical 44-byte RIFF/WAVE header, as it lies in a file (little-endian).

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace zembera {

struct WavHeader {
    std::array<char, 4> chunkId{'R', 'I', 'F', 'F'};
    std::uint32_t riffSize = 0;
    std::array<char, 4> format{'W', 'A', 'V', 'E'};
    std::array<char, 4> fmtId{'f', 'm', 't', ' '};
    std::uint32_t fmtSize = 16;
    std::uint16_t audioFormat = 1;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::array<char, 4> dataId{'d', 'a', 't', 'a'};
    std::uint32_t dataSize = 0;

    static constexpr std::size_t kSize = 44;
};

// Fills the header for `samples` frames of `channels` channels at `rate` with `bits` per sample.
void BuildWavHeader(WavHeader& header, std::int64_t samples, int channels, std::int32_t rate,
                    int bits);

// The 44 bytes of the header.
std::array<std::uint8_t, WavHeader::kSize> headerBytes(const WavHeader& header);

// Reads a header from the first 44 bytes; missing bytes read as 0.
WavHeader parseWavHeader(std::span<const std::uint8_t> bytes);

// Where the sample data of a WAV file lie.
struct DataChunk {
    std::size_t offset = 0;        // first sample byte
    std::uint32_t claimedSize = 0; // size the chunk head claims; may exceed what the file holds
};

// Finds the "data" chunk (its id compared without regard to case) by walking the chunks of a
// RIFF/WAVE file, so that "data" inside another chunk (a cue point, a comment) is never taken for
// it. Where the walk ends without it (no RIFF head, a chunk running past the end), it is looked
// for at offset 36 of the canonical header, then byte by byte through the first 1000 bytes, from
// where the last whole chunk ended. Bytes past the end of the file read as 0, so an empty or
// short file has none.
std::optional<DataChunk> findDataChunk(std::span<const std::uint8_t> file);

} // namespace zembera
