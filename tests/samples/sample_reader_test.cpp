// Samples of every common layout read as mono frames at their own rate, with the values the
// format's definition gives; the pitch in a sample's name; a recorder's file through the engine.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>

#include "engine/engine.h"
#include "samples/sample_name.h"
#include "samples/sample_reader.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

using test::Bytes;

std::vector<std::uint8_t> wavOf(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                                const std::vector<std::uint8_t>& data, std::uint16_t encoding = 1) {
    Bytes b =
        test::riffAndFormat(channels, rate, bits, static_cast<std::uint32_t>(data.size() + 36));
    b.data[20] = static_cast<std::uint8_t>(encoding);
    b.id("data").u32(static_cast<std::uint32_t>(data.size()));
    b.data.insert(b.data.end(), data.begin(), data.end());
    return b.data;
}

// Full scale of an n-bit integer sample is 2^(n-1); 8-bit samples are unsigned around 128; the
// channels of a frame are averaged.
TEST(SampleReader, EveryLayoutGivesMonoFramesAtItsOwnRate) {
    std::vector<std::uint8_t> rateZero = test::canonicalWav({5, -6});
    std::fill(rateZero.begin() + 24, rateZero.begin() + 32, 0);
    const std::tuple<std::string, std::vector<std::uint8_t>, double, std::vector<double>> cases[] =
        {{"16 bit",
          test::canonicalWav({-32768, 100, 32767}),
          44100,
          {-1, 100 / 32768.0, 32767 / 32768.0}},
         {"rate 0", rateZero, 44100, {5 / 32768.0, -6 / 32768.0}},
         {"8 bit", wavOf(1, 44100, 8, {0, 128, 255, 1}), 44100, {-1, 0, 127 / 128.0, -127 / 128.0}},
         {"stereo",
          wavOf(2, 44100, 16, Bytes{}.samples({1000, 3000, -32768, -32768, 7, -8}).data),
          44100,
          {2000 / 32768.0, -1, -0.5 / 32768}},
         {"22050 Hz",
          wavOf(1, 22050, 16, Bytes{}.samples({0, 100, -100}).data),
          22050,
          {0, 100 / 32768.0, -100 / 32768.0}},
         {"float",
          wavOf(1, 96000, 32, Bytes{}.u32(0x3F000000).u32(0xBE800000).data, 3),
          96000,
          {0.5, -0.25}},
         {"24 bit",
          wavOf(1, 48000, 24, {0x00, 0x34, 0x12, 0x00, 0xFF, 0xFF}),
          48000,
          {0x123400 / 8388608.0, -256 / 8388608.0}}};
    for (const auto& [what, file, rate, frames] : cases) {
        const SampleRead read = readSample(file);
        ASSERT_TRUE(read.sample) << what << ": " << read.problem;
        EXPECT_EQ(read.sample->rate, rate) << what;
        ASSERT_EQ(read.sample->frames.size(), frames.size()) << what;
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_NEAR(read.sample->frames[i], frames[i], 1e-7) << what << " frame " << i;
    }
    std::vector<std::uint8_t> notWave = wavOf(2, 44100, 16, Bytes{}.samples({1, 2}).data);
    notWave[8] = 'X';
    for (const auto& [file, problem] :
         {std::pair{std::vector<std::uint8_t>{}, "wav okunamadı"},
          {notWave, "WAV dosyası değil"},
          {wavOf(1, 4000, 16, Bytes{}.samples({1}).data),
           "örnekleme hızı 4000 Hz; 8000 ile 192000 Hz arasında olmalı"}}) {
        const SampleRead read = readSample(file);
        EXPECT_FALSE(read.sample);
        EXPECT_EQ(read.problem, problem);
    }
}

TEST(SampleName, ThePitchIsCharacters4To9InHundredthsOfAHertz) {
    EXPECT_EQ(nominalFrequency("01_013081_ab.wav"), 130.81);
    for (const char* name : {"01_01x081_ab.wav", "01_000000_ab.wav", "01_-13081_ab.wav", "01_0130"})
        EXPECT_FALSE(nominalFrequency(name)) << name;
}

// A recorder's file, SoX-made at 48 kHz 24-bit stereo: a square wave, whose sharp edges the
// conversion to the engine's rate overshoots, plays at its own pitch and at another, scaled back
// to its own level, never clipped.
TEST(SampleReader, ARecordersFileSoundsAtThePitchMeantNeverLouderThanItIs) {
    if (!std::filesystem::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const auto file = dir.path() / "tone.wav";
    const std::string command = "/usr/bin/sox -D -n -r 48000 -b 24 -c 2 '" + file.string() +
                                "' synth 1 square 220 vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    SampleRead read = readSample(test::readFile(file));
    ASSERT_TRUE(read.sample);
    EXPECT_EQ(read.sample->rate, 48000);
    engine::Engine e;
    e.setStringSample(
        5, {std::make_shared<const std::vector<float>>(read.sample->frames), 48000, 220});
    for (const auto& [cents, hz] : {std::pair{1200 * std::log2(220 / 262.0), 220.0},
                                    {1200 * std::log2(330 / 262.0), 330.0}}) {
        const engine::Note note = e.prepareNote(5, cents, engine::Resampling::interpolated);
        const std::vector<std::int16_t> played(note.frames.get(), note.frames.get() + note.count);
        EXPECT_NEAR(static_cast<double>(played.size()) * hz, 44100.0 * 220, 2.0 * hz);
        EXPECT_NEAR(test::measuredHz(played), hz, 0.1);
        const auto [low, high] = std::minmax_element(played.begin(), played.end());
        EXPECT_LE(std::max(-int{*low}, int{*high}), 16384);
        EXPECT_GE(std::max(-int{*low}, int{*high}), 16000);
    }
}

} // namespace
} // namespace zembera
