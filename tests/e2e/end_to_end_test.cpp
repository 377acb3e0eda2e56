// The real executable under a virtual X server: keys and a click sent as a user would, the
// window's picture and the sound that reached the audio device checked afterwards.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
namespace am = audio_measure;

bool have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<double> readRaw(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<double> out;
    std::int16_t v;
    while (in.read(reinterpret_cast<char*>(&v), 2))
        out.push_back(v);
    return out;
}

// Start of every stretch of sound that follows at least `gap` samples of near silence.
std::vector<std::size_t> onsets(const std::vector<double>& x, std::size_t gap) {
    std::vector<std::size_t> starts;
    std::size_t quiet = gap;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (std::abs(x[i]) > 200) {
            if (quiet >= gap) starts.push_back(i);
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return starts;
}

// Pitch of the 0.2 s that begin 50 ms after `start` (past the attack).
double pitchAt(const std::vector<double>& x, std::size_t start) {
    const std::size_t from = start + 2205;
    if (from + 8820 > x.size()) return 0;
    const std::span<const double> part(x.data() + from, 8820);
    return am::coarseFundamental(part, 60, 2000);
}

TEST(EndToEnd, KeysAndClickSoundAndDrawThroughTheRealProgram) {
    if (!have("xvfb-run") || !have("xdotool") || !have("import")) {
        GTEST_SKIP() << "xvfb-run, xdotool or import missing";
    }
    const fs::path out = fs::temp_directory_path() / "zembera_e2e";
    fs::remove_all(out);
    const std::string script =
        std::string(ZEMBERA_E2E_SCRIPT) + " " + ZEMBERA_PROGRAM_DIR + " " + out.string();
    const std::string command =
        "xvfb-run -a -s '-screen 0 1280x800x24' " + script + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const QImage shot(QString::fromStdString((out / "window.png").string()));
    ASSERT_FALSE(shot.isNull());
    // String 1 was plucked last: black; string 12 red again; the instrument picture at (11, 63).
    auto stringPixel = [&](int s) {
        const int x0 = 530 - 19 * (s - 1);
        return shot.pixel(11 + (x0 + 680) / 2, 63 + 26 + 15 * (s - 1)) & 0xFFFFFF;
    };
    EXPECT_EQ(stringPixel(1), 0x000000u);
    EXPECT_EQ(stringPixel(12), 0xFF0000u);
    EXPECT_EQ(stringPixel(13), 0xFFFFFFu);

    const std::vector<double> audio = readRaw(out / "audio.raw");
    ASSERT_GT(audio.size(), 44100u);
    const auto starts = onsets(audio, 441);
    // The held S key, then after its release the arrow keys and the click, which follow one
    // another on the memory channel without a pause.
    ASSERT_GE(starts.size(), 2u);
    // The held S key plays string 12 (A4 of the table, 440.15 Hz).
    EXPECT_NEAR(am::centsBetween(pitchAt(audio, starts.front()), 440.15), 0, 20);
    // The click came last and sounds to the end of the capture: string 1 (E6, 1314.65 Hz).
    ASSERT_GT(audio.size(), starts.back() + 22050u);
    EXPECT_NEAR(am::centsBetween(pitchAt(audio, audio.size() - 13230), 1314.65), 0, 20);
}

} // namespace
} // namespace zembera
