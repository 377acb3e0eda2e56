// "Büyüt" never makes the window larger than the screen's available area (pixels at 1×): the
// window is 1850 × 1194 at 2× and 1388 × 896 at 1.5×, plus a title bar and borders.

#include <QComboBox>

#include "shell/window_scale.h"
#include "window_fixture.h"

namespace zembera {
namespace {

using WindowScale = test::WindowFixture;

// Only the factors that fit are offered; a remembered one that does not fit gives way at the
// start to the largest that does (an unknown screen takes it as it is).
TEST_F(WindowScale, OnlyWhatFitsTheScreenIsOfferedOrTaken) {
    struct Screen {
        std::optional<QSize> available;
        QStringList offered;
        double at2x; // the factor a remembered 2× starts with
    };
    const Screen screens[] = {
        {QSize(1280, 800), {"1×"}, 1.0},          // 1.5× is 1388 wide
        {QSize(1366, 768), {"1×"}, 1.0},          // and 896 high
        {QSize(1920, 1050), {"1×", "1,5×"}, 1.5}, // 2× is 1194 high
        {QSize(1920, 1200), {"1×", "1,5×"}, 1.5}, // and a title bar more
        {QSize(2560, 1400), {"1×", "1,5×", "2×"}, 2.0},
        {QSize(800, 600), {"1×"}, 1.0}, // 1× always
        {std::nullopt, {}, 2.0},
    };
    const QByteArray before = qgetenv("QT_SCALE_FACTOR");
    for (const Screen& screen : screens) {
        if (screen.available) {
            QComboBox* choice = addScaleChoice(window->instrumentPicture, 60, 350, userSettings(),
                                               messages, *screen.available);
            QStringList offered;
            for (int i = 0; i < choice->count(); ++i)
                offered << choice->itemText(i);
            EXPECT_EQ(offered, screen.offered) << screen.available->width();
            delete choice;
        }
        qunsetenv("QT_SCALE_FACTOR");
        rememberWindowScale(*userSettings(), 2.0);
        const auto start =
            applyRememberedWindowScale(*userSettings(), [&screen] { return screen.available; });
        EXPECT_EQ(start.used, screen.at2x);
        EXPECT_EQ(qgetenv("QT_SCALE_FACTOR").toDouble(), screen.at2x == 1.0 ? 0.0 : screen.at2x);
        EXPECT_EQ(rememberedWindowScale(*userSettings()), 2.0) << "the choice stays";
    }
    qunsetenv("QT_SCALE_FACTOR");
    if (!before.isNull()) qputenv("QT_SCALE_FACTOR", before);
    userSettings()->clear();
    applyRememberedWindowScale(*userSettings(), [] { return std::optional<QSize>(); });
}

} // namespace
} // namespace zembera
