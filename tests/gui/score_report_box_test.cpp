// The box that shows a score's report with its buttons: Escape presses the last one, which
// cancels, so a report closed by Escape never starts the piece.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "scores/score_player.h"
#include "shell/qt_messages.h"
#include "support/gui_application.h"

namespace zembera {
namespace {

// Presses `key` on the modal box as soon as it is open.
void pressOnTheBox(Qt::Key key) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, key] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            QTest::keyClick(box, key);
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

TEST(ScoreReportBox, EscapeCancelsAndEnterPlays) {
    test::ensureGuiApplication<QApplication>();
    QtMessages messages;
    const std::vector<std::string> buttons{scores::kPlayCaption, scores::kPrepareMandalsCaption,
                                           scores::kCancelCaption};
    pressOnTheBox(Qt::Key_Escape);
    EXPECT_EQ(messages.choose("rapor", buttons), 2);
    pressOnTheBox(Qt::Key_Return);
    EXPECT_EQ(messages.choose("rapor", buttons), 0);
}

} // namespace
} // namespace zembera
