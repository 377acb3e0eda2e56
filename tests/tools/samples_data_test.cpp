// The bundled string samples as the build made them, and the tool's folder writing.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "pitch/pitch_table.h"
#include "samples/sample_writer.h"
#include "shell/sample_folder.h"
#include "sound/sound_test_support.h"
#include "sound/wav_header.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
namespace am = audio_measure;

const fs::path kProgramDir = ZEMBERA_PROGRAM_DIR;
const fs::path kSampleDir = kProgramDir / "wavs";

// The samples of `x` from `from` seconds on, `length` seconds long, cut short at its end.
std::span<const double> seconds(const std::vector<double>& x, double from, double length) {
    const auto begin =
        std::min(x.size(), static_cast<std::size_t>(std::max(0.0, from) * am::kRate));
    const auto count = std::min(x.size() - begin, static_cast<std::size_t>(length * am::kRate));
    return std::span<const double>(x).subspan(begin, count);
}

TEST(SampleFolderData, EachStringsFileIsACanonicalPluckAtTheTablesPitchThatDecaysToSilence) {
    // The open note of each string, string 1 first: the naturals from E6 down to A2.
    const std::array<std::string, 26> openNotes{
        "E6", "D6", "C6", "B5", "A5", "G5", "F5", "E5", "D5", "C5", "B4", "A4", "G4",
        "F4", "E4", "D4", "C4", "B3", "A3", "G3", "F3", "E3", "D3", "C3", "B2", "A2"};
    ASSERT_EQ(listWavFiles(kSampleDir).size(), 26u);
    const SampleFolderCheck check = checkSampleFolder(kSampleDir);
    ASSERT_FALSE(check.error.has_value()) << *check.error;
    const PitchTables t = tablo_oku_txt(kProgramDir);
    for (int s = 1; s <= 26; ++s) {
        const std::string& name = check.folder.sampleFileName[s];
        SCOPED_TRACE(name);
        ASSERT_EQ(name.size(), 16u);
        EXPECT_EQ(std::stoi(name.substr(0, 2)), s);
        EXPECT_EQ(check.folder.mciAlias[s], openNotes[s - 1]);
        const double nominal = std::stol(name.substr(3, 6)) / 100.0; // hundredths of a hertz
        EXPECT_NEAR(nominal, 262.0 * std::exp2(t.centTable(s, 0) / 1200.0), 0.005 + 1e-9);

        const std::vector<std::uint8_t> file = test::readFile(kSampleDir / name);
        ASSERT_GT(file.size(), WavHeader::kSize);
        // Canonical: RIFF sizes to the end, PCM mono 16-bit at 44100 Hz, then the data.
        const WavHeader h = parseWavHeader(file);
        EXPECT_EQ(h.riffSize, file.size() - 8);
        EXPECT_EQ(h.dataSize, file.size() - WavHeader::kSize);
        const char fixed[] = "WAVEfmt \x10\0\0\0\1\0\1\0\x44\xAC\0\0\x88\x58\1\0\2\0\x10\0data";
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
        EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 40), std::string(fixed, 32));
        // Between 2 and 4 seconds: long enough to ring, short enough to load fast.
        EXPECT_GE(h.dataSize, 2u * 44100 * 2);
        EXPECT_LE(h.dataSize, 4u * 44100 * 2);

        const auto samples = test::samplesIn(std::span(file).subspan(WavHeader::kSize));
        const std::vector<double> x(samples.begin(), samples.end());
        const auto [low, high] = std::minmax_element(x.begin(), x.end());
        const double peak = std::max(-*low, *high);
        const double length = x.size() / am::kRate;
        EXPECT_NEAR(20.0 * std::log10(peak / 32768.0), -3.0, 0.5);
        EXPECT_EQ(x.back(), 0.0);
        // The fade: the last 10 ms are far below the 10 ms before the fade began.
        EXPECT_LT(am::rms(seconds(x, length - 0.010, 0.010)),
                  0.3 * am::rms(seconds(x, length - 0.070, 0.010)));
        // The decay over the whole sound.
        EXPECT_LT(am::rms(seconds(x, length - 0.5, 0.5)), 0.1 * am::rms(seconds(x, 0.0, 0.5)));
        // The fundamental within 3 cents of the name.
        const double hz = am::pluckFundamental(x);
        EXPECT_NEAR(am::centsBetween(hz, nominal), 0.0, 3.0) << "measured " << hz;

        // A plucked string, not a sine: harmonics 2-5 carry a good share of the fundamental's
        // energy at the start. The short window keeps each harmonic inside its lobe even when
        // the pitch is off by a few cents.
        const std::span<const double> start = seconds(x, 0.01, 0.1);
        const double fundamental = am::dftMagnitude(start, nominal);
        double upper = 0.0;
        for (int k = 2; k <= 5; ++k)
            upper += std::pow(am::dftMagnitude(start, k * nominal), 2);
        EXPECT_GT(upper, 0.2 * fundamental * fundamental);
    }
}

// The same bytes as the build's own run show that the synthesis depends on the pitch alone.
TEST(SampleWriter, RepeatsTheBundledBytesReplacingStaleSamplesAndRefusesAPitchTheNameCannotCarry) {
    const PitchTables t = tablo_oku_txt(kProgramDir);
    std::array<double, kStringCount + 1> openCents{};
    for (int s = 1; s <= kStringCount; ++s)
        openCents[s] = t.centTable(s, 0);
    test::TempDir dir;
    const fs::path folder = dir.path() / "wavs";
    fs::create_directories(folder);
    for (const char* name : {"17_026100_C4.wav", "27_013081_ab.WAV", "12zz.zz", "kayıt.txt"})
        std::ofstream(folder / name) << "old";

    const std::vector<std::string> written = samples::writeSampleFolder(openCents, folder);
    EXPECT_EQ(written.size(), 26u);
    EXPECT_EQ(listWavFiles(folder), listWavFiles(kSampleDir));
    EXPECT_TRUE(fs::exists(folder / "12zz.zz"));
    EXPECT_TRUE(fs::exists(folder / "kayıt.txt"));
    for (const std::string& name : listWavFiles(kSampleDir))
        EXPECT_TRUE(test::readFile(folder / name) == test::readFile(kSampleDir / name)) << name;
    // Nothing but the files themselves is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 28);

    // 1320 Hz is beyond the check of the names: nothing is written.
    fs::remove_all(folder);
    fs::create_directories(folder);
    openCents[1] = 2400.0 + 1200.0 * std::log2(1320.0 / 1048.0);
    EXPECT_THROW(samples::writeSampleFolder(openCents, folder), std::invalid_argument);
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace
} // namespace zembera
