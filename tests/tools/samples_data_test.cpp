// The bundled string samples as the build made them, and as other layouts of them play.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <numeric>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "common/messages.h"
#include "engine/engine.h"
#include "loader/sample_folder.h"
#include "loader/startup_loader.h"
#include "pitch/pitch_table.h"
#include "samples/sample_reader.h"
#include "samples/wav_header.h"
#include "support/golden.h"
#include "support/loaded_program.h"
#include "support/wav_files.h"

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

// Per string: the name (nominal pitch) and note against the table's pitch, length, peak, measured
// pitch, fade to silence, decay, and harmonics 2-5 against the fundamental at the start.
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
        const auto samples = test::samplesIn(std::span(file).subspan(WavHeader::kSize));
        EXPECT_TRUE(file == test::canonicalWav(samples)) << name; // RIFF sizes to the end
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

constexpr const char* kSox = "/usr/bin/sox";

struct Layout {
    const char* name;
    const char* soxOptions;
};

// Plain 8-bit, stereo and 22.05 kHz files as SoX writes them: SampleReader's table.
const Layout kLayouts[] = {
    {"24-bit", "-b 24"},
    {"float", "-e floating-point -b 32"},
    {"48 kHz", "-r 48000"},
    {"A-law", "-e a-law"},
    {"mu-law", "-e u-law"},
    {"extensible, 4 channels", "-c 4"},
    {"48 kHz 24-bit stereo", "-r 48000 -b 24 -c 2"},
};

// Each layout made of the bundled samples by SoX loads without a message; every string sounds at
// its table's pitch, the same waveform as SoX's own conversion. Other chunks around and before
// the samples: WavReader.
TEST(SampleLayouts, EveryStringSoundsAtItsTablePitchAsSoxConvertsIt) {
    if (!fs::exists(kSox)) GTEST_SKIP() << "sox is not installed";
    test::TempDir dir, soxDir;
    const fs::path& folder = dir.path();
    fs::create_directories(folder / "wavs");
    fs::copy_file(kProgramDir / "Dizek.txt", folder / "Dizek.txt");
    const fs::path converted = soxDir.path() / "sox.wav";
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        for (const std::string& name : listWavFiles(kSampleDir)) {
            const fs::path source = kSampleDir / name;
            const fs::path made = folder / "wavs" / name;
            const auto sox = [](const fs::path& from, const std::string& options,
                                const fs::path& to) {
                const std::string command = std::string(kSox) + " -D '" + from.string() + "' " +
                                            options + " '" + to.string() + "'";
                return std::system(command.c_str());
            };
            ASSERT_EQ(sox(source, layout.soxOptions, made), 0);
            ASSERT_EQ(sox(made, "-r 44100 -c 1 -b 16 -e signed-integer", converted), 0);
            const auto bytes = test::readFile(converted);
            const auto soxSamples = test::samplesIn(std::span(bytes).subspan(WavHeader::kSize));
            const std::vector<double> y(soxSamples.begin(), soxSamples.end());
            // The sample as the engine takes it at 44100 Hz: at its own pitch, played whole.
            const SampleRead read = readSample(test::readFile(made));
            ASSERT_TRUE(read.sample) << read.problem;
            engine::Engine e;
            const double nominalHz = std::stod(name.substr(3, 6)) / 100;
            e.setStringSample(1, {std::make_shared<const std::vector<float>>(read.sample->frames),
                                  read.sample->rate, nominalHz});
            const engine::Note own = e.prepareNote(1, 1200 * std::log2(nominalHz / kReferenceHz),
                                                   engine::Resampling::interpolated);
            const std::vector<double> x(own.frames.get(), own.frames.get() + own.count);
            const std::size_t n = std::min(x.size(), y.size());
            EXPECT_NEAR(double(x.size()), double(y.size()), 0.01 * double(y.size()) + 64);
            const double product =
                std::inner_product(x.begin(), x.begin() + long(n), y.begin(), 0.0);
            // SoX keeps what its conversion overshoots; the program scales it back.
            EXPECT_GT(product / double(n) / (am::rms(x) * am::rms(y)), 0.995) << name;
            EXPECT_LE(am::rms(x), am::rms(y) * 1.01 + 2) << name;
            EXPECT_GE(am::rms(x), am::rms(y) * 0.85) << name;
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
            const std::vector<std::int16_t> samples = test::stringSound(*r.program, s);
            ASSERT_GT(samples.size(), 44100u);
            const std::vector<double> x(samples.begin(), samples.end());
            const double tableHz =
                kReferenceHz * std::exp2(r.program->tables.centTable(s, 0) / 1200.0);
            const double hz = am::pluckFundamental(x);
            EXPECT_NEAR(am::centsBetween(hz, tableHz), 0.0, 1.0) << "measured " << hz;
        }
    }
}

} // namespace
} // namespace zembera
