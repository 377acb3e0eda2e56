// The bundled samples rewritten by SoX in other common WAV layouts, loaded as a program folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "common/messages.h"
#include "shell/startup_loader.h"
#include "sound/pcm_decode.h"
#include "sound/resample.h"
#include "sound/sound_test_support.h"
#include "sound/wav_image.h"
#include "sound/wav_reader.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
namespace am = audio_measure;

const fs::path kProgramDir = ZEMBERA_PROGRAM_DIR;
constexpr const char* kSox = "/usr/bin/sox";

using ByteVector = std::vector<std::uint8_t>;

ByteVector chunk(const std::string& id, const ByteVector& body) {
    test::Bytes c;
    c.id(id).u32(static_cast<std::uint32_t>(body.size()));
    c.data.insert(c.data.end(), body.begin(), body.end());
    return c.fill(body.size() % 2, 0).data;
}

ByteVector join(ByteVector a, const ByteVector& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A canonical file with chunks put before "fmt " (at 12), before "data" (at 36) and at the end.
ByteVector withChunks(const ByteVector& canonical, const ByteVector& before,
                      const ByteVector& between, const ByteVector& after) {
    const auto at = canonical.begin();
    ByteVector b = join(join(ByteVector(at, at + 12), before), ByteVector(at + 12, at + 36));
    b = join(join(join(b, between), ByteVector(at + 36, canonical.end())), after);
    const ByteVector riffSize = test::Bytes{}.u32(static_cast<std::uint32_t>(b.size() - 8)).data;
    std::copy(riffSize.begin(), riffSize.end(), b.begin() + 4);
    return b;
}

struct Layout {
    const char* name;
    const char* soxOptions; // nullptr: the chunks below are added to the bundled file instead
    ByteVector before = {}, between = {}, after = {};
};

std::vector<Layout> layouts() {
    const auto text = [](std::string s, std::size_t size) {
        s.resize(size, ' ');
        return ByteVector(s.begin(), s.end());
    };
    // One cue point: id 1, at sample 4410, in the chunk "data".
    const ByteVector cue =
        test::Bytes{}.u32(1).u32(1).u32(4410).id("data").u32(0).u32(0).u32(4410).data;
    const ByteVector list = chunk(
        "LIST", join(text("INFO", 4), chunk("ICMT", text("the data chunk follows; data", 1188))));
    const ByteVector before =
        join(chunk("JUNK", ByteVector(28, 0)), chunk("bext", text("data ZEMBERA", 602)));
    const ByteVector after = join(chunk("PAD ", ByteVector(5, 0)),
                                  chunk("iXML", text("<BWFXML><NOTE>data</NOTE></BWFXML>", 35)));
    return {
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
        {"JUNK and bext first", nullptr, before},
        {"1200-byte LIST", nullptr, {}, list},
        {"cue, PAD and iXML", nullptr, {}, chunk("cue ", cue), after},
    };
}

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

class SampleLayouts : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(kSox)) GTEST_SKIP() << "sox is not installed";
        fs::create_directories(folder / "wavs");
        fs::copy_file(kProgramDir / "Dizek.txt", folder / "Dizek.txt");
        names = listWavFiles(kProgramDir / "wavs");
        ASSERT_EQ(names.size(), 26u);
    }
    test::TempDir dir;
    const fs::path& folder = dir.path();
    std::vector<std::string> names;
};

TEST_F(SampleLayouts, EveryStringSoundsAtItsTablePitchNoLouderThanItsFile) {
    for (const Layout& layout : layouts()) {
        SCOPED_TRACE(layout.name);
        std::vector<double> filePeak(27);
        for (const std::string& name : names) {
            const fs::path source = kProgramDir / "wavs" / name;
            const fs::path made = folder / "wavs" / name;
            if (layout.soxOptions) {
                const std::string command = std::string(kSox) + " -D '" + source.string() + "' " +
                                            layout.soxOptions + " '" + made.string() + "'";
                ASSERT_EQ(std::system(command.c_str()), 0) << command;
            } else {
                test::writeFile(made, withChunks(test::readFile(source), layout.before,
                                                 layout.between, layout.after));
            }
            filePeak[static_cast<std::size_t>(std::stoi(name.substr(0, 2)))] = soxPeak(made);
            if (std::string(layout.name).starts_with("extensible")) {
                ASSERT_EQ(test::littleEndian(test::readFile(made), 20, 2), 0xFFFEu)
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

// Open strings play their files byte for byte, others the index-scaled copy of the samples.
TEST_F(SampleLayouts, ProgramLayoutGivesTheImagesItAlwaysGave) {
    RecordedMessages messages;
    const StartupResult r = loadProgram(kProgramDir, messages);
    ASSERT_FALSE(r.fatal) << *r.fatal;
    EXPECT_TRUE(messages.shown.empty());
    for (int s = 1; s <= 26; ++s) {
        SCOPED_TRACE("string " + std::to_string(s));
        const std::string& name = r.program->samples.sampleFileName[s];
        const ByteVector file = test::readFile(kProgramDir / "wavs" / name);
        const SoundImage& image = *r.program->sounds->stringSound(s);
        const float target = static_cast<float>(
            kReferenceHz * std::pow(2.0, static_cast<double>(static_cast<float>(
                                             r.program->tables.centTable(s, 0))) /
                                             1200));
        const float nominal = static_cast<float>(std::stoi(name.substr(3, 6)) / 100.0);
        if (target == nominal) {
            EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin(), file.end()));
            continue;
        }
        const auto samples = test::samplesIn(std::span(file).subspan(44));
        const SoundImagePtr expected =
            buildResampledImage(planResample(nominal, target, 10, samples.size()), samples);
        EXPECT_TRUE(image == *expected);
    }
}

} // namespace
} // namespace zembera
