#include "sound/patched_sample.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "samples/file_bytes.h"
#include "samples/sample_reader.h"
#include "samples/wav_header.h"
#include "sound/sound_service.h"

namespace zembera {

std::optional<double> nominalFrequency(std::string_view name) {
    if (name.size() < 9) return std::nullopt;
    const std::string_view digits = name.substr(3, 6);
    int hundredths = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), hundredths);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.front() == '-' ||
        hundredths <= 0)
        return std::nullopt;
    return hundredths / 100.0;
}

std::uint32_t playRate(std::uint32_t fileRate, double nominalHz, double targetHz) {
    const double rate = std::round(fileRate * targetHz / nominalHz);
    if (!std::isfinite(rate) || rate < 1 || rate > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(rate);
}

SoundImagePtr patchSampleImage(SoundImage file, double nominalHz, double targetHz) {
    // A sample in the program's own layout is patched as it is; any other is first decoded to
    // that layout (16-bit mono at 44100 Hz), so the two rate fields mean the same for every file.
    if (!isProgramLayout(file)) {
        const SampleRead read = readSample(file);
        if (!read.samples) return nullptr;
        const SoundImagePtr decoded = buildSampleImage(read.samples->sourceSamples);
        file.assign(decoded->begin(), decoded->end());
    }
    auto image = std::make_shared<SoundImage>(std::move(file));
    WavHeader header = parseWavHeader(*image);
    // A rate of 0 is read as 44100, as the sample reader takes it.
    const std::uint32_t fileRate = header.sampleRate == 0 ? 44100 : header.sampleRate;
    const std::uint32_t rate = playRate(fileRate, nominalHz, targetHz);
    if (rate == 0) return nullptr;

    // The same two fields the platform version patched in the file, here in the copy only.
    header.sampleRate = rate;
    header.byteRate = rate * header.blockAlign;
    const auto patched = headerBytes(header);
    std::copy(patched.begin() + 24, patched.begin() + 32, image->begin() + 24);
    return image;
}

SoundImagePtr patchedSampleImage(const PatchedSampleSource& source, int s, int m) {
    return patchedSampleImage(source, s, m, nullptr);
}

SoundImagePtr patchedSampleImage(const PatchedSampleSource& source, int s, int m,
                                 const SoundImagePtr& converted) {
    if (!isPlayablePosition(s, m)) return nullptr;
    const std::string& name = source.sampleFileName[static_cast<std::size_t>(s)];
    const std::optional<double> nominalHz = nominalFrequency(name);
    if (!nominalHz) return nullptr;
    std::optional<SoundImage> bytes = converted ? std::optional<SoundImage>(*converted)
                                                : readFileBytes(source.sampleFolder / name);
    if (!bytes) return nullptr;
    // Single precision, as the resampled string sounds take their cents: the whole-hertz rate
    // then stays what it has always been for the bundled table (in double, string 22 at +5
    // would round to one hertz more).
    const double cents = static_cast<float>(source.tables.centTable(s, m) +
                                            source.tuningOffset[static_cast<std::size_t>(s)]);
    return patchSampleImage(std::move(*bytes), *nominalHz,
                            kReferenceHz * std::exp2(cents / 1200.0));
}

void PlayPatchedSample(SoundService& sound, const PatchedSampleSource& source, int s, int m) {
    if (!isPlayablePosition(s, m)) return;
    sound.PlayImage(patchedSampleImage(source, s, m), kSndAsync);
}

} // namespace zembera
