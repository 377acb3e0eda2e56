#pragma once
// A temporary folder, WAV bytes built field by field apart from the program's writer, a pitch.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <stdlib.h>
#include <string>
#include <string_view>
#include <vector>

#include "samples/sound_image.h"

namespace zembera::test {

// A fresh folder, removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string name =
            (std::filesystem::temp_directory_path() / "zembera-sound-XXXXXX").string();
        path_ = mkdtemp(name.data());
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Bytes appended field by field, little-endian.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& id(std::string_view fourCharacters) {
        data.insert(data.end(), fourCharacters.begin(), fourCharacters.end());
        return *this;
    }
    Bytes& u16(std::uint32_t v) { return fill(1, v & 0xFF).fill(1, (v >> 8) & 0xFF); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& samples(const std::vector<std::int16_t>& values) {
        for (std::int16_t v : values)
            u16(static_cast<std::uint16_t>(v));
        return *this;
    }
    Bytes& fill(std::size_t count, std::uint32_t value) {
        data.insert(data.end(), count, static_cast<std::uint8_t>(value));
        return *this;
    }
};

// RIFF head and a 16-byte "fmt " chunk: 36 bytes.
inline Bytes riffAndFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                           std::uint32_t riffSize = 0) {
    const auto blockAlign = static_cast<std::uint16_t>(channels * bits / 8);
    Bytes b;
    b.id("RIFF").u32(riffSize).id("WAVE").id("fmt ").u32(16).u16(1).u16(channels).u32(rate);
    b.u32(rate * blockAlign).u16(blockAlign).u16(bits);
    return b;
}

// A file of `samples` with a canonical header: 16-bit mono 44100 Hz unless told otherwise.
inline std::vector<std::uint8_t> canonicalWav(const std::vector<std::int16_t>& samples,
                                              std::uint16_t channels = 1,
                                              std::uint32_t rate = 44100) {
    const auto dataSize = static_cast<std::uint32_t>(2 * samples.size());
    Bytes b = riffAndFormat(channels, rate, 16, dataSize + 36);
    return b.id("data").u32(dataSize).samples(samples).data;
}

inline void writeFile(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes read as consecutive 16-bit little-endian values; a stray last byte is left out.
inline std::vector<std::int16_t> samplesIn(std::span<const std::uint8_t> bytes) {
    std::vector<std::int16_t> v(bytes.size() / 2);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return v;
}

// Distinct values, negative ones included, so that a sample taken from the wrong place shows.
inline std::vector<std::int16_t> rampSamples(std::size_t count) {
    std::vector<std::int16_t> v(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = static_cast<std::int16_t>(static_cast<int>(i * 7 % 65536) - 32768);
    return v;
}

// Frequency from the rising crossings of `level`, interpolated between samples.
inline double measuredHz(const std::vector<std::int16_t>& x, double level = 0) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < x.size(); ++i) {
        const double a = x[i - 1] - level;
        const double b = x[i] - level;
        if (a < 0 && b >= 0) crossings.push_back(static_cast<double>(i - 1) + (-a) / (b - a));
    }
    if (crossings.size() < 2) return 0;
    return static_cast<double>(crossings.size() - 1) * 44100 /
           (crossings.back() - crossings.front());
}

} // namespace zembera::test
