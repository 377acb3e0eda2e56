// WAV samples read as they lie, and WAV images decoded into what the mixer plays.

#include "samples/wav_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "support/golden.h"

namespace zembera {
namespace {

using test::Bytes;
using test::riffAndFormat;
using test::share;

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
    test::expectGolden("sound/read_samples.txt", out.str());
}

SoundImagePtr wavOf(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    const std::vector<std::uint8_t>& data) {
    Bytes b = riffAndFormat(channels, rate, bits, static_cast<std::uint32_t>(data.size() + 36));
    b.id("data").u32(static_cast<std::uint32_t>(data.size()));
    b.data.insert(b.data.end(), data.begin(), data.end());
    return share(b.data);
}

// 8-bit, stereo, half and double rate, a claim past the file, the format chunk late, empty data,
// float, 24-bit become mono 16-bit at 44100 Hz; then layouts that play nothing.
TEST(DecodeWav, OtherLayoutsAreConvertedToMono16BitAt44100AndUnreadableOnesPlayNothing) {
    Bytes formatLate;
    formatLate.id("RIFF").u32(0).id("WAVE").id("LIST").u32(6).fill(6, 'x');
    formatLate.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    Bytes floats = riffAndFormat(1, 44100, 32);
    floats.data[20] = 3;                                      // IEEE float encoding
    floats.id("data").u32(8).u32(0x3F000000).u32(0xBE800000); // 0.5, -0.25
    std::vector<std::uint8_t> notRiff = test::canonicalWav({1, 2});
    notRiff[0] = 'X';
    const SoundImagePtr images[] = {
        wavOf(1, 44100, 8, {0, 128, 255, 1}),
        wavOf(2, 44100, 16, Bytes{}.samples({1000, 3000, -32768, -32768, 7, -8}).data),
        wavOf(1, 22050, 16, Bytes{}.samples({0, 100, -100, 1001}).data),
        wavOf(1, 88200, 16, Bytes{}.samples({1, 2, 3, 4, 5, 6, 7}).data),
        share(head().id("data").u32(100000).samples({5, 6, 7}).fill(1, 0x12).data),
        share(formatLate.id("data").u32(4).samples({-3, 4}).data),
        test::imageOf({}),
        share(floats.data),
        wavOf(1, 44100, 24, {0x00, 0x34, 0x12, 0x00, 0xFF, 0xFF}),
        wavOf(0, 44100, 16, Bytes{}.samples({1, 2}).data),
        wavOf(1, 0, 16, Bytes{}.samples({1, 2}).data),
        share(notRiff),
        share(head().data),
        share({}),
        nullptr,
    };
    std::string played;
    for (const SoundImagePtr& image : images) {
        const auto sound = decodeWav(image);
        if (!sound) played += "çalınamaz";
        for (std::int16_t v : sound ? test::pcmSamples(*sound) : std::vector<std::int16_t>{})
            played += std::to_string(v) + ' ';
        played += '\n';
    }
    test::expectGolden("sound/decoded.txt", played);
}

} // namespace
} // namespace zembera
