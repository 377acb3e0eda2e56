#include <gtest/gtest.h>

#include <cstring>

#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::Bytes;
using test::riffAndFormat;

std::vector<std::int16_t> samplesOf(const PcmSound& sound) {
    std::vector<std::int16_t> out(sound.frames);
    if (sound.frames > 0) std::memcpy(out.data(), sound.data, 2 * sound.frames);
    return out;
}

SoundImagePtr share(std::vector<std::uint8_t> bytes) {
    return std::make_shared<const SoundImage>(test::asImage(bytes));
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

TEST(DecodeWav, CanonicalImagePlaysInPlaceSharingTheImage) {
    const std::vector<std::int16_t> ramp = test::rampSamples(1000);
    const SoundImagePtr image = test::imageOf(ramp);
    const auto sound = decodeWav(image);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->data, image->data() + 44); // no copy: the samples are read where they lie
    EXPECT_EQ(sound->frames, 1000u);
    EXPECT_EQ(samplesOf(*sound), ramp);
    EXPECT_EQ(image.use_count(), 2); // the sound keeps the image alive
}

TEST(DecodeWav, EightBitValuesAreCentredAndWidened) {
    const auto sound = decodeWav(wavOf(1, 44100, 8, {0, 128, 255, 1}));
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{-32768, 0, 32512, -32512}));
}

TEST(DecodeWav, StereoChannelsAreAveraged) {
    const auto sound = decodeWav(wavOf(2, 44100, 16, le16({1000, 3000, -32768, -32768, 7, -8})));
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{2000, -32768, 0}));
}

TEST(DecodeWav, HalfRateIsInterpolatedLinearly) {
    const auto sound = decodeWav(wavOf(1, 22050, 16, le16({0, 100, -100, 1001})));
    ASSERT_TRUE(sound);
    // Every second output frame is a source frame; the ones between are midpoints, rounded.
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{0, 50, 100, 0, -100, 451, 1001}));
}

TEST(DecodeWav, DoubleRateKeepsEverySecondFrame) {
    const auto sound = decodeWav(wavOf(1, 88200, 16, le16({1, 2, 3, 4, 5, 6, 7})));
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{1, 3, 5, 7}));
}

TEST(DecodeWav, ConvertedSoundOwnsItsSamples) {
    SoundImagePtr image = wavOf(1, 22050, 16, le16({10, 20}));
    const std::weak_ptr<const SoundImage> watch = image;
    const auto sound = decodeWav(image);
    image.reset();
    EXPECT_TRUE(watch.expired()); // the image is not needed once converted
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{10, 15, 20}));
}

TEST(DecodeWav, DataChunkLongerThanTheFilePlaysWhatIsThere) {
    Bytes b = riffAndFormat(1, 44100, 16);
    b.id("data").u32(100000).samples({5, 6, 7}).fill(1, 0x12); // a stray odd byte at the end
    const auto sound = decodeWav(share(b.data));
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{5, 6, 7}));
}

TEST(DecodeWav, FormatChunkAfterAnotherChunkIsFound) {
    Bytes b;
    b.id("RIFF").u32(0).id("WAVE").id("LIST").u32(6).fill(6, 'x');
    b.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    b.id("data").u32(4).samples({-3, 4});
    const auto sound = decodeWav(share(b.data));
    ASSERT_TRUE(sound);
    EXPECT_EQ(samplesOf(*sound), (std::vector<std::int16_t>{-3, 4}));
}

TEST(DecodeWav, UnknownFormatsPlayNothing) {
    const std::vector<std::uint8_t> data = le16({1, 2, 3, 4});
    Bytes floats = riffAndFormat(1, 44100, 32);
    floats.data[20] = 3; // IEEE float encoding
    floats.id("data").u32(4).fill(4, 0);
    EXPECT_FALSE(decodeWav(share(floats.data)));
    EXPECT_FALSE(decodeWav(wavOf(1, 44100, 24, {0, 0, 0})));
    EXPECT_FALSE(decodeWav(wavOf(0, 44100, 16, data)));
    EXPECT_FALSE(decodeWav(wavOf(1, 0, 16, data)));

    std::vector<std::uint8_t> notRiff = test::canonicalWav({1, 2});
    notRiff[0] = 'X';
    EXPECT_FALSE(decodeWav(share(notRiff)));
    EXPECT_FALSE(decodeWav(share(riffAndFormat(1, 44100, 16).data))); // no data chunk
    EXPECT_FALSE(decodeWav(share({})));
    EXPECT_FALSE(decodeWav(nullptr));
}

TEST(DecodeWav, EmptyDataIsASilentSound) {
    const auto sound = decodeWav(test::imageOf({}));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->frames, 0u);
}

} // namespace
} // namespace zembera
