#include "shell/splash_window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace zembera {

SplashWindow::SplashWindow(const QString& logoFile)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    auto* logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setFixedSize(482, 200);
    logo->setPixmap(QPixmap(logoFile));
    auto* label = new QLabel(QString::fromUtf8(kLoadingCaption), frame);
    label->setObjectName(QStringLiteral("loadingCaption"));
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(logo);
    inner->addWidget(label);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    adjustSize();
    // In the middle of the screen, as the window that follows it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace zembera
