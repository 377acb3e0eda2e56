// The bundled samples rewritten by SoX in other common WAV layouts, loaded as a program folder:
// every string must sound at its table pitch, no louder than its file, and a folder in the
// program's own layout must give exactly the images it always gave.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "audio_measure.h"
#include "common/messages.h"
#include "shell/startup_loader.h"
#include "sound/pcm_decode.h"
#include "sound/resample.h"
#include "sound/wav_image.h"
#include "sound/wav_reader.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
namespace am = audio_measure;

const fs::path kProgramDir = ZEMBERA_PROGRAM_DIR;
constexpr const char* kSox = "/usr/bin/sox";

using ByteVector = std::vector<std::uint8_t>;

ByteVector readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put32(ByteVector& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

ByteVector chunk(const std::string& id, ByteVector body) {
    ByteVector c(id.begin(), id.end());
    c.resize(8);
    put32(c, 4, static_cast<std::uint32_t>(body.size()));
    if (body.size() % 2) body.push_back(0);
    c.insert(c.end(), body.begin(), body.end());
    return c;
}

// A canonical file (fmt at 12, data at 36) with chunks put before "fmt ", between it and "data",
// and after the data.
ByteVector withChunks(const ByteVector& canonical, const ByteVector& before,
                      const ByteVector& between, const ByteVector& after) {
    ByteVector b(canonical.begin(), canonical.begin() + 12);
    b.insert(b.end(), before.begin(), before.end());
    b.insert(b.end(), canonical.begin() + 12, canonical.begin() + 36);
    b.insert(b.end(), between.begin(), between.end());
    b.insert(b.end(), canonical.begin() + 36, canonical.end());
    b.insert(b.end(), after.begin(), after.end());
    put32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

struct Layout {
    const char* name;
    const char* soxOptions; // nullptr: the chunks below are added to the bundled file instead
    ByteVector before = {}, between = {}, after = {};
};

std::vector<Layout> layouts() {
    const auto text = [](const std::string& s, std::size_t size) {
        ByteVector b(s.begin(), s.end());
        b.resize(size, ' ');
        return b;
    };
    ByteVector cue(4 + 24, 0);
    cue[0] = 1; // one cue point: id 1, at sample 4410, in the chunk "data"
    cue[4] = 1;
    put32(cue, 8, 4410);
    std::copy_n("data", 4, cue.begin() + 12);
    put32(cue, 24, 4410);
    const ByteVector list = chunk("LIST", [&] {
        ByteVector b = text("INFO", 4);
        const ByteVector comment = chunk("ICMT", text("the data chunk follows; data", 1188));
        b.insert(b.end(), comment.begin(), comment.end());
        return b;
    }());
    ByteVector before = chunk("JUNK", ByteVector(28, 0));
    const ByteVector bext = chunk("bext", text("data ZEMBERA", 602));
    before.insert(before.end(), bext.begin(), bext.end());
    ByteVector after = chunk("PAD ", ByteVector(5, 0));
    const ByteVector ixml = chunk("iXML", text("<BWFXML><NOTE>data</NOTE></BWFXML>", 35));
    after.insert(after.end(), ixml.begin(), ixml.end());
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
        fs::remove_all(folder);
        fs::create_directories(folder / "wavs");
        fs::copy_file(kProgramDir / "Dizek.txt", folder / "Dizek.txt");
        names = listWavFiles(kProgramDir / "wavs");
        ASSERT_EQ(names.size(), 26u);
    }
    void TearDown() override { fs::remove_all(folder); }

    const fs::path folder =
        fs::temp_directory_path() / ("zembera_layouts_" + std::to_string(getpid()));
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
                const ByteVector bytes =
                    withChunks(readBytes(source), layout.before, layout.between, layout.after);
                std::ofstream(made, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<std::streamsize>(bytes.size()));
            }
            filePeak[static_cast<std::size_t>(std::stoi(name.substr(0, 2)))] = soxPeak(made);
            if (std::string(layout.name).starts_with("extensible")) {
                const ByteVector bytes = readBytes(made);
                ASSERT_EQ(bytes[20] | bytes[21] << 8, 0xFFFE) << "not WAVE_FORMAT_EXTENSIBLE";
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
            std::vector<double> x(sound->frames);
            double peak = 0;
            for (std::size_t i = 0; i < x.size(); ++i) {
                x[i] = static_cast<std::int16_t>(sound->data[2 * i] | sound->data[2 * i + 1] << 8);
                peak = std::max(peak, std::abs(x[i]));
            }
            EXPECT_LE(peak, filePeak[static_cast<std::size_t>(s)] + 1.0);
            const double tableHz =
                kReferenceHz * std::exp2(r.program->tables.centTable(s, 0) / 1200.0);
            const double hz = am::pluckFundamental(x);
            EXPECT_NEAR(am::centsBetween(hz, tableHz), 0.0, 1.0) << "measured " << hz;
        }
    }
}

// The bundled folder takes the path it always took: the open strings play their files byte for
// byte, every other string the index-scaled copy of the samples read from offset 44.
TEST_F(SampleLayouts, ProgramLayoutGivesTheImagesItAlwaysGave) {
    RecordedMessages messages;
    const StartupResult r = loadProgram(kProgramDir, messages);
    ASSERT_FALSE(r.fatal) << *r.fatal;
    EXPECT_TRUE(messages.shown.empty());
    for (int s = 1; s <= 26; ++s) {
        SCOPED_TRACE("string " + std::to_string(s));
        const std::string& name = r.program->samples.sampleFileName[s];
        const ByteVector file = readBytes(kProgramDir / "wavs" / name);
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
        std::vector<std::int16_t> samples((file.size() - 44) / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<std::int16_t>(file[44 + 2 * i] | file[45 + 2 * i] << 8);
        const SoundImagePtr expected =
            buildResampledImage(planResample(nominal, target, 10, samples.size()), samples);
        EXPECT_TRUE(image == *expected);
    }
}

} // namespace
} // namespace zembera
