// The real executable under a virtual X server: keys and a click sent as a user would, the
// window's picture and the sound that reached the audio device checked afterwards.

#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "program_run.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
namespace am = audio_measure;

// Level (RMS) of each 10 ms of the capture.
std::vector<double> levels(const std::vector<double>& x) {
    std::vector<double> out;
    for (std::size_t i = 0; i + 441 <= x.size(); i += 441)
        out.push_back(am::rms(std::span(x).subspan(i, 441)));
    return out;
}

// Attacks: a 10 ms whose level rises past 1.5 times the lower of the two before it, 30 ms after
// the last attack (a restarted note jumps back to its attack level; a held one only decays).
int attacks(const std::vector<double>& level) {
    int count = 0;
    std::size_t last = 0;
    for (std::size_t i = 2; i < level.size(); ++i) {
        const bool rise = level[i] > 1000 && level[i] > 1.5 * std::min(level[i - 1], level[i - 2]);
        if (rise && (count == 0 || i >= last + 3)) {
            ++count;
            last = i;
        }
    }
    return count;
}

// Runs the drive script, which starts its own virtual X server; the capture lands in `out`.
void drive(const fs::path& out, const std::string& scenario) {
    if (!e2e::have("Xvfb") || !e2e::have("xdotool") || !e2e::have("import"))
        GTEST_SKIP() << "Xvfb ya da xdotool yok";
    fs::remove_all(out);
    const auto [report, code] =
        e2e::runCaptured(std::string(ZEMBERA_E2E_SCRIPT) + " " + ZEMBERA_PROGRAM_DIR + " " +
                         out.string() + " " + scenario);
    ASSERT_EQ(code, 0) << "driving the program failed:\n" << report;
}

// Pitch of the 0.2 s that begin 50 ms after `start` (past the attack).
double pitchAt(const std::vector<double>& x, std::size_t start) {
    const std::size_t from = start + 2205;
    if (from + 8820 > x.size()) return 0;
    const std::span<const double> part(x.data() + from, 8820);
    return am::coarseFundamental(part, 60, 2000);
}

TEST(EndToEnd, KeysAndClickSoundAndDrawThroughTheRealProgram) {
    const fs::path out = fs::temp_directory_path() / "zembera_e2e";
    drive(out, "play");
    if (HasFatalFailure() || IsSkipped()) return;

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

    const std::vector<double> audio = e2e::readRaw(out / "audio.raw");
    ASSERT_GT(audio.size(), 44100u);
    // The held S key sounds first: string 12 (A4 of the table, 440.15 Hz).
    const auto first =
        std::find_if(audio.begin(), audio.end(), [](double v) { return std::abs(v) > 200; });
    EXPECT_NEAR(am::centsBetween(pitchAt(audio, first - audio.begin()), 440.15), 0, 20);
    // The click came last and sounds to the end of the capture: string 1 (E6, 1314.65 Hz).
    EXPECT_NEAR(am::centsBetween(pitchAt(audio, audio.size() - 13230), 1314.65), 0, 20);
}

// X11 repeats a held key; on a busy machine some repeats arrive as plain release+press pairs.
// The note must sound once, from the press to the real release.
TEST(EndToEnd, AKeyHeldWhileTheMachineIsBusySoundsOneNoteUntilItsRelease) {
    const fs::path out = fs::temp_directory_path() / "zembera_e2e_hold";
    drive(out, "hold");
    if (HasFatalFailure() || IsSkipped()) return;
    const std::vector<double> level = levels(e2e::readRaw(out / "audio.raw"));
    EXPECT_EQ(attacks(level), 1);
    // Held 3 s, it sounds until the release and stops well before the capture ends (on a busy
    // machine the disk driver falls behind the clock: ask for half).
    const auto sounding = [](double l) { return l > 5; };
    const auto first = std::find_if(level.begin(), level.end(), sounding);
    const auto last = std::find_if(level.rbegin(), level.rend(), sounding).base();
    ASSERT_TRUE(first < last);
    EXPECT_GT(last - first, 150);
    EXPECT_GT(level.end() - last, 10);
}

// "Büyüt" 2× remembered on the 1280 × 800 screen of the drive script: 2× (1850 × 1194) and 1.5×
// (1388 × 896) would not fit, so the window opens at 1×.
TEST(EndToEnd, ARememberedScaleLargerThanTheScreenOpensAtOneThatFits) {
    const fs::path out = fs::temp_directory_path() / "zembera_e2e_scale";
    drive(out, "scale");
    if (HasFatalFailure() || IsSkipped()) return;
    EXPECT_NE(e2e::readAll(out / "geometry.txt").find("Geometry: 925x597"), std::string::npos)
        << e2e::readAll(out / "geometry.txt");
}

} // namespace
} // namespace zembera
