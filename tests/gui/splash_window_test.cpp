#include "shell/splash_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <filesystem>

namespace zembera {
namespace {

TEST(SplashWindow, ShowsTheBuiltLogoAndTheLoadingCaption) {
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);

    const auto logo = std::filesystem::path(ZEMBERA_PROGRAM_DIR) / "logo.png";
    SplashWindow splash(QString::fromStdString(logo.string()));
    const auto* image = splash.findChild<QLabel*>(QStringLiteral("imgLogo"));
    ASSERT_NE(image, nullptr);
    ASSERT_FALSE(image->pixmap().isNull()) << "the build makes logo.png";
    EXPECT_EQ(image->pixmap().size(), QSize(482, 200));
    const auto* caption = splash.findChild<QLabel*>(QStringLiteral("Label2"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(), QString::fromUtf8("Y  ü  k  l  e  n  i  y  o  r . . . . . . . . "));
}

} // namespace
} // namespace zembera
