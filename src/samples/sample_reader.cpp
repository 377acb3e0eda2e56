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
        read.samples = ReadWavSamples(file);
        if (!read.samples) {
            read.problem = findDataChunk(file) ? "ses verisi yok" : "data bölümü bulunamadı";
        } else {
            // Played in place only where the player reads the same samples from it.
            const WavHeader h = parseWavHeader(file);
            read.playsAsIs = h.sampleRate == 44100 && h.fmtSize >= 16 && h.blockAlign == 2 &&
                             std::memcmp(h.chunkId.data(), "RIFF", 4) == 0 &&
                             std::memcmp(h.format.data(), "WAVE", 4) == 0;
        }
    } else {
        DecodedSample decoded = decodeAnyWav(file);
        if (decoded.samples.empty()) {
            read.problem = std::move(decoded.problem);
        } else {
            read.samples.emplace();
            BuildWavHeader(read.samples->wavHeader,
                           static_cast<std::int64_t>(decoded.samples.size()), 1, 44100, 16);
            read.samples->sourceSamples = std::move(decoded.samples);
        }
    }
    return read;
}

std::string unusableSamplesMessage(const std::vector<UnusableSample>& unusable) {
    std::string text = kFormatNotRecognized;
    for (const UnusableSample& u : unusable)
        text += "\n" + u.fileName + ": " + u.problem;
    return text;
}

SoundImagePtr buildSampleImage(std::span<const std::int16_t> samples) {
    WavHeader header;
    BuildWavHeader(header, static_cast<std::int64_t>(samples.size()), 1, 44100, 16);
    auto image = std::make_shared<SoundImage>(WavHeader::kSize + 2 * samples.size());
    const auto head = headerBytes(header);
    std::memcpy(image->data(), head.data(), head.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        (*image)[WavHeader::kSize + 2 * i] = static_cast<std::uint8_t>(v);
        (*image)[WavHeader::kSize + 2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return image;
}

} // namespace zembera
