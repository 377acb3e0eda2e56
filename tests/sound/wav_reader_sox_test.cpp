// The reader on WAV files written by another program (SoX): extensible headers, "fact" chunks,
// 8-, 24- and 32-bit data, and stereo. Where the data really lie comes from an independent walk
// over the RIFF chunks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::littleEndian;

struct DataPlace {
    std::size_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t blockAlign = 0;
};

// Walks the chunks after "RIFF....WAVE", honouring the pad byte of odd-sized chunks.
std::optional<DataPlace> walkChunks(const std::vector<std::uint8_t>& b) {
    DataPlace place;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<long>(at),
                             b.begin() + static_cast<long>(at) + 4);
        const std::uint32_t size = littleEndian(b, at + 4, 4);
        if (id == "fmt ") place.blockAlign = littleEndian(b, at + 20, 2);
        if (id == "data") return DataPlace{at + 8, size, place.blockAlign};
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

TEST(SoxFiles, SamplesComeFromTheDataChunkBehindExtensibleAndFactChunks) {
    constexpr const char* kSox = "/usr/bin/sox";
    if (!std::filesystem::exists(kSox)) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const auto file = dir.path() / "tone.wav";
    // {output options, whether the data lie behind more than the canonical 44-byte header}
    for (const auto& [options, behindOtherChunks] :
         {std::pair{"-r 44100 -c 1 -b 24", true},
          {"-r 44100 -c 1 -e floating-point -b 32", true},
          {"-r 8000 -c 1 -b 8", false},
          {"-r 44100 -c 2 -b 16", false}}) {
        SCOPED_TRACE(options);
        const std::string command = std::string(kSox) + " -n " + options + " '" + file.string() +
                                    "' synth 0.05 sine 440 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto bytes = test::readFile(file);
        const auto place = walkChunks(bytes);
        ASSERT_TRUE(place && place->blockAlign > 0) << "no usable data chunk in the made file";
        EXPECT_EQ(place->offset != 44, behindOtherChunks);

        const auto w = ReadWavSamples(bytes);
        ASSERT_TRUE(w);
        const auto frames = static_cast<std::size_t>(
            std::nearbyint(static_cast<double>(place->size) / place->blockAlign));
        const std::size_t count = std::min(frames, (bytes.size() - place->offset) / 2);
        EXPECT_EQ(w->sourceSamples,
                  test::samplesIn(std::span(bytes).subspan(place->offset, 2 * count)));
    }
}

} // namespace
} // namespace zembera
