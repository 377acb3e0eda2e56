// The bundled string samples as the build made them, and the tool's folder writing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "common/messages.h"
#include "pitch/pitch_table.h"
#include "samples/sample_writer.h"
#include "shell/sample_folder.h"
#include "shell/startup_loader.h"
#include "sound/pcm_decode.h"
#include "sound/sound_test_support.h"
#include "sound/wav_header.h"
#include "support/golden.h"

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

// One line per string: the file name (nominal hundredths of a hertz) and written note against
// the table's pitch, the length, the peak, the measured fundamental, how far the last 10 ms are
// below the 10 ms before the fade, the last half second below the first, and the share of
// harmonics 2-5 against the fundamental at the start (a plucked string, not a sine; the short
// window keeps each harmonic inside its lobe even when the pitch is off by a few cents).
TEST(SampleFolderData, EachStringsFileIsACanonicalPluckAtTheTablesPitchThatDecaysToSilence) {
    ASSERT_EQ(listWavFiles(kSampleDir).size(), 26u);
    const SampleFolderCheck check = checkSampleFolder(kSampleDir);
    ASSERT_FALSE(check.error.has_value()) << *check.error;
    const PitchTables t = tablo_oku_txt(kProgramDir);
    std::ostringstream out;
    out << std::fixed << std::setprecision(2);
    for (int s = 1; s <= 26; ++s) {
        const std::string& name = check.folder.sampleFileName[s];
        const std::vector<std::uint8_t> file = test::readFile(kSampleDir / name);
        ASSERT_GT(file.size(), WavHeader::kSize) << name;
        // Canonical: RIFF sizes to the end, PCM mono 16-bit at 44100 Hz, then the data.
        const WavHeader h = parseWavHeader(file);
        EXPECT_EQ(h.riffSize, file.size() - 8) << name;
        EXPECT_EQ(h.dataSize, file.size() - WavHeader::kSize) << name;
        const char fixed[] = "WAVEfmt \x10\0\0\0\1\0\1\0\x44\xAC\0\0\x88\x58\1\0\2\0\x10\0data";
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF") << name;
        EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 40), std::string(fixed, 32)) << name;

        const auto samples = test::samplesIn(std::span(file).subspan(WavHeader::kSize));
        const std::vector<double> x(samples.begin(), samples.end());
        const auto [low, high] = std::minmax_element(x.begin(), x.end());
        const double length = x.size() / am::kRate;
        const double nominal = std::stol(name.substr(3, 6)) / 100.0;
        const std::span<const double> start = seconds(x, 0.01, 0.1);
        const double fundamental = am::dftMagnitude(start, nominal);
        double upper = 0.0;
        for (int k = 2; k <= 5; ++k)
            upper += std::pow(am::dftMagnitude(start, k * nominal), 2);
        out << name << ' ' << check.folder.mciAlias[s] << ": tablo "
            << 262.0 * std::exp2(t.centTable(s, 0) / 1200.0) << " Hz, " << length << " s, tepe "
            << std::setprecision(1) << 20.0 * std::log10(std::max(-*low, *high) / 32768.0)
            << " dB, ölçülen " << std::lround(am::centsBetween(am::pluckFundamental(x), nominal))
            << " sent, son örnek " << x.back() << std::setprecision(2) << ", sönme "
            << am::rms(seconds(x, length - 0.010, 0.010)) /
                   am::rms(seconds(x, length - 0.070, 0.010))
            << ", düşüş " << am::rms(seconds(x, length - 0.5, 0.5)) / am::rms(seconds(x, 0.0, 0.5))
            << ", harmonikler " << upper / (fundamental * fundamental) << '\n';
    }
    test::expectGolden("tools/samples.txt", out.str());
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

    EXPECT_EQ(samples::writeSampleFolder(openCents, folder).size(), 26u);
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

constexpr const char* kSox = "/usr/bin/sox";

// A chunk: its id, its little-endian size, its body and a pad byte when that is odd.
std::string chunk(const std::string& id, std::string body) {
    const auto n = static_cast<std::uint32_t>(body.size());
    body.resize(n + n % 2, '\0');
    return id + std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + body;
}

struct Layout {
    const char* name;
    const char* soxOptions; // nullptr: the chunks below go into the bundled file instead
    std::string beforeFormat = {}, beforeData = {}, atEnd = {};
};

// The bundled file with the layout's chunks put before "fmt " (at 12), before "data" (at 36)
// and at the end, the RIFF size mended.
std::vector<std::uint8_t> withChunks(const std::vector<std::uint8_t>& bundled, const Layout& l) {
    std::string b(bundled.begin(), bundled.end());
    b = b.substr(0, 12) + l.beforeFormat + b.substr(12, 24) + l.beforeData + b.substr(36) + l.atEnd;
    b.replace(4, 4, chunk("", std::string(b.size() - 8, ' ')).substr(0, 4));
    return {b.begin(), b.end()};
}

