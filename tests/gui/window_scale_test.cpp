// "Büyüt" never makes the window larger than the screen: only the factors whose window fits are
// offered, and a remembered one that does not fit gives way at the start to the largest that
// does, told in the status line. At 2× the window is 1850 × 1194 pixels, at 1.5× 1388 × 896, plus
// the window manager's title and borders.

#include <QComboBox>
#include <QLabel>

#include "shell/status_frame.h"
#include "shell/window_scale.h"
#include "window_fixture.h"

namespace zembera {
namespace {

using WindowScale = test::WindowFixture;

struct Screen {
    QSize available; // pixels at 1×
    QStringList offered;
};
const Screen kScreens[] = {
    {{1280, 800}, {"1×"}},                // 1.5× is 1388 wide
    {{1366, 768}, {"1×"}},                // and 896 high
    {{1920, 1050}, {"1×", "1,5×"}},       // 2× is 1194 high
    {{1920, 1200}, {"1×", "1,5×"}},       // 2× with its title bar is higher still
    {{2560, 1400}, {"1×", "1,5×", "2×"}}, // room for all
    {{800, 600}, {"1×"}},                 // 1× always
};

TEST_F(WindowScale, OnlyTheFactorsThatFitTheScreenAreOffered) {
    for (const Screen& screen : kScreens) {
        QComboBox* choice = addScaleChoice(window->instrumentPicture, 60, 350, userSettings(),
                                           messages, screen.available);
        QStringList offered;
        for (int i = 0; i < choice->count(); ++i)
            offered << choice->itemText(i);
        EXPECT_EQ(offered, screen.offered) << screen.available.width();
        EXPECT_EQ(choice->currentText(), QStringLiteral("1×"));
        delete choice;
    }
}

// At the start a remembered factor is taken when it fits, else the largest that does; the user's
// own QT_SCALE_FACTOR is left alone.
TEST_F(WindowScale, AStoredFactorThatDoesNotFitGivesWayToTheLargestThatDoes) {
    struct Start {
        double stored;
        std::optional<QSize> screen; // none: not known
        double used;
        const char* factor; // QT_SCALE_FACTOR set, "" none
    };
    const Start starts[] = {
        {2.0, QSize(1280, 800), 1.0, ""},     {2.0, QSize(1920, 1050), 1.5, "1.5"},
        {1.5, QSize(2560, 1400), 1.5, "1.5"}, {2.0, QSize(2560, 1400), 2.0, "2"},
        {2.0, std::nullopt, 2.0, "2"},        {1.0, QSize(800, 600), 1.0, ""},
    };
    const QByteArray before = qgetenv("QT_SCALE_FACTOR");
    for (const Start& s : starts) {
        qunsetenv("QT_SCALE_FACTOR");
        rememberWindowScale(*userSettings(), s.stored);
        const WindowScaleStart start =
            applyRememberedWindowScale(*userSettings(), [&s] { return s.screen; });
        EXPECT_EQ(start.stored, s.stored);
        EXPECT_EQ(start.used, s.used) << s.stored;
        EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), QByteArray(s.factor)) << s.stored;
        EXPECT_EQ(rememberedWindowScale(*userSettings()), s.stored) << "the choice stays";
    }
    qputenv("QT_SCALE_FACTOR", "1.25"); // the user's own
    rememberWindowScale(*userSettings(), 2.0);
    applyRememberedWindowScale(*userSettings(), [] { return std::optional(QSize(800, 600)); });
    EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), QByteArray("1.25"));
    if (before.isNull())
        qunsetenv("QT_SCALE_FACTOR");
    else
        qputenv("QT_SCALE_FACTOR", before);
    userSettings()->clear();
    applyRememberedWindowScale(*userSettings(), [] { return std::optional<QSize>(); });
}

// The status line says so for a while in the MIDI line, and the hint keeps it.
TEST_F(WindowScale, TheFallbackIsToldInTheStatusLine) {
    StatusFrame& status = window->status();
    status.setMidi(QStringLiteral("MIDI girişi yok"), QStringLiteral("MIDI: 0 giriş"));
    status.setScaleFallback(2.0, 1.5, 100);
    EXPECT_EQ(status.line(StatusLine::midi)->text(), QStringLiteral("2× sığmadı"));
    EXPECT_TRUE(status.fullText().contains(QStringLiteral("Büyüt 2×")));
    EXPECT_TRUE(status.fullText().contains(QStringLiteral("1,5× kullanılıyor")));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return status.line(StatusLine::midi)->text() == QStringLiteral("MIDI: 0 giriş"); }));
    EXPECT_TRUE(status.fullText().contains(QStringLiteral("Büyüt 2×")));
}

} // namespace
} // namespace zembera
