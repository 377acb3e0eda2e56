#include "shell/wrapping_check_box.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace zembera {
namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

} // namespace

WrappingCheckBox::WrappingCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {}

int WrappingCheckBox::textLeft() const {
    return style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) +
           style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, this);
}

QSize WrappingCheckBox::sizeHint() const {
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const QRect lines = metrics.boundingRect(QRect(0, 0, widest, 1 << 16), kTextFlags, text());
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    return {textLeft() + lines.width(), std::max(indicator, lines.height())};
}

void WrappingCheckBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear(); // the box alone; the caption follows, wrapped
    painter.drawControl(QStyle::CE_CheckBox, option);
    style()->drawItemText(&painter, rect().adjusted(textLeft(), 0, 0, 0), kTextFlags, palette(),
                          isEnabled(), text(), QPalette::WindowText);
}

} // namespace zembera
