#include "sound/resample.h"
#include "sound/string_sounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <span>
#include <tuple>

#include "sound_test_support.h"

namespace zembera {
namespace {

using test::canonicalWav;
using test::rampSamples;

// The samples of a canonical image, after its 44-byte header.
std::vector<std::int16_t> samplesOf(const SoundImage& image) {
    return test::samplesIn(std::span(image).subspan(44));
}

// Every string's sample is named; only strings 1, 2, 3 and 12 have a file.
std::array<std::string, 27> sampleNames() {
    std::array<std::string, 27> names;
    for (int s = 1; s <= 26; ++s)
        names[s] = (s < 10 ? "0" : "") + std::to_string(s) + "_026200_zz.wav";
    names[1] = "01_026200_ab.wav";  // 262 Hz: its own pitch at 0 cents
    names[2] = "02_052400_cd.wav";  // 524 Hz: its own pitch at 1200 cents
    names[12] = "12_013100_ef.wav"; // 131 Hz: an octave below 0 cents
    names[3] = "03_026200_gh.wav";  // not a WAV file
    return names;
}

class StringSoundsTest : public ::testing::Test {
  protected:
    StringSoundsTest() {
        test::writeFile(folder / names[1], canonicalWav(rampSamples(1000)));
        test::writeFile(folder / names[2], canonicalWav(rampSamples(2000)));
        test::writeFile(folder / names[12], canonicalWav(twoSeconds));
        test::writeFile(folder / names[3], {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
    }

    test::TempDir dir;
    const std::filesystem::path& folder = dir.path();
    const std::array<std::string, 27> names = sampleNames();
    PitchTables tables; // all cents 0
    const std::vector<std::int16_t> twoSeconds = rampSamples(88200);
    RecordedMessages messages;
    StringSounds sounds{folder, names, messages}; // reads a sample when first needed
};

TEST_F(StringSoundsTest, NoteAtTheSamplesOwnPitchIsTheSampleFileOrItsDecodedSamples) {
    tables.centTable(2, 5) = 1000;
    // {string, position, fine tuning, cents, hertz}: 262 Hz at 0 cents; 524 Hz reached with
    // 1000 + 200 cents; 131 Hz through the fine tuning alone.
    for (const auto& [s, m, offset, cents, hertz] : {std::tuple{1, 0, 0.0F, 0.0F, 262.0F},
                                                     {2, 5, 200.0F, 1200.0F, 524.0F},
                                                     {12, 0, -1200.0F, -1200.0F, 131.0F}}) {
        sounds.PrepareStringSound(s, m, tables, offset);
        EXPECT_EQ(sounds.noteCents, cents) << s;
        EXPECT_FLOAT_EQ(sounds.noteFrequency, hertz) << s;
        EXPECT_EQ(*sounds.stringSound(s), test::asImage(test::readFile(folder / names[s]))) << s;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "1zz.zz")); // nothing written yet

    // A rate of 0 (read as 44100) and 24-bit extensible data: neither plays as it lies.
    std::vector<std::uint8_t> rateZero = canonicalWav(twoSeconds);
    std::fill(rateZero.begin() + 24, rateZero.begin() + 32, 0);
    test::Bytes extensible;
    extensible.id("RIFF").u32(66).id("WAVE").id("fmt ").u32(40).u16(0xFFFE).u16(1);
    extensible.u32(44100).u32(3 * 44100).u16(3).u16(24).u16(22).u16(24).u32(4);
    extensible.u32(1).u32(0x00100000).u32(0xAA000080).u32(0x719B3800); // PCM subformat
    extensible.id("data").u32(6).fill(1, 0).u16(0x1234).fill(1, 0).u16(0xFFFF);
    test::writeFile(folder / names[1], rateZero);
    test::writeFile(folder / names[2], extensible.data);
    StringSounds fresh{folder, names, messages};
    tables.centTable(2, 0) = 1200;
    for (const auto& [s, expected] :
         {std::pair{1, twoSeconds}, {2, std::vector<std::int16_t>{0x1234, -1}}}) {
        fresh.PrepareStringSound(s, 0, tables, 0);
        const SoundImage& image = *fresh.stringSound(s);
        ASSERT_GT(image.size(), 44u) << s;
        EXPECT_EQ(test::littleEndian(image, 24, 4), 44100u);
        EXPECT_EQ(samplesOf(image), expected) << s;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StringSoundsTest, SampleIsReadOnceAndEarlierImagesStayAsTheyWere) {
    sounds.PrepareStringSound(12, 0, tables, 0);
    const SoundImagePtr held = sounds.stringSound(12);
    const SoundImage before = *held;
    std::filesystem::remove(folder / names[12]); // from now on only the kept copy can serve
    tables.centTable(12, 1) = 100;
    sounds.PrepareStringSound(12, 1, tables, 0);
    EXPECT_NE(*sounds.stringSound(12), before);
    EXPECT_EQ(*held, before);
    sounds.PrepareStringSound(12, 0, tables, 0);
    EXPECT_EQ(*sounds.stringSound(12), before);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StringSoundsTest, UnreadableOrMissingSampleStaysSilentWithOneMessageOutOfRangeDoesNothing) {
    sounds.PrepareStringSound(12, 0, tables, 0); // leaves good samples behind
    const SoundImagePtr image = sounds.stringSound(12);
    tables.centTable(3, 1) = 100;
    tables.centTable(3, 2) = 200;
    // Resampling, twice, the own pitch, and another position: one message only.
    for (const int m : {1, 1, 0, 2})
        sounds.PrepareStringSound(3, m, tables, 0);
    EXPECT_TRUE(sounds.stringSound(3)->empty());
    EXPECT_EQ(messages.shown, std::vector<std::string>{"File format not recognized!\n"
                                                       "03_026200_gh.wav: WAV dosyası değil"});
    sounds.PrepareStringSound(20, 0, tables, 7); // missing: silent, with its own message
    sounds.PrepareStringSound(20, 0, tables, 0);
    EXPECT_TRUE(sounds.stringSound(20)->empty());
    EXPECT_EQ(messages.shown.size(), 2u);

    const float cents = sounds.noteCents;
    for (const auto& [s, m] : {std::pair{0, 0}, {27, 0}, {-1, 0}, {12, -9}, {12, 13}, {1000, 1000}})
        EXPECT_NO_THROW(sounds.PrepareStringSound(s, m, tables, 50));
    EXPECT_TRUE(sounds.stringSound(0)->empty());
    EXPECT_TRUE(sounds.stringSound(27)->empty());
    EXPECT_EQ(sounds.stringSound(12), image);
    EXPECT_EQ(sounds.noteCents, cents);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(StringSoundsTest, SamplesReadAheadOnSeveralThreadsGiveWhatReadingEachAloneGives) {
    // Besides the canonical, unreadable and missing samples: strings of other layouts, each
    // converted on its own (48 kHz stereo, 22050 Hz mono, 44100 Hz stereo).
    for (const auto& [s, channels, rate] : {std::tuple{5, 2, 48000}, {6, 1, 22050}, {7, 2, 44100}})
        test::writeFile(folder / names[static_cast<std::size_t>(s)],
                        canonicalWav(rampSamples(static_cast<std::size_t>(3000 * s)),
                                     static_cast<std::uint16_t>(channels),
                                     static_cast<std::uint32_t>(rate)));
    tables.centTable(12, 0) = 37;
    const auto prepareAll = [&](StringSounds& target) {
        target.holdSampleReports();
        for (int s = 1; s <= 26; ++s)
            target.PrepareStringSound(s, 0, tables, 0);
        target.releaseSampleReports();
    };
    prepareAll(sounds);
    ASSERT_EQ(messages.shown.size(), 1u);
    for (const unsigned threads : {0u, 1u, 2u, 3u, 8u, 40u}) {
        RecordedMessages heard;
        StringSounds ahead{folder, names, heard};
        ahead.readSamples(threads);
        EXPECT_TRUE(heard.shown.empty()) << threads; // nothing is reported before preparing
        prepareAll(ahead);
        for (int s = 1; s <= 26; ++s)
            ASSERT_EQ(*ahead.stringSound(s), *sounds.stringSound(s)) << threads << " " << s;
        EXPECT_EQ(heard.shown, messages.shown) << threads;
    }
    // The decoded copy of a sample of another layout, the same every time; stereo averaged.
    const SoundImagePtr converted = sounds.convertedSample(7);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted, sounds.convertedSample(7));
    const auto ramp = rampSamples(21000);
    const auto decoded = samplesOf(*converted);
    ASSERT_EQ(decoded.size(), ramp.size() / 2);
    for (std::size_t i = 0; i < decoded.size(); ++i)
        ASSERT_NEAR(decoded[i], (ramp[2 * i] + ramp[2 * i + 1]) / 2, 1) << i;
    // The program's own layout, an unreadable file, a missing one, strings off the instrument.
    for (const int s : {1, 12, 3, 20, 0, 27})
        EXPECT_FALSE(sounds.convertedSample(s)) << s;
}

// The resampling written out plainly in double arithmetic, one output sample at a time.
std::vector<std::int16_t> plainResample(double fs, double ft, double duration,
                                        std::span<const std::int16_t> source) {
    const float ratio = static_cast<float>(ft / fs);
    const double dt = 1 / 44100.0;
    const auto n = static_cast<long long>(source.size());
    const double maxDuration = static_cast<double>(n - 1) * dt * ratio;
    if (duration > maxDuration) duration = maxDuration;
    const double steps = std::trunc(duration / dt);
    if (!(steps >= 1)) return {};
    std::vector<std::int16_t> out(static_cast<std::size_t>(steps));
    for (std::size_t i = 1; i <= out.size(); ++i) {
        const auto j = static_cast<long long>(std::floor(static_cast<double>(ratio) * i)) + 1;
        if (j > n) {
            out.resize(i);
            return out;
        }
        out[i - 1] = source[static_cast<std::size_t>(j - 1)];
    }
    return out;
}

TEST(Resample, DegenerateInputsGiveSilence) {
    const auto ten = test::rampSamples(10);
    const std::tuple<double, double, double, std::size_t> cases[] = {
        {100, 200, 10, 0},   {100, 200, 10, 1},  {0, 200, 10, 1},        {0, 0, 10, 10},
        {100, -200, 10, 10}, {100, 200, -1, 10}, {100, 200, 0.00001, 10}}; // under one sample
    for (const auto& [fs, ft, duration, n] : cases)
        EXPECT_TRUE(Resample(fs, ft, duration, std::span(ten).first(n)).empty()) << fs << ft << n;
    // A ratio far past the source ends at once, on the single closing 0.
    EXPECT_EQ(Resample(1, 1e30, 1e40, ten), std::vector<std::int16_t>{0});
}

// Every source below is the front of a longer ramp, so that a read past its end shows.
TEST(Resample, MatchesPlainArithmeticOverManyRatiosAndAtTheEdgesOfFloatRounding) {
    std::mt19937 random(20240611);
    const auto ramp = test::rampSamples(30001);
    const std::span source = std::span(ramp).first(30000);
    // Ratios one float step either side of simple values, where a product rounded the wrong way
    // would take the neighbouring source sample.
    for (float base : {0.25f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f, 0.1f, 1.0f / 3})
        for (float ratio : {std::nextafter(base, 0.0f), base, std::nextafter(base, 10.0f)})
            ASSERT_EQ(Resample(1, ratio, 10, source), plainResample(1, ratio, 10, source)) << ratio;
    std::uniform_real_distribution<double> logRatio(std::log(0.01), std::log(60.0));
    std::uniform_int_distribution<std::size_t> length(1, source.size());
    std::uniform_real_distribution<double> seconds(0, 1.5);
    for (int trial = 0; trial < 3000; ++trial) {
        const double fs = 50 + trial;
        const double ft = fs * std::exp(logRatio(random));
        const auto front = source.first(length(random));
        const double duration = trial % 3 == 0 ? 10 : seconds(random);
        ASSERT_EQ(Resample(fs, ft, duration, front), plainResample(fs, ft, duration, front))
            << "fs " << fs << " ft " << ft << " N " << front.size() << " duration " << duration;
    }
}

} // namespace
} // namespace zembera
