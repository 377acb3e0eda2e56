#include "sound/pcm_decode.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

#include "engine/sound_limits.h"
#include "samples/sample_decode.h"
#include "samples/wav_header.h"

namespace zembera {

// The mixer reads samples as little-endian bytes; converted samples are stored natively.
static_assert(std::endian::native == std::endian::little, "converted samples assume little-endian");

namespace {

struct Format {
    std::uint16_t encoding = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
};

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t le32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(le16(b, at)) |
           (static_cast<std::uint32_t>(le16(b, at + 2)) << 16);
}
bool idAt(std::span<const std::uint8_t> b, std::size_t at, const char* id) {
    return at + 4 <= b.size() && std::memcmp(b.data() + at, id, 4) == 0;
}

// Walks the chunks after "WAVE" to the "fmt " chunk, which usually is the first one.
std::optional<Format> findFormat(std::span<const std::uint8_t> file) {
    std::uint64_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = le32(file, at + 4);
        if (idAt(file, at, "fmt ")) {
            if (size < 16 || at + 8 + 16 > file.size()) return std::nullopt;
            return Format{le16(file, at + 8), le16(file, at + 10), le32(file, at + 12),
                          le16(file, at + 22)};
        }
        at += 8 + static_cast<std::uint64_t>(size) + (size & 1);
    }
    return std::nullopt;
}

std::int16_t sampleAt(std::span<const std::uint8_t> data, std::size_t at, int bits) {
    if (bits == 8) return static_cast<std::int16_t>((data[at] - 128) * 256);
    return static_cast<std::int16_t>(le16(data, at));
}

std::vector<std::int16_t> toMono(std::span<const std::uint8_t> data, std::size_t frames,
                                 const Format& f) {
    const std::size_t bytes = f.bits / 8;
    std::vector<std::int16_t> mono(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        std::int32_t sum = 0;
        for (std::size_t c = 0; c < f.channels; ++c)
            sum += sampleAt(data, (i * f.channels + c) * bytes, f.bits);
        mono[i] = static_cast<std::int16_t>(sum / f.channels);
    }
    return mono;
}

// Linear interpolation from `rate` to the output rate; positions are computed from the index,
// not accumulated, so long sounds do not drift.
std::vector<std::int16_t> toOutputRate(const std::vector<std::int16_t>& in, std::uint32_t rate) {
    if (in.empty() || rate == kOutputRate) return in;
    const double step = static_cast<double>(rate) / kOutputRate; // source frames per output frame
    const double span = static_cast<double>(in.size() - 1) / step;
    const std::size_t frames =
        std::min<std::size_t>(static_cast<std::size_t>(span) + 1, kMaxSoundFrames);
    std::vector<std::int16_t> out(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const double pos = static_cast<double>(i) * step;
        const std::size_t j = std::min(static_cast<std::size_t>(pos), in.size() - 1);
        const double frac = pos - static_cast<double>(j);
        const double a = in[j];
        const double b = j + 1 < in.size() ? in[j + 1] : a;
        out[i] = static_cast<std::int16_t>(std::lround(a + (b - a) * frac));
    }
    return out;
}

// Any other layout: decoded and converted as string samples are.
std::optional<PcmSound> decodeOther(std::span<const std::uint8_t> file) {
    DecodedSample decoded = decodeAnyWav(file);
    if (decoded.samples.empty()) return std::nullopt;
    decoded.samples.resize(std::min(decoded.samples.size(), kMaxSoundFrames));
    auto converted = std::make_shared<const std::vector<std::int16_t>>(std::move(decoded.samples));
    const auto* samples = reinterpret_cast<const std::uint8_t*>(converted->data());
    const std::size_t count = converted->size();
    return PcmSound{std::move(converted), samples, count};
}

} // namespace

std::optional<PcmSound> decodeWav(const SoundImagePtr& image) {
    if (!image) return std::nullopt;
    const std::span<const std::uint8_t> file(*image);
    if (!idAt(file, 0, "RIFF") || !idAt(file, 8, "WAVE")) return decodeOther(file);
    const std::optional<Format> format = findFormat(file);
    if (!format || format->encoding != 1 || format->channels == 0 || format->rate == 0 ||
        (format->bits != 8 && format->bits != 16))
        return decodeOther(file);
    const std::optional<DataChunk> chunk = findDataChunk(file);
    if (!chunk) return decodeOther(file);

    const std::size_t start = std::min(chunk->offset, file.size());
    const std::size_t bytes = std::min<std::size_t>(chunk->claimedSize, file.size() - start);
    const std::size_t frames =
        bytes / (static_cast<std::size_t>(format->channels) * format->bits / 8);
    const std::span<const std::uint8_t> data = file.subspan(start, bytes);

    if (format->channels == 1 && format->bits == 16 && format->rate == kOutputRate)
        return PcmSound{image, data.data(), frames};

    auto converted = std::make_shared<const std::vector<std::int16_t>>(
        toOutputRate(toMono(data, frames, *format), format->rate));
    const auto* samples = reinterpret_cast<const std::uint8_t*>(converted->data());
    const std::size_t count = converted->size();
    return PcmSound{std::move(converted), samples, count};
}

} // namespace zembera
