// WAV files written by other programs: SoX-made files of every common layout, a recorder's file
// with a chunk before "fmt ", and the WAV files that system packages install. SoX, converting the
// same file on its own, gives the reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "sound/patched_sample.h"
#include "sound/pcm_decode.h"
#include "sound/sample_reader.h"
#include "sound/wav_reader.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
using test::littleEndian;

// Runs SoX with `arguments` (file names quoted by the caller).
bool sox(const std::string& arguments) {
    return std::system(("/usr/bin/sox " + arguments + " 2>/dev/null").c_str()) == 0;
}

// Where the data lie, from a walk over the chunks after "RIFF....WAVE" that honours the pad byte
// of odd-sized chunks: {offset, size, block align}.
std::optional<std::array<std::size_t, 3>> dataPlace(const std::vector<std::uint8_t>& b) {
    std::size_t blockAlign = 0;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id(b.begin() + static_cast<long>(at),
                             b.begin() + static_cast<long>(at) + 4);
        const std::uint32_t size = littleEndian(b, at + 4, 4);
        if (id == "fmt ") blockAlign = littleEndian(b, at + 20, 2);
        if (id == "data") return std::array{at + 8, std::size_t{size}, blockAlign};
        at += 8 + size + (size & 1);
    }
    return std::nullopt;
}

class SoxFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    }
    test::TempDir dir;
    const fs::path file = dir.path() / "tone.wav";
};

TEST_F(SoxFiles, SamplesComeFromTheDataChunkBehindExtensibleAndFactChunks) {
    // {output options, whether the data lie behind more than the canonical 44-byte header}
    for (const auto& [options, behindOtherChunks] :
         {std::pair{"-r 44100 -c 1 -b 24", true},
          {"-r 44100 -c 1 -e floating-point -b 32", true},
          {"-r 8000 -c 1 -b 8", false},
          {"-r 44100 -c 2 -b 16", false}}) {
        SCOPED_TRACE(options);
        ASSERT_TRUE(
            sox(std::string("-n ") + options + " '" + file.string() + "' synth 0.05 sine 440"));
        const auto bytes = test::readFile(file);
        const auto place = dataPlace(bytes);
        ASSERT_TRUE(place && (*place)[2] > 0) << "no usable data chunk in the made file";
        const auto [offset, size, blockAlign] = *place;
        EXPECT_EQ(offset != 44, behindOtherChunks);
        const auto w = ReadWavSamples(bytes);
        ASSERT_TRUE(w);
        const auto frames = static_cast<std::size_t>(
            std::nearbyint(static_cast<double>(size) / static_cast<double>(blockAlign)));
        const std::size_t count = std::min(frames, (bytes.size() - offset) / 2);
        EXPECT_EQ(w->sourceSamples, test::samplesIn(std::span(bytes).subspan(offset, 2 * count)));
    }
}

TEST_F(SoxFiles, RecorderFileOf24BitStereoAt48kHzPlaysByNameAndPatchedAtThePitchMeant) {
    ASSERT_TRUE(sox("-D -n -r 48000 -b 24 -c 2 '" + file.string() + "' synth 1 sine 220 vol 0.5"));
    std::vector<std::uint8_t> bytes = test::readFile(file);
    // JUNK before "fmt ", as some recorders write it.
    const std::vector<std::uint8_t> junk{'J', 'U', 'N', 'K', 4, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 12, junk.begin(), junk.end());
    const auto riffSize = static_cast<std::uint32_t>(bytes.size() - 8);
    std::copy_n(test::Bytes{}.u32(riffSize).data.begin(), 4, bytes.begin() + 4);
    const auto image = std::make_shared<const SoundImage>(test::asImage(bytes));

    const SampleRead read = readSample(*image);
    ASSERT_TRUE(read.samples) << read.problem;
    EXPECT_FALSE(read.playsAsIs);
    EXPECT_NEAR(read.samples->sourceSamples.size(), 44100.0, 2.0);
    const auto samplesOf = [](const PcmSound& s) {
        return test::samplesIn({s.data, 2 * s.frames});
    };
    const auto byName = decodeWav(image);
    ASSERT_TRUE(byName);
    const auto played = samplesOf(*byName);
    EXPECT_NEAR(test::measuredHz(played), 220.0, 0.05);
    const auto [low, high] = std::minmax_element(played.begin(), played.end());
    EXPECT_LE(std::max(-*low, +*high), 16384); // no louder than the file's half scale
    const auto patched = decodeWav(patchSampleImage(*image, 220, 330));
    ASSERT_TRUE(patched);
    EXPECT_NEAR(test::measuredHz(samplesOf(*patched)), 330.0, 0.1);
}

double rms(const std::vector<std::int16_t>& x) {
    double sum = 0;
    for (const std::int16_t v : x)
        sum += static_cast<double>(v) * v;
    return x.empty() ? 0 : std::sqrt(sum / static_cast<double>(x.size()));
}

TEST_F(SoxFiles, EveryInstalledWavFileDecodesToASoundingSampleOfTheRightLengthAndLevel) {
    // Up to 26 files of each folder of WAV files that packages install.
    std::vector<fs::path> files;
    for (const fs::path folder :
         {"/usr/share/sounds/alsa", "/usr/share/sounds/sound-icons", "/usr/share/sounds/purple"}) {
        std::vector<fs::path> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::string extension = entry.path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (extension == ".wav" && entry.is_regular_file(ec)) found.push_back(entry.path());
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(),
                     found.begin() + std::min<long>(26, std::ssize(found)));
    }
    if (files.empty())
        GTEST_SKIP() << "no system sound package installed (alsa-utils, sound-icons)";
    for (const fs::path& original : files) {
        SCOPED_TRACE(original.string());
        const SampleRead read = readSample(test::readFile(original));
        ASSERT_TRUE(read.samples) << read.problem;
        const std::vector<std::int16_t>& ours = read.samples->sourceSamples;
        ASSERT_TRUE(sox("-D '" + original.string() + "' -r 44100 -c 1 -b 16 -e signed-integer '" +
                        file.string() + "'"));
        const std::vector<std::uint8_t> soxBytes = test::readFile(file);
        ASSERT_GT(soxBytes.size(), 44u);
        const std::vector<std::int16_t> theirs = test::samplesIn(std::span(soxBytes).subspan(44));
        const double length = static_cast<double>(theirs.size());
        EXPECT_NEAR(static_cast<double>(ours.size()), length, 0.01 * length + 64);
        EXPECT_GT(rms(ours), 30.0); // audible, not silence
        // The same waveform; never louder, and quieter only by the scaling back of what the
        // conversion overshoots (SoX keeps the overshoot).
        double ab = 0;
        for (std::size_t i = 0; i < std::min(ours.size(), theirs.size()); ++i)
            ab += static_cast<double>(ours[i]) * theirs[i];
        const auto common = static_cast<double>(std::min(ours.size(), theirs.size()));
        EXPECT_GT(ab / common / (rms(ours) * rms(theirs)), 0.995);
        EXPECT_LE(rms(ours), rms(theirs) * 1.01 + 2);
        EXPECT_GE(rms(ours), rms(theirs) * 0.85);
    }
}

} // namespace
} // namespace zembera
