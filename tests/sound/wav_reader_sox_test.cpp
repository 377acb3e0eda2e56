// The reader on WAV files written by another program (SoX): extensible headers, "fact" chunks,
// 8-, 24- and 32-bit data, stereo, and an inserted LIST chunk. Where the data really lie comes
// from an independent walk over the RIFF chunks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

constexpr const char* kSox = "/usr/bin/sox";

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

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
        const std::uint32_t size = le(b, at + 4, 4);
        if (id == "fmt ") place.blockAlign = le(b, at + 20, 2);
        if (id == "data") return DataPlace{at + 8, size, place.blockAlign};
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

class SoxFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(kSox)) GTEST_SKIP() << "sox is not installed";
    }
    void sox(const std::string& arguments) {
        const std::string command = std::string(kSox) + " " + arguments + " 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // A 50 ms tone made by sox with the given output options.
    std::vector<std::uint8_t> tone(const std::string& options) {
        const auto file = dir.path() / "tone.wav";
        sox("-n " + options + " '" + file.string() + "' synth 0.05 sine 440");
        return test::readFile(file);
    }
    // The reader must take its samples from the chunk the walk finds.
    static void expectReadFromDataChunk(const std::vector<std::uint8_t>& file) {
        const auto place = walkChunks(file);
        ASSERT_TRUE(place && place->blockAlign > 0) << "no usable data chunk in the made file";
        const auto w = ReadWavSamples(file);
        ASSERT_TRUE(w);
        const auto frames = static_cast<std::size_t>(
            std::nearbyint(static_cast<double>(place->size) / place->blockAlign));
        ASSERT_EQ(w->sourceSamples.size(), std::min(frames, (file.size() - place->offset) / 2));
        for (std::size_t i = 0; i < w->sourceSamples.size(); ++i)
            ASSERT_EQ(w->sourceSamples[i],
                      static_cast<std::int16_t>(le(file, place->offset + 2 * i, 2)))
                << i;
    }
    test::TempDir dir;
};

TEST_F(SoxFiles, DataIsFoundBehindExtensibleAndFactChunks) {
    for (const char* options : {"-r 44100 -c 1 -b 24", "-r 44100 -c 1 -e floating-point -b 32",
                                "-r 8000 -c 1 -b 8", "-r 44100 -c 2 -b 16"}) {
        SCOPED_TRACE(options);
        expectReadFromDataChunk(tone(options));
    }
    EXPECT_NE(walkChunks(tone("-r 44100 -c 1 -b 24"))->offset, 44u); // not the canonical layout
}

TEST_F(SoxFiles, ListChunkBeforeDataGivesTheValuesSoxDecodes) {
    const auto plain = tone("-r 44100 -c 1 -b 16");
    const auto place = walkChunks(plain);
    ASSERT_TRUE(place);
    // A LIST/INFO comment of odd length (so a pad byte follows) goes before the data chunk.
    const std::string comment = "zither tests"; // 12 characters and a 0: 13 bytes
    test::Bytes list;
    list.id("LIST").u32(static_cast<std::uint32_t>(12 + comment.size() + 2));
    list.id("INFO").id("ICMT").u32(static_cast<std::uint32_t>(comment.size() + 1));
    list.data.insert(list.data.end(), comment.begin(), comment.end());
    list.fill(2, 0);
    auto file = plain;
    file.insert(file.begin() + static_cast<long>(place->offset - 8), list.data.begin(),
                list.data.end());
    const auto riffSize = static_cast<std::uint32_t>(file.size() - 8);
    for (int i = 0; i < 4; ++i)
        file[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    expectReadFromDataChunk(file);

    // SoX reads the edited file to the same 16-bit values.
    const auto edited = dir.path() / "list.wav";
    const auto raw = dir.path() / "list.raw";
    test::writeFile(edited, file);
    sox("'" + edited.string() + "' -t raw -e signed -b 16 -L '" + raw.string() + "'");
    const auto decoded = test::readFile(raw);
    const auto w = ReadWavSamples(file);
    ASSERT_TRUE(w);
    ASSERT_EQ(decoded.size(), 2 * w->sourceSamples.size());
    for (std::size_t i = 0; i < w->sourceSamples.size(); ++i)
        ASSERT_EQ(w->sourceSamples[i], static_cast<std::int16_t>(le(decoded, 2 * i, 2))) << i;
}

} // namespace
} // namespace zembera
