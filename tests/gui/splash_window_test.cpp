#include "shell/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <filesystem>
#include <vector>

#include "support/gui_application.h"

namespace zembera {
namespace {

TEST(SplashWindow, ShowsTheWholeBuiltLogoAndTheCaptionInTheMiddleOfTheScreen) {
    test::ensureGuiApplication<QApplication>();
    const auto logo =
        QString::fromStdString((std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "logo.png").string());
    SplashWindow splash(logo);
    const auto* image = splash.findChild<QLabel*>("imgLogo");
    const auto* caption = splash.findChild<QLabel*>("loadingCaption");
    ASSERT_TRUE(image && caption);
    EXPECT_EQ(image->pixmap().size(), QSize(482, 200));
    EXPECT_EQ(caption->text(), QString::fromUtf8("Y  ü  k  l  e  n  i  y  o  r . . . . . . . . "));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 1);

    // The title: seven letters (runs of inked columns), the A at least as wide as the Z: whole.
    const QImage drawn(logo);
    std::vector<int> widths;
    for (int x = 0, previous = 0; x < 240; ++x) {
        int ink = 0;
        for (int y = 30; y < 110; ++y)
            ink |= drawn.pixel(x, y) == qRgb(90, 30, 20);
        if (ink && previous) ++widths.back();
        if (ink && !previous) widths.push_back(1);
        previous = ink;
    }
    ASSERT_EQ(widths.size(), 7u);
    EXPECT_GE(widths.back(), widths.front());
}

} // namespace
} // namespace zembera
