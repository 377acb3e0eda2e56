// A sample of another layout (SoX-made 48 kHz 24-bit stereo, with a JUNK chunk before "fmt ")
// played the other ways a sample file plays: by name through the player, and as the patched copy
// of the replay at another pitch.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "sound/patched_sample.h"
#include "sound/pcm_decode.h"
#include "sound/sample_reader.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

// Frequency from the rising zero crossings, interpolated between samples.
double measuredHz(const PcmSound& sound) {
    const auto x = test::samplesIn({sound.data, 2 * sound.frames});
    std::vector<double> crossings;
    for (std::size_t i = 1; i < x.size(); ++i)
        if (x[i - 1] < 0 && x[i] >= 0)
            crossings.push_back(static_cast<double>(i - 1) + x[i - 1] / double(x[i - 1] - x[i]));
    if (crossings.size() < 2) return 0;
    return static_cast<double>(crossings.size() - 1) * 44100 /
           (crossings.back() - crossings.front());
}

TEST(SampleLayoutPlayback, ByNameAndPatchedPlayAtThePitchMeant) {
    if (!std::filesystem::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const auto file = dir.path() / "tone.wav";
    const std::string command = "/usr/bin/sox -D -n -r 48000 -b 24 -c 2 '" + file.string() +
                                "' synth 1 sine 220 vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<std::uint8_t> bytes = test::readFile(file);
    // JUNK before "fmt ", as some recorders write it.
    const std::vector<std::uint8_t> junk{'J', 'U', 'N', 'K', 4, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 12, junk.begin(), junk.end());
    const auto riffSize = static_cast<std::uint32_t>(bytes.size() - 8);
    for (int i = 0; i < 4; ++i)
        bytes[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(riffSize >> (8 * i));
    const auto image = std::make_shared<const SoundImage>(test::asImage(bytes));

    const SampleRead read = readSample(*image);
    ASSERT_TRUE(read.samples) << read.problem;
    EXPECT_FALSE(read.playsAsIs);
    EXPECT_NEAR(read.samples->sourceSamples.size(), 44100.0, 2.0);

    const auto byName = decodeWav(image);
    ASSERT_TRUE(byName);
    EXPECT_NEAR(measuredHz(*byName), 220.0, 0.05);
    std::int16_t peak = 0;
    for (const std::int16_t v : test::samplesIn({byName->data, 2 * byName->frames}))
        peak = std::max<std::int16_t>(peak, static_cast<std::int16_t>(std::abs(v)));
    EXPECT_LE(peak, 16384); // no louder than the file's half scale

    const auto patched = decodeWav(patchSampleImage(*image, 220, 330));
    ASSERT_TRUE(patched);
    EXPECT_NEAR(measuredHz(*patched), 330.0, 0.1);
}

} // namespace
} // namespace zembera
