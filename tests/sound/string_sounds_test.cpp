#include "engine/resample.h"
#include "sound/string_sounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <tuple>

#include "sound_test_support.h"

namespace zembera {
namespace {

using test::canonicalWav;
using test::rampSamples;

// Every string's sample is named; only strings 1, 2 and 12 have a file.
PerString<std::string> sampleNames() {
    PerString<std::string> names;
    for (int s = 1; s <= 26; ++s)
        names[s] = (s < 10 ? "0" : "") + std::to_string(s) + "_026200_zz.wav";
    names[1] = "01_026200_ab.wav";  // 262 Hz: its own pitch at 0 cents
    names[2] = "02_052400_cd.wav";  // 524 Hz: its own pitch at 1200 cents
    names[12] = "12_013100_ef.wav"; // 131 Hz: an octave below 0 cents
    return names;
}

class StringSoundsTest : public ::testing::Test {
  protected:
    StringSoundsTest() {
        test::writeFile(folder / names[1], canonicalWav(rampSamples(1000)));
        test::writeFile(folder / names[2], canonicalWav(rampSamples(2000)));
        test::writeFile(folder / names[12], canonicalWav(twoSeconds));
    }

    test::TempDir dir;
    const std::filesystem::path& folder = dir.path();
    const PerString<std::string> names = sampleNames();
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

    // A rate of 0, read as 44100: the file does not play as it lies.
    std::vector<std::uint8_t> rateZero = canonicalWav(twoSeconds);
    std::fill(rateZero.begin() + 24, rateZero.begin() + 32, 0);
    test::writeFile(folder / names[1], rateZero);
    StringSounds fresh{folder, names, messages};
    fresh.PrepareStringSound(1, 0, tables, 0);
    const SoundImage& image = *fresh.stringSound(1);
    EXPECT_EQ(test::samplesIn(std::span(image).subspan(24, 4)), // 44100 Hz
              (std::vector<std::int16_t>{-21436, 0}));
    EXPECT_EQ(test::samplesIn(std::span(image).subspan(44)), twoSeconds);
    EXPECT_TRUE(messages.shown.empty());
}

// A sample gone after the start stays silent with its own message, once; a string or position
// off the instrument does nothing (unreadable samples: tests/shell, folder states).
TEST_F(StringSoundsTest, AMissingSampleStaysSilentWithOneMessageAndOffTheInstrumentDoesNothing) {
    sounds.PrepareStringSound(12, 0, tables, 0);
    const SoundImagePtr image = sounds.stringSound(12);
    sounds.PrepareStringSound(20, 0, tables, 7);
    sounds.PrepareStringSound(20, 1, tables, 0);
    EXPECT_TRUE(sounds.stringSound(20)->empty());
    EXPECT_EQ(messages.shown, std::vector<std::string>{"File format not recognized!\n"
                                                       "20_026200_zz.wav: dosya bulunamadı"});
    const float cents = sounds.noteCents;
    for (const auto& [s, m] : {std::pair{0, 0}, {27, 0}, {-1, 0}, {12, -9}, {12, 13}, {1000, 1000}})
        EXPECT_NO_THROW(sounds.PrepareStringSound(s, m, tables, 50));
    EXPECT_TRUE(sounds.stringSound(0)->empty());
    EXPECT_TRUE(sounds.stringSound(27)->empty());
    EXPECT_EQ(sounds.stringSound(12), image);
    EXPECT_EQ(sounds.noteCents, cents);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// A string's image follows its pitch wherever that was changed: a new table, position or fine
// tuning rebuilds it at the next ensureStringSound, the same pitch keeps the image.
TEST_F(StringSoundsTest, EnsureRebuildsOnlyWhenThePitchMoved) {
    sounds.PrepareStringSound(12, 0, tables, 0);
    const SoundImagePtr first = sounds.stringSound(12);
    sounds.ensureStringSound(12, 0, tables, 0);
    EXPECT_EQ(sounds.stringSound(12), first);

    const auto pitchOfImage = [&] {
        const SoundImage& image = *sounds.stringSound(12);
        // Short of the last sample: a rising note ends on the source's end.
        return test::measuredHz(test::samplesIn({image.data() + 44, image.size() - 144}));
    };
    // The sample is a ramp an octave below 0 cents (one rising crossing per 65536/7 samples).
    const double rampHz = 44100.0 * 7 / 65536;
    tables.centTable(12, 0) = 700; // another table, the same position
    sounds.ensureStringSound(12, 0, tables, 0);
    EXPECT_NE(sounds.stringSound(12), first);
    EXPECT_NEAR(pitchOfImage(), 2 * rampHz * std::exp2(700.0 / 1200), 0.01);
    const SoundImagePtr moved = sounds.stringSound(12);
    sounds.ensureStringSound(12, 0, tables, 0);
    EXPECT_EQ(sounds.stringSound(12), moved);
    tables.centTable(12, 3) = 700; // another position at the same pitch: nothing to rebuild
    sounds.ensureStringSound(12, 3, tables, 0);
    EXPECT_EQ(sounds.stringSound(12), moved);
    sounds.ensureStringSound(12, 3, tables, -500); // fine tuning
    EXPECT_NEAR(pitchOfImage(), 2 * rampHz * std::exp2(200.0 / 1200), 0.01);
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

} // namespace
} // namespace zembera
