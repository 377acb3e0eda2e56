// Sample folders made of the WAV files that system packages install (ALSA's speaker test voices,
// the sound icons of speech-dispatcher, and others where present): every file must decode to
// sounding 16-bit mono 44100 Hz audio of the right length and loudness, with no message. SoX,
// converting the same file on its own, gives the reference.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/string_sounds.h"
#include "sound_test_support.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// Folders of WAV files installed by packages, and how many files of each are taken at most.
constexpr std::size_t kFilesPerFolder = 26;
const std::vector<fs::path> kSystemFolders{
    "/usr/share/sounds/alsa", "/usr/share/sounds/sound-icons", "/usr/share/sounds/purple",
    "/usr/share/hydrogen/data/drumkits/GMRockKit", "/usr/lib/pd/doc/sound"};

std::vector<fs::path> systemWavFiles(std::string& missing) {
    std::vector<fs::path> files;
    for (const fs::path& folder : kSystemFolders) {
        std::vector<fs::path> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::string extension = entry.path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
            if (extension == ".wav" && entry.is_regular_file(ec)) found.push_back(entry.path());
        }
        if (found.empty()) missing += " " + folder.string();
        std::sort(found.begin(), found.end());
        found.resize(std::min(found.size(), kFilesPerFolder));
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

double rms(const std::vector<std::int16_t>& x) {
    double sum = 0;
    for (const std::int16_t v : x)
        sum += static_cast<double>(v) * v;
    return x.empty() ? 0 : std::sqrt(sum / static_cast<double>(x.size()));
}

// Normalised correlation of the common length of two sounds: 1 for the same waveform.
double correlation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

TEST(SystemSounds, EveryInstalledWavFileMakesASoundingSampleOfTheRightLengthAndLevel) {
    std::string missing;
    const std::vector<fs::path> files = systemWavFiles(missing);
    if (!missing.empty()) std::printf("no WAV files in:%s\n", missing.c_str());
    if (files.empty())
        GTEST_SKIP() << "no system sound package installed (alsa-utils, sound-icons)";
    if (!fs::exists("/usr/bin/sox")) GTEST_SKIP() << "sox is not installed";
    std::printf("%zu system WAV files\n", files.size());

    // Sample folders of up to 26 strings; each sample is named at 262 Hz, so that the note at
    // 0 cents is the sample itself, decoded.
    test::TempDir dir;
    const PitchTables tables; // all cents 0
    for (std::size_t first = 0; first < files.size(); first += 26) {
        std::array<std::string, 27> names;
        for (int s = 1; s <= 26; ++s) {
            const std::size_t at = first + static_cast<std::size_t>(s - 1);
            names[static_cast<std::size_t>(s)] =
                (s < 10 ? "0" : "") + std::to_string(s) + "_026200_" + std::to_string(at) + ".wav";
            if (at < files.size())
                fs::copy_file(files[at], dir.path() / names[static_cast<std::size_t>(s)],
                              fs::copy_options::overwrite_existing);
        }
        RecordedMessages messages;
        StringSounds sounds(dir.path(), names, messages);
        sounds.readSamples(2);
        for (int s = 1; s <= 26 && first + static_cast<std::size_t>(s - 1) < files.size(); ++s) {
            const fs::path& file = files[first + static_cast<std::size_t>(s - 1)];
            SCOPED_TRACE(file.string());
            sounds.PrepareStringSound(s, 0, tables, 0);
            const SoundImage& image = *sounds.stringSound(s);
            ASSERT_GT(image.size(), 44u);
            EXPECT_EQ(test::littleEndian(image, 22, 2), 1u);     // mono
            EXPECT_EQ(test::littleEndian(image, 24, 4), 44100u); // 44100 Hz
            EXPECT_EQ(test::littleEndian(image, 34, 2), 16u);    // 16 bits
            const std::vector<std::int16_t> ours = test::samplesIn(std::span(image).subspan(44));

            const fs::path reference = dir.path() / "reference.wav";
            const std::string command = "/usr/bin/sox -D '" + file.string() +
                                        "' -r 44100 -c 1 -b 16 -e signed-integer '" +
                                        reference.string() + "' 2>/dev/null";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
            const std::vector<std::uint8_t> soxBytes = test::readFile(reference);
            ASSERT_GT(soxBytes.size(), 44u);
            const std::vector<std::int16_t> theirs =
                test::samplesIn(std::span(soxBytes).subspan(44));
            const double length = static_cast<double>(theirs.size());
            EXPECT_NEAR(static_cast<double>(ours.size()), length, 0.01 * length + 64);
            EXPECT_GT(rms(ours), 30.0); // audible, not silence
            // The same waveform; never louder, and quieter only by the scaling back of what the
            // conversion overshoots (SoX keeps the overshoot).
            EXPECT_GT(correlation(ours, theirs), 0.995);
            EXPECT_LE(rms(ours), rms(theirs) * 1.01 + 2);
            EXPECT_GE(rms(ours), rms(theirs) * 0.85);
        }
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
        for (int s = 1; s <= 26; ++s)
            fs::remove(dir.path() / names[static_cast<std::size_t>(s)]);
    }
}

} // namespace
} // namespace zembera
