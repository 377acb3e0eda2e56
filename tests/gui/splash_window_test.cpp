#include "shell/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <filesystem>

#include "support/golden_image.h"
#include "support/gui_application.h"

namespace zembera {
namespace {

TEST(SplashWindow, ShowsTheApprovedLogoAndTheCaptionInTheMiddleOfTheScreen) {
    test::ensureGuiApplication<QApplication>();
    const auto logo =
        QString::fromStdString((std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "logo.png").string());
    SplashWindow splash(logo);
    const auto* caption = splash.findChild<QLabel*>("loadingCaption");
    ASSERT_TRUE(caption);
    EXPECT_EQ(caption->text(), QString::fromUtf8("Y  ü  k  l  e  n  i  y  o  r . . . . . . . . "));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((splash.geometry().center() - screen.center()).manhattanLength(), 1);

    // The built logo with its title whole, and the caption.
    test::expectGoldenImage("gui/splash.png", splash.grab().toImage());
}

} // namespace
} // namespace zembera
