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

// Widths of the title's letters left of the kanun: the runs of columns holding its colour.
std::vector<int> titleLetterWidths(const QImage& logo) {
    std::vector<int> widths;
    for (int x = 0, previous = 0; x < 240; ++x) {
        int ink = 0;
        for (int y = 30; y < 110; ++y)
            ink |= logo.pixel(x, y) == qRgb(90, 30, 20);
        if (ink && previous) ++widths.back();
        if (ink && !previous) widths.push_back(1);
        previous = ink;
    }
    return widths;
}

TEST(SplashWindow, ShowsTheWholeBuiltLogoAndTheCaptionInTheMiddleOfTheScreen) {
    SplashWindow splash(builtLogo());
    const auto* image = splash.findChild<QLabel*>(QStringLiteral("imgLogo"));
    ASSERT_NE(image, nullptr);
    ASSERT_FALSE(image->pixmap().isNull()) << "the build makes logo.png";
    EXPECT_EQ(image->pixmap().size(), QSize(482, 200));
    const auto* caption = splash.findChild<QLabel*>(QStringLiteral("loadingCaption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QString::fromUtf8("Y  ü  k  l  e  n  i  y  o  r . . . . . . . . "));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 1);

    // Seven letters, the last (A) at least as wide as the first (Z): the A is whole.
    const std::vector<int> widths = titleLetterWidths(QImage(builtLogo()));
    ASSERT_EQ(widths.size(), 7u);
    EXPECT_GE(widths.back(), widths.front());
}

} // namespace
} // namespace zembera
