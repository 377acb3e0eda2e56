#include "samples/sample_decode.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace zembera {
namespace {

// libsndfile reading from bytes in memory.
struct MemoryFile {
    std::span<const std::uint8_t> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size());
}
sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(f->bytes.size());
    const sf_count_t base = whence == SEEK_CUR ? f->position : whence == SEEK_END ? size : 0;
    f->position = std::clamp<sf_count_t>(base + offset, 0, size);
    return f->position;
}
sf_count_t memoryRead(void* out, sf_count_t count, void* user) {
    auto* f = static_cast<MemoryFile*>(user);
    const auto size = static_cast<sf_count_t>(f->bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(count, 0, size - f->position);
    if (n > 0) std::memcpy(out, f->bytes.data() + f->position, static_cast<std::size_t>(n));
    f->position += n;
    return n;
}
sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

bool isWaveFile(std::span<const std::uint8_t> b) {
    if (b.size() < 12 || std::memcmp(b.data() + 8, "WAVE", 4) != 0) return false;
    return std::memcmp(b.data(), "RIFF", 4) == 0 || std::memcmp(b.data(), "RIFX", 4) == 0 ||
           std::memcmp(b.data(), "RF64", 4) == 0;
}

bool isWaveFormat(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
}

struct Closer {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

// Reads at most `limit` frames, averaging the channels; blocks keep the buffer small whatever
// the header claims. `expected` is the header's frame count, taken only as a hint.
std::vector<float> readMono(SNDFILE* file, int channels, sf_count_t expected, sf_count_t limit) {
    const auto perBlock = static_cast<sf_count_t>(std::clamp(65536 / channels, 1, 4096));
    std::vector<float> block(static_cast<std::size_t>(perBlock * channels));
    std::vector<float> mono;
    mono.reserve(static_cast<std::size_t>(std::clamp<sf_count_t>(expected, 0, limit)));
    while (static_cast<sf_count_t>(mono.size()) < limit) {
        const sf_count_t want = std::min(perBlock, limit - static_cast<sf_count_t>(mono.size()));
        const sf_count_t got = sf_readf_float(file, block.data(), want);
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; ++i) {
            double sum = 0;
            for (int c = 0; c < channels; ++c)
                sum += block[static_cast<std::size_t>(i * channels + c)];
            // A float file may hold infinities or NaNs: they are silence, not a loud sound.
            const auto value = static_cast<float>(sum / channels);
            mono.push_back(std::isfinite(value) ? value : 0.0f);
        }
    }
    return mono;
}

} // namespace

DecodedSample decodeAnyWav(std::span<const std::uint8_t> file) {
    if (file.empty()) return {{}, 0, "wav okunamadı"};
    if (!isWaveFile(file)) return {{}, 0, "WAV dosyası değil"};
    MemoryFile memory{file};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, Closer> sound(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!sound || !isWaveFormat(info.format) || info.channels < 1)
        return {{}, 0, "ses biçimi okunamıyor"};
    if (info.samplerate < static_cast<int>(kLowestSampleRate) ||
        info.samplerate > static_cast<int>(kHighestSampleRate))
        return {{},
                0,
                "örnekleme hızı " + std::to_string(info.samplerate) +
                    " Hz; 8000 ile 192000 Hz arasında olmalı"};

    const auto limit = static_cast<sf_count_t>(info.samplerate) * kLongestSampleSeconds;
    // The frame count of the header is trusted for the first allocation only as far as the file
    // could hold that many frames (4-bit ADPCM is the densest common encoding).
    const auto plausible = std::min<sf_count_t>(
        info.frames, static_cast<sf_count_t>(file.size()) * 2 / info.channels + 4096);
    std::vector<float> mono = readMono(sound.get(), info.channels, plausible, limit);
    if (mono.empty()) return {{}, 0, "ses verisi yok"};
    return {std::move(mono), static_cast<double>(info.samplerate), {}};
}

} // namespace zembera
