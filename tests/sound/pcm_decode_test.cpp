#include <gtest/gtest.h>

#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

using test::Bytes;
using test::riffAndFormat;

std::vector<std::int16_t> samplesOf(const PcmSound& sound) {
    return test::samplesIn({sound.data, 2 * sound.frames});
}

SoundImagePtr share(const std::vector<std::uint8_t>& bytes) {
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

TEST(DecodeWav, CanonicalImagePlaysInPlaceSharingItAConvertedOneIsLetGo) {
    const std::vector<std::int16_t> ramp = test::rampSamples(1000);
    const SoundImagePtr image = test::imageOf(ramp);
    const auto sound = decodeWav(image);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->data, image->data() + 44); // no copy: the samples are read where they lie
    EXPECT_EQ(sound->frames, 1000u);
    EXPECT_EQ(samplesOf(*sound), ramp);
    EXPECT_EQ(image.use_count(), 2); // the sound keeps the image alive
    // A converted sound owns its samples: the image is not needed once converted.
    SoundImagePtr halfRate = wavOf(1, 22050, 16, le16({10, 20}));
    const std::weak_ptr<const SoundImage> watch = halfRate;
    const auto converted = decodeWav(halfRate);
    halfRate.reset();
    EXPECT_TRUE(watch.expired());
    ASSERT_TRUE(converted);
    EXPECT_EQ(samplesOf(*converted), (std::vector<std::int16_t>{10, 15, 20}));
}

TEST(DecodeWav, OtherLayoutsAreConvertedToMono16BitAt44100) {
    Bytes overlong = riffAndFormat(1, 44100, 16);
    overlong.id("data").u32(100000).samples({5, 6, 7}).fill(1, 0x12); // and a stray odd byte
    Bytes formatLate;
    formatLate.id("RIFF").u32(0).id("WAVE").id("LIST").u32(6).fill(6, 'x');
    formatLate.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    formatLate.id("data").u32(4).samples({-3, 4});
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
        {"data chunk longer than the file plays what is there", share(overlong.data), {5, 6, 7}},
        {"format chunk after another chunk", share(formatLate.data), {-3, 4}},
        {"empty data is a silent sound", test::imageOf({}), {}},
        {"float data scaled", share(floats.data), {16384, -8192}},
        {"24-bit data keeps its top 16 bits",
         wavOf(1, 44100, 24, {0x00, 0x34, 0x12, 0x00, 0xFF, 0xFF}),
         {0x1234, -1}},
    };
    for (const auto& c : cases) {
        const auto sound = decodeWav(c.image);
        ASSERT_TRUE(sound) << c.what;
        EXPECT_EQ(samplesOf(*sound), c.expected) << c.what;
    }
}

TEST(DecodeWav, UnreadableImagesPlayNothing) {
    const std::vector<std::uint8_t> data = le16({1, 2, 3, 4});
    std::vector<std::uint8_t> notRiff = test::canonicalWav({1, 2});
    notRiff[0] = 'X';
    // No channels, rate 0, not RIFF, no data chunk, no bytes, no image.
    const std::vector<SoundImagePtr> images{wavOf(0, 44100, 16, data),
                                            wavOf(1, 0, 16, data),
                                            share(notRiff),
                                            share(riffAndFormat(1, 44100, 16).data),
                                            share({}),
                                            nullptr};
    for (std::size_t i = 0; i < images.size(); ++i)
        EXPECT_FALSE(decodeWav(images[i])) << "image " << i;
}

} // namespace
} // namespace zembera
