// WAV samples read as they lie.

#include "samples/wav_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/golden.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using test::Bytes;
using test::riffAndFormat;

Bytes head(std::uint16_t channels = 1) {
    return riffAndFormat(channels, 44100, 16);
}

// The data chunk's id (in place, or "data" when found by search), its claimed size, the rate and
// the samples: only what the file holds; then files with nothing readable.
TEST(WavReader, SamplesComeFromTheDataChunkWhereverItLiesAndOnlyFromWhatTheFileHolds) {
    const auto ten = test::rampSamples(10);
    const std::vector<std::int16_t> three{-7, 8, -9};
    Bytes zeroAlign = head();
    zeroAlign.data[32] = 0;
    const std::vector<std::uint8_t> files[] = {
        test::canonicalWav(test::rampSamples(30)),
        head().id("junk").u32(26).fill(26, 0x11).id("data").u32(20).samples(ten).data,
        head().id("DATA").u32(20).samples(ten).data,
        head().id("LIST").u32(4).id("INFO").id("DaTa").u32(20).samples(ten).data,
        head(2).id("data").u32(16).samples({1, -1, 2, -2, 3, -3, 4, -4}).data,
        head().id("data").u32(200).samples(three).fill(1, 0x55).data,
        head().id("data").u32(0x80000000).samples(three).fill(1, 0x55).data,
        {},
        {'R', 'I', 'F', 'F'},
        head().id("junk").u32(4).fill(500, 'a').data,
        head().id("data").u32(0).samples({1, 2, 3}).data,
        zeroAlign.id("data").u32(8).samples({1, 2, 3, 4}).data,
        head().id("data").u32(100).fill(1, 0x7f).data,
    };
    std::ostringstream out;
    for (const auto& file : files) {
        const auto w = ReadWavSamples(file);
        if (!w) {
            out << "okunamaz\n";
            continue;
        }
        EXPECT_LT(w->sourceSamples.capacity(), 1000u);
        const auto& h = w->wavHeader;
        out << std::string(h.dataId.begin(), h.dataId.end()) << ' ' << h.dataSize << " bayt, "
            << h.sampleRate << " Hz:";
        for (std::int16_t v : w->sourceSamples)
            out << ' ' << v;
        out << '\n';
    }
    test::expectGolden("samples/read_samples.txt", out.str());
    // A chunk before the samples whose text says "data" does not mislead the reader.
    const auto misled = ReadWavSamples(
        head().id("bext").u32(8).id("data").u32(0).id("data").u32(20).samples(ten).data);
    ASSERT_TRUE(misled);
    EXPECT_EQ(misled->sourceSamples, ten);
}

} // namespace
} // namespace zembera
