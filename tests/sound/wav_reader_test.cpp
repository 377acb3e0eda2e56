// WAV samples read as they lie, and WAV images decoded into what the mixer plays.

#include "sound/wav_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "common/messages.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "sound_test_support.h"
#include "support/golden.h"

namespace zembera {
namespace {

using test::Bytes;
using test::canonicalWav;
using test::rampSamples;
using test::riffAndFormat;
using test::share;
using ::testing::ElementsAre;

Bytes head(std::uint16_t channels = 1) {
    return riffAndFormat(channels, 44100, 16);
}

// What the reader takes from each file: the data chunk's id (as read in place, "data" when
// found by search), its claimed size, the rate and the samples; or nothing. First a canonical
// file; a junk chunk before the data; a capital id in place; a mixed-case id found by search;
// stereo (consecutive values of the first half, whatever the channel count); claims beyond the
// file and huge ones (only the whole values present, nothing sized by the claim). Then nothing
// readable: no bytes, a bare RIFF, no data id anywhere, an empty data chunk, a zero block
// alignment, one stray byte.
TEST(WavReader, SamplesComeFromTheDataChunkWhereverItLiesAndOnlyFromWhatTheFileHolds) {
    const auto ten = rampSamples(10);
    const std::vector<std::int16_t> three{-7, 8, -9};
    Bytes zeroAlign = head();
    zeroAlign.data[32] = 0;
    const std::vector<std::uint8_t> files[] = {
        canonicalWav(rampSamples(30)),
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

// A file on disk that cannot be read gives the one message.
TEST(WavReader, AFileOnDiskThatCannotBeReadGivesAMessage) {
    test::TempDir dir;
    test::writeFile(dir.path() / "good.wav", canonicalWav(rampSamples(5)));
    test::writeFile(dir.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    RecordedMessages messages;
    EXPECT_TRUE(ReadWavSamples(dir.path() / "good.wav", messages));
    EXPECT_FALSE(ReadWavSamples(dir.path() / "text.wav", messages));
    EXPECT_FALSE(ReadWavSamples(dir.path() / "missing.wav", messages));
    EXPECT_THAT(messages.shown,
                ElementsAre("File format not recognized!", "File format not recognized!"));
}

SoundImagePtr wavOf(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                    const std::vector<std::uint8_t>& data) {
    Bytes b = riffAndFormat(channels, rate, bits, static_cast<std::uint32_t>(data.size() + 36));
    b.id("data").u32(static_cast<std::uint32_t>(data.size()));
    b.data.insert(b.data.end(), data.begin(), data.end());
    return share(b.data);
}

std::vector<std::uint8_t> le16(const std::vector<std::int16_t>& values) {
    return Bytes{}.samples(values).data;
}

TEST(DecodeWav, OtherLayoutsAreConvertedToMono16BitAt44100AndUnreadableOnesPlayNothing) {
    Bytes formatLate;
    formatLate.id("RIFF").u32(0).id("WAVE").id("LIST").u32(6).fill(6, 'x');
    formatLate.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    Bytes floats = riffAndFormat(1, 44100, 32);
    floats.data[20] = 3;                                      // IEEE float encoding
    floats.id("data").u32(8).u32(0x3F000000).u32(0xBE800000); // 0.5, -0.25
    std::vector<std::uint8_t> notRiff = canonicalWav({1, 2});
    notRiff[0] = 'X';
    // 8-bit values centred and widened; stereo averaged; half rate interpolated linearly (every
    // second output frame a source frame, the ones between rounded midpoints); double rate
    // keeping every second frame; a data chunk longer than the file playing what is there, a
    // stray odd byte left out; the format chunk after another chunk; empty data a silent sound;
    // float data scaled; 24-bit data keeping its top 16 bits. Then no channels, rate 0, not RIFF,
    // no data chunk, no bytes, no image.
    const SoundImagePtr images[] = {
        wavOf(1, 44100, 8, {0, 128, 255, 1}),
        wavOf(2, 44100, 16, le16({1000, 3000, -32768, -32768, 7, -8})),
        wavOf(1, 22050, 16, le16({0, 100, -100, 1001})),
        wavOf(1, 88200, 16, le16({1, 2, 3, 4, 5, 6, 7})),
        share(head().id("data").u32(100000).samples({5, 6, 7}).fill(1, 0x12).data),
        share(formatLate.id("data").u32(4).samples({-3, 4}).data),
        test::imageOf({}),
        share(floats.data),
        wavOf(1, 44100, 24, {0x00, 0x34, 0x12, 0x00, 0xFF, 0xFF}),
        wavOf(0, 44100, 16, le16({1, 2})),
        wavOf(1, 0, 16, le16({1, 2})),
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
