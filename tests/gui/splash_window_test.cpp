#include "shell/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <filesystem>
#include <vector>

namespace zembera {
namespace {

QString builtLogo() {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    return QString::fromStdString(
        (std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "logo.png").string());
}

// The columns of the title's letters, left of the kanun: each run of columns holding the title's
// colour, as first and last column.
std::vector<std::pair<int, int>> titleLetters(const QImage& logo) {
    std::vector<std::pair<int, int>> letters;
    bool inLetter = false;
    for (int x = 0; x < 240; ++x) {
        bool ink = false;
        for (int y = 30; y < 110; ++y)
            ink = ink || logo.pixel(x, y) == qRgb(90, 30, 20);
        if (ink && !inLetter) letters.emplace_back(x, x);
        if (ink) letters.back().second = x;
        inLetter = ink;
    }
    return letters;
}

TEST(SplashWindow, ShowsTheBuiltLogoAndTheLoadingCaption) {
    SplashWindow splash(builtLogo());
    const auto* image = splash.findChild<QLabel*>(QStringLiteral("imgLogo"));
    ASSERT_NE(image, nullptr);
    ASSERT_FALSE(image->pixmap().isNull()) << "the build makes logo.png";
    EXPECT_EQ(image->pixmap().size(), QSize(482, 200));
    const auto* caption = splash.findChild<QLabel*>(QStringLiteral("Label2"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QString::fromUtf8("Y  ü  k  l  e  n  i  y  o  r . . . . . . . . "));
}

TEST(SplashWindow, StandsInTheMiddleOfTheScreenWithTheWholeTitle) {
    SplashWindow splash(builtLogo());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 1);

    // Seven letters, the last (A) at least as wide as the first (Z): the A is whole.
    const QImage logo(builtLogo());
    const auto letters = titleLetters(logo);
    ASSERT_EQ(letters.size(), 7u);
    const auto width = [](std::pair<int, int> l) { return l.second - l.first + 1; };
    EXPECT_GE(width(letters.back()), width(letters.front()));
}

} // namespace
} // namespace zembera
