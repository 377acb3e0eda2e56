// WAV samples read as they lie, and WAV images decoded into what the mixer plays.

#include "sound/wav_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/messages.h"
#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::Bytes;
using test::canonicalWav;
using test::rampSamples;
using test::riffAndFormat;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

Bytes head(std::uint16_t channels = 1) {
    return riffAndFormat(channels, 44100, 16);
}

SoundImagePtr share(const std::vector<std::uint8_t>& bytes) {
    return std::make_shared<const SoundImage>(test::asImage(bytes));
}

TEST(WavReader, SamplesComeFromTheDataChunkWhereverItLiesAndOnlyFromWhatTheFileHolds) {
    const auto ten = rampSamples(10);
    const std::vector<std::int16_t> three{-7, 8, -9};
    const struct {
        const char* what;
        std::vector<std::uint8_t> file;
        std::vector<std::int16_t> samples;
        std::string dataId;     // as read in place, "data" when found by search
        std::uint32_t dataSize; // the found chunk's, as claimed
    } cases[] = {
        {"canonical", canonicalWav(rampSamples(300)), rampSamples(300), "data", 600},
        {"junk chunk before the data",
         head().id("junk").u32(26).fill(26, 0x11).id("data").u32(20).samples(ten).data, ten, "data",
         20},
        {"capital id in place", head().id("DATA").u32(20).samples(ten).data, ten, "DATA", 20},
        {"mixed-case id found by search",
         head().id("LIST").u32(4).id("INFO").id("DaTa").u32(20).samples(ten).data, ten, "data", 20},
        // Consecutive values of the first half, whatever the channel count.
        {"stereo",
         head(2).id("data").u32(16).samples({1, -1, 2, -2, 3, -3, 4, -4}).data,
         {1, -1, 2, -2},
         "data",
         16},
        // Only the whole values present, nothing sized by the claim.
        {"claim beyond the file", head().id("data").u32(200).samples(three).fill(1, 0x55).data,
         three, "data", 200},
        {"huge claim", head().id("data").u32(0x80000000).samples(three).fill(1, 0x55).data, three,
         "data", 0x80000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto w = ReadWavSamples(c.file);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->sourceSamples, c.samples);
        EXPECT_EQ(std::string(w->wavHeader.dataId.begin(), w->wavHeader.dataId.end()), c.dataId);
        EXPECT_EQ(w->wavHeader.dataSize, c.dataSize);
        EXPECT_EQ(w->wavHeader.sampleRate, 44100u);
        EXPECT_LT(w->sourceSamples.capacity(), 1000u);
    }
    // {channels, bits, data size, samples}: 1.5, 2.5, 3.5, 2.75 and 2.25 frames of 4 bytes, and
    // frames of 3 and 1 byte, rounded halves to even.
    const std::tuple<std::uint16_t, std::uint16_t, std::uint32_t, std::size_t> rounding[] = {
        {2, 16, 6, 2}, {2, 16, 10, 2}, {2, 16, 14, 4}, {2, 16, 11, 3},
        {2, 16, 9, 2}, {1, 24, 9, 3},  {1, 24, 10, 3}, {1, 8, 5, 5}};
    for (const auto& [channels, bits, dataSize, expected] : rounding) {
        const auto w = ReadWavSamples(
            riffAndFormat(channels, 44100, bits).id("data").u32(dataSize).samples(ten).data);
        ASSERT_TRUE(w) << dataSize;
        EXPECT_EQ(w->sourceSamples.size(), expected) << bits << " bits, data size " << dataSize;
    }
}

TEST(WavReader, NothingReadableGivesNoSamplesAndFromDiskAMessage) {
    Bytes zeroAlign = head();
    zeroAlign.data[32] = 0;
    const std::vector<std::vector<std::uint8_t>> unreadable{
        {},
        {'R', 'I', 'F', 'F'},
        head().id("junk").u32(4).fill(500, 'a').data, // no data id anywhere
        head().id("data").u32(0).samples({1, 2, 3}).data,
        zeroAlign.id("data").u32(8).samples({1, 2, 3, 4}).data,
        head().id("data").u32(100).fill(1, 0x7f).data}; // one stray byte: no whole value
    for (std::size_t i = 0; i < unreadable.size(); ++i)
        EXPECT_FALSE(ReadWavSamples(unreadable[i])) << i;

    test::TempDir dir;
    RecordedMessages messages;
    test::writeFile(dir.path() / "good.wav", canonicalWav(rampSamples(5)));
    test::writeFile(dir.path() / "empty.wav", {});
    test::writeFile(dir.path() / "text.wav", {'h', 'e', 'l', 'l', 'o'});
    const auto good = ReadWavSamples(dir.path() / "good.wav", messages);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->sourceSamples, rampSamples(5));
    EXPECT_THAT(messages.shown, IsEmpty());
    for (const char* name : {"empty.wav", "text.wav", "missing.wav"}) {
        messages.shown.clear();
        EXPECT_FALSE(ReadWavSamples(dir.path() / name, messages)) << name;
        EXPECT_THAT(messages.shown, ElementsAre("File format not recognized!")) << name;
    }
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

