#include "sound/patched_sample.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <numeric>
#include <tuple>

#include "service_rig.h"
#include "sound/pcm_decode.h"
#include "sound/sample_reader.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

using test::constant;
using ::testing::DoubleEq;
using ::testing::Optional;

constexpr double kSampleHz = 220.0;
constexpr double kLevel = 12000; // the test tone swings 8000 around this level, never reaching 0

// One second of a 220 Hz tone at 44100 Hz.
std::vector<std::int16_t> toneSamples() {
    std::vector<std::int16_t> v(44100);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::int16_t>(
            std::lround(kLevel + 8000 * std::sin(2 * std::numbers::pi * kSampleHz * i / 44100)));
    return v;
}

// Samples named "NN_022000_zz.wav" (220 Hz); strings 1, 8, 17 and 26 have a file.
class PatchedSampleTest : public ::testing::Test {
  protected:
    PatchedSampleTest() {
        for (std::size_t s = 1; s <= 26; ++s)
            names[s] = std::to_string(100 + s).substr(1) + "_022000_zz.wav";
        for (std::size_t s : {1u, 8u, 17u, 26u})
            test::writeFile(folder.path() / names[s], sampleBytes);
    }

    test::TempDir folder;
    std::array<std::string, 27> names;
    PitchTables tables;
    std::array<float, 27> tuningOffset{};
    PatchedSampleSource source{folder.path(), names, tables, tuningOffset};
    const std::vector<std::uint8_t> sampleBytes = test::canonicalWav(toneSamples());
    test::ServiceRig rig;
};

TEST_F(PatchedSampleTest, SampleSoundsWholeAtThePitchOfThePositionPlusTheFineTuning) {
    const auto file = folder.path() / names[17];
    const auto modified = std::filesystem::last_write_time(file);
    tables.centTable(17, 2) = 300;
    tables.centTable(17, -8) = -1200;
    // {position, fine tuning, target pitch}: 300 + 10 cents above 262 Hz, and an octave below.
    for (const auto& [m, fineTuning, targetHz] :
         {std::tuple{2, 10.0F, 262 * std::exp2(310 / 1200.0)}, {-8, 0.0F, 131.0}}) {
        tuningOffset[17] = fineTuning;
        PlayPatchedSample(rig.sound, source, 17, m);
        auto out = rig.render(100000);
        EXPECT_NEAR(test::measuredHz(out, kLevel), targetHz, targetHz * 0.001) << m;
        // The whole sample plays, sped up or slowed down by the same ratio.
        while (!out.empty() && out.back() == 0)
            out.pop_back();
        EXPECT_NEAR(static_cast<double>(out.size()), 44100 * kSampleHz / targetHz, 3.0) << m;
    }
    // The sample file is never written.
    EXPECT_EQ(test::readFile(file), sampleBytes);
    EXPECT_EQ(std::filesystem::last_write_time(file), modified);
}

TEST_F(PatchedSampleTest, EveryStringPlaysAtTheEndsOfItsRangePlacesOutsideLeaveTheNoteAlone) {
    for (const auto& [s, m] : {std::pair{1, -5}, {1, 6}, {8, -8}, {8, 12}, {26, -8}, {26, 12}}) {
        PlayPatchedSample(rig.sound, source, s, m);
        EXPECT_GT(test::measuredHz(rig.render(2000), kLevel), 200.0) << s << " " << m;
    }
    rig.sound.PlayImage(test::imageOf(constant(50000, 700)), kSndAsync);
    const std::pair<int, int> outside[] = {{0, 0},   {27, 0},   {-1, 0},  {1, 7},  {1, -6},
                                           {4, 9},   {4, -6},   {5, 11},  {7, -8}, {8, -9},
                                           {26, 13}, {26, -12}, {12, 100}};
    for (const auto& [s, m] : outside) {
        EXPECT_NO_THROW(PlayPatchedSample(rig.sound, source, s, m));
        EXPECT_EQ(patchedSampleImage(source, s, m), nullptr);
        EXPECT_EQ(patchedSampleImage(source, s, m, test::imageOf({1, 2})), nullptr); // any copy
    }
    EXPECT_EQ(rig.render(100), constant(100, 700));
}