// A text chunk body, the word "data" in it to mislead a search, padded to `size`.
std::string text(std::string s, std::size_t size) {
    s.resize(size, ' ');
    return s;
}

const Layout kLayouts[] = {
    {"24-bit", "-b 24"},
    {"float", "-e floating-point -b 32"},
    {"stereo", "-c 2"},
    {"48 kHz", "-r 48000"},
    {"22.05 kHz", "-r 22050"},
    {"8-bit", "-b 8"},
    {"A-law", "-e a-law"},
    {"mu-law", "-e u-law"},
    {"extensible, 4 channels", "-c 4"},
    {"48 kHz 24-bit stereo", "-r 48000 -b 24 -c 2"},
    {"JUNK and bext first", nullptr,
     chunk("JUNK", std::string(28, '\0')) + chunk("bext", text("data ZEMBERA", 602))},
    {"1200-byte LIST", nullptr, "",
     chunk("LIST", "INFO" + chunk("ICMT", text("the data chunk follows; data", 1188)))},
    // One cue point: id 1, at sample 4410 (0x113A), in the chunk "data".
    {"cue, PAD and iXML", nullptr, "",
     chunk("cue ", std::string("\1\0\0\0\1\0\0\0\x3A\x11\0\0data", 16) + std::string(8, '\0') +
                       std::string("\x3A\x11\0\0", 4)),
     chunk("PAD ", std::string(5, '\0')) +
         chunk("iXML", text("<BWFXML><NOTE>data</NOTE></BWFXML>", 35))},
};

// Largest magnitude of the file's samples as SoX reads them, in 16-bit steps.
double soxPeak(const fs::path& file) {
    const std::string command = std::string(kSox) + " '" + file.string() + "' -n stat 2>&1";
    std::string stat;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe))
            stat += buffer;
        pclose(pipe);
    }
    const auto value = [&](const std::string& label) {
        const auto at = stat.find(label);
        return at == std::string::npos ? 1.0 : std::abs(std::stod(stat.substr(at + label.size())));
    };
    return 32768.0 * std::max(value("Maximum amplitude:"), value("Minimum amplitude:"));
}

TEST(SampleLayouts, EveryStringSoundsAtItsTablePitchNoLouderThanItsFile) {
    if (!fs::exists(kSox)) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    const fs::path& folder = dir.path();
    fs::create_directories(folder / "wavs");
    fs::copy_file(kProgramDir / "Dizek.txt", folder / "Dizek.txt");
    const std::vector<std::string> names = listWavFiles(kSampleDir);
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        std::vector<double> filePeak(27);
        for (const std::string& name : names) {
            const fs::path source = kSampleDir / name;
            const fs::path made = folder / "wavs" / name;
            if (layout.soxOptions) {
                const std::string command = std::string(kSox) + " -D '" + source.string() + "' " +
                                            layout.soxOptions + " '" + made.string() + "'";
                ASSERT_EQ(std::system(command.c_str()), 0) << command;
            } else {
                test::writeFile(made, withChunks(test::readFile(source), layout));
            }
            filePeak[static_cast<std::size_t>(std::stoi(name.substr(0, 2)))] = soxPeak(made);
            if (std::string(layout.name).starts_with("extensible")) {
                ASSERT_EQ(test::samplesIn(test::readFile(made))[10], -2)
                    << "not WAVE_FORMAT_EXTENSIBLE";
            }
        }
        RecordedMessages messages;
        const StartupResult r = loadProgram(folder, messages);
        ASSERT_FALSE(r.fatal) << *r.fatal;
        EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();

        for (int s = 1; s <= 26; ++s) {
            SCOPED_TRACE("string " + std::to_string(s));
            const auto sound = decodeWav(r.program->sounds->stringSound(s));
            ASSERT_TRUE(sound && sound->frames > 44100);
            const auto samples = test::samplesIn({sound->data, 2 * sound->frames});
            const std::vector<double> x(samples.begin(), samples.end());
            const auto [low, high] = std::minmax_element(x.begin(), x.end());
            EXPECT_LE(std::max(-*low, *high), filePeak[static_cast<std::size_t>(s)] + 1.0);
            const double tableHz =
                kReferenceHz * std::exp2(r.program->tables.centTable(s, 0) / 1200.0);
            const double hz = am::pluckFundamental(x);
            EXPECT_NEAR(am::centsBetween(hz, tableHz), 0.0, 1.0) << "measured " << hz;
        }
    }
}

} // namespace
} // namespace zembera
