#include "shell/window_scale.h"

#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <cmath>

#include "common/messages.h"

namespace zembera {
namespace {

constexpr const char* kScaleKey = "pencere/buyut";

QString caption(double scale) {
    return scale == 1.5 ? QStringLiteral("1,5×") : QStringLiteral("%1×").arg(scale);
}

} // namespace

std::unique_ptr<QSettings> userSettings() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("ZEMBERA"), QStringLiteral("ZEMBERA"));
}

double rememberedWindowScale(QSettings& settings) {
    const double stored = settings.value(QString::fromLatin1(kScaleKey), 1.0).toDouble();
    for (double scale : kWindowScales)
        if (std::abs(stored - scale) < 1e-6) return scale;
    return 1.0;
}

void rememberWindowScale(QSettings& settings, double scale) {
    settings.setValue(QString::fromLatin1(kScaleKey), scale);
    settings.sync();
}

bool applyRememberedWindowScale(QSettings& settings) {
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) return false;
    const double scale = rememberedWindowScale(settings);
    if (scale == 1.0) return false;
    return qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
}

QComboBox* addScaleChoice(QWidget* parent, int left, int top, std::unique_ptr<QSettings> owned,
                          MessageService& messages) {
    QFont small = parent->font();
    small.setPixelSize(9);
    auto* label = new QLabel(QString::fromUtf8(kScaleCaption), parent);
    label->setFont(small);
    label->setGeometry(left, top, 50, 13);
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("buyut"));
    list->setFocusPolicy(Qt::NoFocus);
    list->setFont(small);
    list->setGeometry(left, top + 14, 50, 19);
    QSettings& settings = *owned;
    owned.release()->setParent(list); // lives as long as the list
    const double now = rememberedWindowScale(settings);
    for (double scale : kWindowScales) {
        list->addItem(caption(scale), scale);
        if (scale == now) list->setCurrentIndex(list->count() - 1);
    }
    list->setToolTip(QString::fromUtf8("Pencereyi büyütür (1×, 1,5×, 2×); seçim saklanır ve "
                                       "ZEMBERA yeniden açılınca geçerli olur"));
    QObject::connect(list, &QComboBox::activated, list, [list, &settings, &messages](int index) {
        const double scale = list->itemData(index).toDouble();
        if (scale == rememberedWindowScale(settings)) return;
        rememberWindowScale(settings, scale);
        // Told after the click that chose it has ended.
        QTimer::singleShot(0, list, [&messages] { messages.show(kScaleAtNextStart); });
    });
    return list;
}

} // namespace zembera
