#include "samples/sample_reader.h"

#include <cstring>

#include "samples/sample_decode.h"
#include "samples/wav_header.h"

namespace zembera {

bool isProgramLayout(std::span<const std::uint8_t> file) {
    if (file.size() < WavHeader::kSize) return false;
    const WavHeader h = parseWavHeader(file);
    return std::memcmp(h.fmtId.data(), "fmt ", 4) == 0 && h.audioFormat == 1 && h.channels == 1 &&
           h.bitsPerSample == 16 && (h.sampleRate == 44100 || h.sampleRate == 0);
}

SampleRead readSample(std::span<const std::uint8_t> file) {
    SampleRead read;
    if (file.empty()) {
        read.problem = "wav okunamadı";
    } else if (const std::uint16_t align = parseWavHeader(file).blockAlign;
               isProgramLayout(file) && align != 2) {
        // One 16-bit channel takes 2 bytes a frame; another block align would count the frames
        // wrong (65535 makes a sample of one frame, a string that stays silent).
        read.problem =
            "blok hizası " + std::to_string(align) + ", tek kanallı 16 bit seste 2 olmalı";
    } else if (isProgramLayout(file)) {
        const std::optional<WavSamples> samples = ReadWavSamples(file);
        if (!samples) {
            read.problem = findDataChunk(file) ? "ses verisi yok" : "data bölümü bulunamadı";
        } else {
            // Divided by a power of two: each 16-bit value comes back exactly.
            MonoSample& mono = read.sample.emplace();
            mono.frames.reserve(samples->sourceSamples.size());
            for (const std::int16_t v : samples->sourceSamples)
                mono.frames.push_back(static_cast<float>(v) / 32768.0F);
        }
    } else {
        DecodedSample decoded = decodeAnyWav(file);
        if (decoded.frames.empty())
            read.problem = std::move(decoded.problem);
        else
            read.sample = MonoSample{std::move(decoded.frames), decoded.rate};
    }
    return read;
}

std::string unusableSamplesMessage(const std::vector<UnusableSample>& unusable) {
    std::string text = kUnusableSamplesHeading;
    for (const UnusableSample& u : unusable)
        text += "\n" + u.fileName + ": " + u.problem;
    return text;
}

} // namespace zembera
