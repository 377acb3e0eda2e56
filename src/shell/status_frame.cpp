#include "shell/status_frame.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

#include "shell/window_scale.h"

namespace zembera {
namespace {

// Four lines of 11 pixels fill the frame inside its border, which lies a few pixels below its top
// (where a caption would stand).
constexpr int kLineLeft = 3;
constexpr int kLineTop = 6;
constexpr int kLineHeight = 11;
constexpr int kLinePixelSize = 9;

} // namespace

bool soundDeviceMissing(const std::string& driver) {
    return driver.empty() || driver == "dummy";
}

QString fittingWording(const QStringList& wordings, const QFontMetrics& metrics, int width) {
    for (const QString& w : wordings)
        if (metrics.horizontalAdvance(w) <= width) return w;
    return wordings.isEmpty() ? QString()
                              : metrics.elidedText(wordings.back(), Qt::ElideMiddle, width);
}

StatusFrame::StatusFrame(QGroupBox* frame) : frame_(frame) {
    QFont small = frame->font();
    small.setPixelSize(kLinePixelSize);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = new QLabel(frame);
        lines_[i]->setObjectName(QStringLiteral("durum%1").arg(i + 1));
        lines_[i]->setFont(small);
        lines_[i]->setGeometry(kLineLeft, kLineTop + kLineHeight * static_cast<int>(i),
                               frame->width() - 2 * kLineLeft, kLineHeight);
    }
    setSystem(QString());
    setMakam(QString());
    setMidi(QString());
    show(StatusLine::sound, {QStringLiteral("ses: —")}, QStringLiteral("ses: —"));
}

void StatusFrame::show(StatusLine which, const QStringList& wordings, const QString& full) {
    const std::size_t i = index(which);
    QLabel* l = lines_[i];
    const QString text = fittingWording(wordings, QFontMetrics(l->font()), l->width());
    // The MIDI state is told again ten times a second.
    if (full == full_[i] && text == l->text() && !frame_->toolTip().isEmpty()) return;
    full_[i] = full;
    l->setText(text);
    frame_->setToolTip(fullText());
    for (QLabel* each : lines_)
        if (each) each->setToolTip(fullText());
}

QString StatusFrame::fullText() const {
    QStringList text;
    for (const QString& line : full_)
        text << line;
    if (!noticeFull_.isEmpty()) text << noticeFull_;
    if (soundMissing_) text << QString::fromUtf8(kNoSoundDeviceHint);
    return text.join('\n');
}

void StatusFrame::setSystem(const QString& name) {
    const QString shown = name.isEmpty() ? QStringLiteral("dizi: —") : name;
    // "Rauf Yekta 24" as "R. Yekta 24" where the whole name does not fit.
    QString initial = shown;
    const qsizetype blank = shown.indexOf(' ');
    if (blank > 1) initial = shown.left(1) + QStringLiteral(".") + shown.mid(blank);
    show(StatusLine::system, {shown, initial}, QStringLiteral("ses sistemi: ") + shown);
}

void StatusFrame::setMakam(const QString& name, const QString& placedIn) {
    if (name.isEmpty()) {
        show(StatusLine::makam, {QStringLiteral("makam: —")}, QStringLiteral("makam: —"));
        return;
    }
    if (placedIn.isEmpty()) {
        show(StatusLine::makam, {QStringLiteral("makam: ") + name, name},
             QStringLiteral("makam: ") + name);
        return;
    }
    const QString near = name + QString::fromUtf8(kMakamNearestMark);
    show(StatusLine::makam, {QStringLiteral("makam: ") + near, near},
         QStringLiteral("makam: ") + name + QStringLiteral(" ≈ (Yarman 79 konumları; her tel ") +
             placedIn + QStringLiteral(" sisteminin en yakın perdesinde, ince ayarı korundu)"));
}

void StatusFrame::setMidi(const QString& state, const QString& brief) {
    midiWordings_ = QStringList{state.isEmpty() ? QStringLiteral("MIDI: —") : state};
    if (!brief.isEmpty()) midiWordings_ << brief;
    showMidi();
}

void StatusFrame::showMidi() {
    if (notice_.isEmpty()) {
        show(StatusLine::midi, midiWordings_, midiWordings_.front());
    } else {
        show(StatusLine::midi, {notice_}, midiWordings_.front());
    }
}

void StatusFrame::setScaleFallback(double stored, double used, int shownMs) {
    notice_ = windowScaleCaption(stored) + QStringLiteral(" sığmaz");
    noticeFull_ = QStringLiteral("Büyüt ") + windowScaleCaption(stored) +
                  QStringLiteral(" pencereyi ekrandan büyük yapardı: ") + windowScaleCaption(used) +
                  QStringLiteral(" kullanılıyor");
    showMidi();
    QTimer::singleShot(shownMs, frame_, [this] {
        notice_.clear();
        showMidi();
    });
}

void StatusFrame::setSoundDriver(const std::string& driver) {
    if (driverKnown_ && driver == driver_) return; // asked again and again while running
    driverKnown_ = true;
    driver_ = driver;
    soundMissing_ = soundDeviceMissing(driver);
    line(StatusLine::sound)
        ->setStyleSheet(soundMissing_ ? QStringLiteral("color: #c00000;") : QString());
    const QString name = QString::fromStdString(driver);
    if (soundMissing_) {
        show(StatusLine::sound, {QString::fromUtf8(kNoSoundDeviceLine)},
             QString::fromUtf8(kNoSoundDeviceLine));
    } else {
        show(StatusLine::sound, {QStringLiteral("ses: ") + name, name},
             QStringLiteral("ses: ") + name);
    }
}

} // namespace zembera
