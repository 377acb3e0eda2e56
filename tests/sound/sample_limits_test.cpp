// A string's sample within what the program can use: its block align and its size.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "samples/file_bytes.h"
#include "samples/sample_reader.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

// A mono 16-bit header with a block align other than 2 counts its frames wrong: refused with the
// reason rather than read as one frame (a silent string); 2 reads every frame of the data.
TEST(SampleLimits, AWrongBlockAlignIsToldAndAnOversizedFileIsNotRead) {
    const std::vector<std::int16_t> samples(1000, 1234);
    std::vector<std::uint8_t> file = test::canonicalWav(samples);
    const SampleRead good = readSample(file);
    ASSERT_TRUE(good.samples);
    EXPECT_EQ(good.samples->sourceSamples.size(), (file.size() - 44) / 2);
    file[32] = 0xFF; // block align, bytes 32-33 of the header
    file[33] = 0xFF;
    const SampleRead wrong = readSample(file);
    EXPECT_FALSE(wrong.samples);
    EXPECT_EQ(wrong.problem, "blok hizası 65535, tek kanallı 16 bit seste 2 olmalı");

    const auto big = std::filesystem::temp_directory_path() / "zembera_büyük_örnek.wav";
    { std::ofstream out(big, std::ios::binary); }
    std::filesystem::resize_file(big, kSampleFileLimit + (1u << 20)); // sparse
    const LimitedRead<SoundImage> read = readSoundFileBytes(big);
    EXPECT_FALSE(read.bytes);
    EXPECT_EQ(read.problem, "dosya çok büyük: 97 MB, en çok 96 MB");
    std::filesystem::remove(big);
}

} // namespace
} // namespace zembera