TEST(DecodeWav, CanonicalImagePlaysInPlaceSharingItAConvertedOneIsLetGo) {
    const std::vector<std::int16_t> ramp = rampSamples(1000);
    const SoundImagePtr image = test::imageOf(ramp);
    const auto sound = decodeWav(image);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->data, image->data() + 44); // no copy: the samples are read where they lie
    EXPECT_EQ(test::pcmSamples(*sound), ramp);
    EXPECT_EQ(image.use_count(), 2); // the sound keeps the image alive
    SoundImagePtr halfRate = wavOf(1, 22050, 16, le16({10, 20}));
    const std::weak_ptr<const SoundImage> watch = halfRate;
    const auto converted = decodeWav(halfRate);
    halfRate.reset();
    EXPECT_TRUE(watch.expired()); // a converted sound owns its samples
    ASSERT_TRUE(converted);
    EXPECT_THAT(test::pcmSamples(*converted), ElementsAre(10, 15, 20));
}

TEST(DecodeWav, OtherLayoutsAreConvertedToMono16BitAt44100AndUnreadableOnesPlayNothing) {
    Bytes formatLate;
    formatLate.id("RIFF").u32(0).id("WAVE").id("LIST").u32(6).fill(6, 'x');
    formatLate.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    Bytes floats = riffAndFormat(1, 44100, 32);
    floats.data[20] = 3;                                      // IEEE float encoding
    floats.id("data").u32(8).u32(0x3F000000).u32(0xBE800000); // 0.5, -0.25
    const struct {
        const char* what;
        SoundImagePtr image;
        std::vector<std::int16_t> expected;
    } cases[] = {
        {"8-bit values centred and widened",
         wavOf(1, 44100, 8, {0, 128, 255, 1}),
         {-32768, 0, 32512, -32512}},
        {"stereo channels averaged",
         wavOf(2, 44100, 16, le16({1000, 3000, -32768, -32768, 7, -8})),
         {2000, -32768, 0}},
        // Every second output frame is a source frame; the ones between are midpoints, rounded.
        {"half rate interpolated linearly",
         wavOf(1, 22050, 16, le16({0, 100, -100, 1001})),
         {0, 50, 100, 0, -100, 451, 1001}},
        {"double rate keeps every second frame",
         wavOf(1, 88200, 16, le16({1, 2, 3, 4, 5, 6, 7})),
         {1, 3, 5, 7}},
        {"data chunk longer than the file plays what is there, a stray odd byte left out",
         share(head().id("data").u32(100000).samples({5, 6, 7}).fill(1, 0x12).data),
         {5, 6, 7}},
        {"format chunk after another chunk",
         share(formatLate.id("data").u32(4).samples({-3, 4}).data),
         {-3, 4}},
        {"empty data is a silent sound", test::imageOf({}), {}},
        {"float data scaled", share(floats.data), {16384, -8192}},
        {"24-bit data keeps its top 16 bits",
         wavOf(1, 44100, 24, {0x00, 0x34, 0x12, 0x00, 0xFF, 0xFF}),
         {0x1234, -1}},
    };
    for (const auto& c : cases) {
        const auto sound = decodeWav(c.image);
        ASSERT_TRUE(sound) << c.what;
        EXPECT_EQ(test::pcmSamples(*sound), c.expected) << c.what;
    }
    std::vector<std::uint8_t> notRiff = canonicalWav({1, 2});
    notRiff[0] = 'X';
    // No channels, rate 0, not RIFF, no data chunk, no bytes, no image.
    const SoundImagePtr unreadable[] = {wavOf(0, 44100, 16, le16({1, 2})),
                                        wavOf(1, 0, 16, le16({1, 2})),
                                        share(notRiff),
                                        share(head().data),
                                        share({}),
                                        nullptr};
    for (std::size_t i = 0; i < std::size(unreadable); ++i)
        EXPECT_FALSE(decodeWav(unreadable[i])) << "image " << i;
}

} // namespace
} // namespace zembera
