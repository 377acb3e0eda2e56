#include "shell/status_frame.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>

namespace zembera {
namespace {

constexpr int kLineLeft = 4;
constexpr int kLineTop = 4;
constexpr int kLineHeight = 11;
constexpr int kSoundLine = 3;
constexpr int kLinePixelSize = 9;

} // namespace

bool soundDeviceMissing(const std::string& driver) {
    return driver.empty() || driver == "dummy";
}

StatusFrame::StatusFrame(QGroupBox* frame) : frame_(frame) {
    QFont small = frame->font();
    small.setPixelSize(kLinePixelSize);
    for (int i = 0; i < 4; ++i) {
        lines_[i] = new QLabel(frame);
        lines_[i]->setObjectName(QStringLiteral("durum%1").arg(i + 1));
        lines_[i]->setFont(small);
        lines_[i]->setGeometry(kLineLeft, kLineTop + kLineHeight * i,
                               frame->width() - 2 * kLineLeft, kLineHeight);
    }
    setSystem(QString());
    setMakam(QString());
    setMidi(QString());
    show(kSoundLine, QStringLiteral("ses: —")); // until the program tells which device plays
}

void StatusFrame::show(int i, const QString& text) {
    full_[i] = text;
    QLabel* l = lines_[i];
    l->setText(QFontMetrics(l->font()).elidedText(text, Qt::ElideRight, l->width()));
    frame_->setToolTip(fullText());
    for (QLabel* each : lines_)
        if (each) each->setToolTip(fullText());
}

QString StatusFrame::fullText() const {
    QString text = full_[0] + "\n" + full_[1] + "\n" + full_[2] + "\n" + full_[3];
    if (soundMissing_) text += "\n" + QString::fromUtf8(kNoSoundDeviceHint);
    return text;
}

void StatusFrame::setSystem(const QString& name) {
    show(0, name.isEmpty() ? QStringLiteral("dizi: —") : name);
}

void StatusFrame::setMakam(const QString& name) {
    show(1, QStringLiteral("makam: ") + (name.isEmpty() ? QStringLiteral("—") : name));
}

void StatusFrame::setMidi(const QString& state) {
    show(2, state.isEmpty() ? QStringLiteral("MIDI: —") : state);
}

void StatusFrame::setSoundDriver(const std::string& driver) {
    if (driverKnown_ && driver == driver_) return; // asked again and again while running
    driverKnown_ = true;
    driver_ = driver;
    soundMissing_ = soundDeviceMissing(driver);
    lines_[kSoundLine]->setStyleSheet(soundMissing_ ? QStringLiteral("color: #c00000;")
                                                    : QString());
    show(kSoundLine, soundMissing_ ? QString::fromUtf8(kNoSoundDeviceLine)
                                   : QStringLiteral("ses: ") + QString::fromStdString(driver));
}

} // namespace zembera
