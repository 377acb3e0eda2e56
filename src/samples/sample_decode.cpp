#include "samples/sample_decode.h"

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace zembera {
namespace {

constexpr double kTargetRate = 44100.0;
// Full scale of the 16-bit output: -32768 is reached exactly, +1.0 rounds down to 32767 by one
// step, so that 16-bit sources keep every value.
constexpr float kFullScale = 1.0f;

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

float peakOf(std::span<const float> x) {
    float peak = 0;
    for (const float v : x)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

// libsoxr at its high quality, fed in blocks: one call on the whole sound is several times
// slower, as the library keeps moving what is left of its input.
bool resample(std::span<const float> in, double rate, std::vector<float>& out) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    const std::unique_ptr<soxr, decltype(&soxr_delete)> converter(
        soxr_create(rate, kTargetRate, 1, &error, &io, &quality, &runtime), soxr_delete);
    if (error || !converter) return false;
    constexpr std::size_t kBlock = 8192;
    out.resize(
        static_cast<std::size_t>(std::ceil(static_cast<double>(in.size()) * kTargetRate / rate)) +
        kBlock);
    std::size_t read = 0, written = 0;
    for (;;) {
        // Room for a whole block's output (and the flush) before every call.
        const std::size_t room = static_cast<std::size_t>(kBlock * kTargetRate / rate) + kBlock;
        if (out.size() - written < room) out.resize(written + room);
        const std::size_t take = std::min(kBlock, in.size() - read);
        std::size_t used = 0, made = 0;
        // No input left: a null input flushes what the filter still holds.
        if (soxr_process(converter.get(), take ? in.data() + read : nullptr, take, &used,
                         out.data() + written, out.size() - written, &made))
            return false;
        if (take > 0 && used == 0 && made == 0) return false; // stuck: never loop for ever
        read += used;
        written += made;
        if (take == 0 && made == 0) break;
    }
    out.resize(written);
    return true;
}

} // namespace

std::vector<std::int16_t> convertToOutput(std::span<const float> mono, double rate) {
    std::vector<float> converted;
    if (rate == kTargetRate) {
        converted.assign(mono.begin(), mono.end());
    } else if (!resample(mono, rate, converted)) {
        return {};
    }
    // Never louder than the source, never clipped: scale back what overshoots.
    const float limit = std::min(peakOf(mono), kFullScale);
    const float peak = peakOf(converted);
    const float gain = peak > limit ? limit / peak : 1.0f;
    std::vector<std::int16_t> out(converted.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const float scaled = converted[i] * gain * 32768.0f;
        const float v = std::isfinite(scaled) ? std::clamp(scaled, -32768.0f, 32767.0f) : 0.0f;
        out[i] = static_cast<std::int16_t>(std::lrint(v));
    }
    return out;
}

DecodedSample decodeAnyWav(std::span<const std::uint8_t> file) {
    if (file.empty()) return {{}, "wav okunamadı"};
    if (!isWaveFile(file)) return {{}, "WAV dosyası değil"};
    MemoryFile memory{file};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, Closer> sound(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!sound || !isWaveFormat(info.format) || info.channels < 1)
        return {{}, "ses biçimi okunamıyor"};
    if (info.samplerate < static_cast<int>(kLowestSampleRate) ||
        info.samplerate > static_cast<int>(kHighestSampleRate))
        return {{},
                "örnekleme hızı " + std::to_string(info.samplerate) +
                    " Hz; 8000 ile 192000 Hz arasında olmalı"};

    const auto limit = static_cast<sf_count_t>(info.samplerate) * kLongestSampleSeconds;
    // The frame count of the header is trusted for the first allocation only as far as the file
    // could hold that many frames (4-bit ADPCM is the densest common encoding).
    const auto plausible = std::min<sf_count_t>(
        info.frames, static_cast<sf_count_t>(file.size()) * 2 / info.channels + 4096);
    const std::vector<float> mono = readMono(sound.get(), info.channels, plausible, limit);
    std::vector<std::int16_t> samples = convertToOutput(mono, info.samplerate);
    if (samples.empty()) return {{}, "ses verisi yok"};
    return {std::move(samples), {}};
}

} // namespace zembera