// A recorder's file, SoX-made at 48 kHz 24-bit stereo: a square wave, whose sharp edges the
// conversion overshoots, plays by name and patched at its pitch, scaled back, never clipped.
TEST(RecorderFile, PlaysByNameAndPatchedAtThePitchMeantNeverLouderThanItsFile) {
    if (!std::filesystem::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const auto file = dir.path() / "tone.wav";
    const std::string command = "/usr/bin/sox -D -n -r 48000 -b 24 -c 2 '" + file.string() +
                                "' synth 1 square 220 vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto image = test::share(test::readFile(file));
    EXPECT_FALSE(readSample(*image).playsAsIs);
    for (const double hz : {220.0, 330.0}) {
        const auto sound =
            hz == 220 ? decodeWav(image) : decodeWav(patchSampleImage(*image, 220, hz));
        ASSERT_TRUE(sound);
        const auto played = test::pcmSamples(*sound);
        EXPECT_NEAR(played.size() * hz, 44100.0 * 220, 2.0 * hz); // the filter's tail flushed too
        EXPECT_NEAR(test::measuredHz(played), hz, 0.1);
        const auto [low, high] = std::minmax_element(played.begin(), played.end());
        EXPECT_LE(std::max(-int{*low}, int{*high}), 16384);
        EXPECT_GE(std::max(-int{*low}, int{*high}), 16000);
    }
}

// Real 48 and 16 kHz, mono and stereo files of system packages, against SoX's own conversion.
TEST(RecorderFile, EveryInstalledSystemWavFileReadsAsSoxConvertsIt) {
    if (!std::filesystem::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"/usr/share/sounds/alsa", "/usr/share/sounds/sound-icons"}) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.path().extension() == ".wav") files.push_back(entry.path());
    }
    if (files.empty()) GTEST_SKIP() << "no system sound package installed";
    test::TempDir dir;
    const auto converted = dir.path() / "sox.wav";
    const auto rms = [](const std::vector<std::int16_t>& x) {
        const std::vector<double> d(x.begin(), x.end());
        return audio_measure::rms(d);
    };
    for (const auto& original : files) {
        SCOPED_TRACE(original.string());
        const SampleRead read = readSample(test::readFile(original));
        ASSERT_TRUE(read.samples) << read.problem;
        const std::vector<std::int16_t>& ours = read.samples->sourceSamples;
        ASSERT_EQ(std::system(("/usr/bin/sox -D '" + original.string() +
                               "' -r 44100 -c 1 -b 16 -e signed-integer '" + converted.string() +
                               "' 2>/dev/null")
                                  .c_str()),
                  0);
        const std::vector<std::uint8_t> soxBytes = test::readFile(converted);
        const auto theirs = test::samplesIn(std::span(soxBytes).subspan(44));
        const std::size_t n = std::min(ours.size(), theirs.size());
        EXPECT_NEAR(double(ours.size()), double(theirs.size()), 0.01 * double(theirs.size()) + 64);
        const double product =
            std::inner_product(ours.begin(), ours.begin() + long(n), theirs.begin(), 0.0);
        // The same waveform at the same level; SoX keeps what the conversion overshoots.
        EXPECT_GT(product / double(n) / (rms(ours) * rms(theirs)), 0.995);
        EXPECT_GT(rms(ours), 30.0);
        EXPECT_LE(rms(ours), rms(theirs) * 1.01 + 2);
        EXPECT_GE(rms(ours), rms(theirs) * 0.85);
    }
}

TEST(PlayRate, ScalesTheFileRateByTheRatioOfTargetToTheNominalPitchOfTheName) {
    // {file rate, nominal, target, play rate}: 0 where there is none (or it passes 32 bits).
    const std::tuple<std::uint32_t, double, double, std::uint32_t> rates[] = {
        {44100, 130.81, 261.62, 88200}, {44100, 130.81, 262.0, 88328}, {22050, 220.0, 440.0, 44100},
        {44100, 262.0, 262.0, 44100},   {44100, 0.0, 262.0, 0},        {44100, 262.0, -1.0, 0},
        {0, 262.0, 262.0, 0},           {44100, 1e-9, 262.0, 0}};
    for (const auto& [rate, nominal, target, expected] : rates)
        EXPECT_EQ(playRate(rate, nominal, target), expected)
            << rate << " " << nominal << " " << target;
    EXPECT_THAT(nominalFrequency("01_013081_ab.wav"), Optional(DoubleEq(130.81)));
    EXPECT_THAT(nominalFrequency("17_026200_C4.wav"), Optional(DoubleEq(262.0)));
    for (const char* name : {"01_01x081_ab.wav", "01_000000_ab.wav", "01_-13081_ab.wav", "01_0130"})
        EXPECT_FALSE(nominalFrequency(name)) << name;
}

} // namespace
} // namespace zembera
