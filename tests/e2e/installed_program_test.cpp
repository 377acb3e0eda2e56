// The program installed system-wide: its folder belongs to root and cannot be written, so another
// user's scratch files and makams go to that user's data folder, and the makam list shows the
// bundled makams and the user's own together. Driven under a virtual X server as that user.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "program_run.h"
#include "shell/window_layout.h"
#include "tools/audio_measure.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "zembera-deneme";

using e2e::have;
using e2e::readAll;

int run(const std::string& command) {
    return std::system(command.c_str());
}

std::set<std::string> treeOf(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(fs::relative(entry.path(), folder).string());
    return names;
}

// Lines of text in `area` of `shot`: bands of rows holding dark pixels, bands closer than three
// rows (the dots of "ü" over their letters) counted as one.
int textLines(const QImage& shot, const Rect& area) {
    const QRect r = QRectF(area.left, area.top, area.width, area.height).toRect();
    int lines = 0;
    int blankRun = 3;
    for (int y = r.top() + 2; y < r.bottom() - 2; ++y) {
        bool dark = false;
        for (int x = r.left() + 3; x < r.right() - 3 && !dark; ++x)
            dark = qGray(shot.pixel(x, y)) < 110;
        if (dark && blankRun >= 3) ++lines;
        blankRun = dark ? 0 : blankRun + 1;
    }
    return lines;
}

TEST(InstalledProgram, ReadOnlyProgramFolderKeepsTheUsersFilesInTheirOwnFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "kök kullanıcı gerekli";
    for (const char* tool : {"Xvfb", "xdotool", "import", "runuser", "useradd", "cmake"}) {
        if (!have(tool)) GTEST_SKIP() << tool << " bulunamadı";
    }
    // Under /tmp itself: the test's own temporary folder is closed to other users.
    const fs::path root = fs::path("/tmp") / ("zembera_installed_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    bool created = false;
    fs::path userFolder;
    // Whatever the outcome, the install, the user's files and a user made here go again.
    const std::shared_ptr<void> cleanup(nullptr, [&](void*) {
        fs::remove_all(root);
        if (!userFolder.empty()) fs::remove_all(userFolder);
        if (created) run(std::string("userdel -r ") + kUser + " 2>/dev/null");
    });
    const fs::path prefix = root / "usr";
    ASSERT_EQ(run("cmake --install " ZEMBERA_BINARY_DIR " --prefix " + prefix.string() +
                  " >/dev/null && chown -R root:root " + root.string() +
                  " && chmod -R u=rwX,go=rX " + root.string()),
              0);
    const fs::path data = prefix / "share/zembera";
    const std::set<std::string> installed = treeOf(data);

    created = getpwnam(kUser) == nullptr;
    if (created) {
        ASSERT_EQ(run(std::string("useradd -m -s /bin/sh ") + kUser), 0);
    }
    const passwd* user = getpwnam(kUser);
    ASSERT_NE(user, nullptr);
    const fs::path home = user->pw_dir;
    const uid_t uid = user->pw_uid;

    const fs::path out = root / "out";
    fs::create_directories(out);
    ASSERT_EQ(run("chown " + std::string(kUser) + " " + out.string()), 0);
    // The drive script gives the run a home of its own, made by that user.
    userFolder = out / "home/.local/share/ZEMBERA";

    // Where the window puts the makam controls under a 1280 x 800 screen.
    const WindowLayout l =
        arayüzyerleşimi(1280 * WindowLayout::kTwipsPerPixel, 800 * WindowLayout::kTwipsPerPixel);
    const auto at = [](double x, double y) {
        return " " + std::to_string(std::lround(x)) + " " + std::to_string(std::lround(y));
    };
    const Rect& f = l.makamFrame;
    const std::string points =
        at(f.left + 8 + 40, f.top + 24 + 9) + at(f.left + 72 + 16, f.top + 56 + 12) +
        at(f.left + 24 + 16, f.top + 56 + 12) + at(l.makamList.left + 30, l.makamList.top + 9);
    const fs::path report = root / "drive.txt";
    const int driven = run(
        "runuser -u " + std::string(kUser) +
        " -- env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME=" + home.string() +
        " TMPDIR=" + out.string() + " bash " ZEMBERA_E2E_INSTALLED_SCRIPT " " +
        (prefix / "bin").string() + " " + out.string() + points + " >" + report.string() + " 2>&1");
    EXPECT_EQ(driven, 0) << readAll(report);

    // The makam went to the user's folder, as that user's file, and is the makam loaded from
    // the first row of the list (Hicaz.mkm) before saving.
    const fs::path saved = userFolder / "Benim.mkm";
    struct stat info {};
    ASSERT_EQ(::stat(saved.c_str(), &info), 0) << "Benim.mkm yok: " << readAll(report);
    EXPECT_EQ(info.st_uid, uid);
    EXPECT_EQ(readAll(saved), readAll(data / "Hicaz.mkm"));
    // The scratch files of the letter keys lie there too; the program folder stayed as installed.
    EXPECT_TRUE(fs::exists(userFolder / "wavs" / "12zz.zz"));
    EXPECT_EQ(treeOf(data), installed);

    // The list showed the five bundled makams, then those and the user's.
    const QImage before(QString::fromStdString((out / "before.png").string()));
    const QImage after(QString::fromStdString((out / "after.png").string()));
    ASSERT_FALSE(before.isNull());
    ASSERT_FALSE(after.isNull());
    EXPECT_EQ(textLines(before, l.makamList), 5);
    EXPECT_EQ(textLines(after, l.makamList), 6);

    // The S key sounded.
    EXPECT_GT(audio_measure::rms(e2e::readRaw(out / "audio.raw")), 100);
}

} // namespace
} // namespace zembera
