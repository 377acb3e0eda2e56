#include "shell/window_scale.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "common/messages.h"
#include "shell/display_probe.h"

#ifdef ZEMBERA_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace zembera {
namespace {

constexpr const char* kScaleKey = "pencere/buyut";

WindowScaleStart& startOfRun() {
    static WindowScaleStart start;
    return start;
}

// The factor this run started with: the user's own or the remembered one.
double factorOfRun() {
    bool ok = false;
    const double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
    return ok && factor > 0 ? factor : 1.0;
}

// An X server without other clients resets when its last client leaves, and refuses connections
// meanwhile: a connection of the program's own, held for the whole run, keeps the short-lived
// application that measures the screen from being that last client.
void holdDisplay() {
#ifdef ZEMBERA_HAVE_XCB
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
    static xcb_connection_t* const held = xcb_connect(nullptr, nullptr);
    (void)held;
#endif
}

} // namespace

QString windowScaleCaption(double scale) {
    return scale == 1.5 ? QStringLiteral("1,5×") : QStringLiteral("%1×").arg(scale);
}

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

std::vector<double> fittingWindowScales(QSize available) {
    std::vector<double> fitting;
    for (double scale : kWindowScales) {
        const double width = kWindowSizeAt1x.width() * scale + kWindowFrameAllowance.width();
        const double height = kWindowSizeAt1x.height() * scale + kWindowFrameAllowance.height();
        if (scale == 1.0 || (width <= available.width() && height <= available.height()))
            fitting.push_back(scale);
    }
    return fitting;
}

double largestFittingScale(double wanted, const std::vector<double>& fitting) {
    double best = 1.0;
    for (double scale : fitting)
        if (scale <= wanted) best = std::max(best, scale);
    return best;
}

QSize availableAt1x(const QScreen& screen) {
    const QSizeF area = QSizeF(screen.availableGeometry().size()) * factorOfRun();
    return {static_cast<int>(std::lround(area.width())),
            static_cast<int>(std::lround(area.height()))};
}

std::optional<QSize> primaryScreenArea(int argc, char** argv) {
    if (QCoreApplication::instance()) {
        QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? std::optional(availableAt1x(*screen)) : std::nullopt;
    }
    holdDisplay();
    // The application takes options off its arguments: it gets a copy.
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    int count = argc;
    const DisplayOpening opening; // a display out of reach ends the run with the reason
    const QGuiApplication probe(count, arguments.data());
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::optional(availableAt1x(*screen)) : std::nullopt;
}

WindowScaleStart
applyRememberedWindowScale(QSettings& settings,
                           const std::function<std::optional<QSize>()>& available) {
    WindowScaleStart& start = startOfRun();
    start.stored = rememberedWindowScale(settings);
    start.used = start.stored;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || start.stored == 1.0) return start;
    if (const std::optional<QSize> area = available())
        start.used = largestFittingScale(start.stored, fittingWindowScales(*area));
    if (start.used != 1.0) qputenv("QT_SCALE_FACTOR", QByteArray::number(start.used));
    return start;
}

const WindowScaleStart& windowScaleAtStart() {
    return startOfRun();
}

QComboBox* addScaleChoice(QWidget* parent, int left, int top, std::unique_ptr<QSettings> owned,
                          MessageService& messages, QSize available) {
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
    // Only the factors whose window fits the screen; the one in use shown.
    const std::vector<double> offered = fittingWindowScales(available);
    const double inUse = largestFittingScale(windowScaleAtStart().used, offered);
    for (double scale : offered) {
        list->addItem(windowScaleCaption(scale), scale);
        if (scale == inUse) list->setCurrentIndex(list->count() - 1);
    }
    list->setToolTip(QString::fromUtf8("Pencereyi büyütür (1×, 1,5×, 2×: ekrana sığanlar); seçim "
                                       "saklanır ve ZEMBERA yeniden açılınca geçerli olur"));
    QObject::connect(
        list, &QComboBox::activated, list, [list, &settings, &messages, inUse](int index) {
            const double scale = list->itemData(index).toDouble();
            if (scale == rememberedWindowScale(settings)) return;
            rememberWindowScale(settings, scale);
            // Told after the click that chose it has ended; nothing to tell for the one in use.
            if (scale != inUse)
                QTimer::singleShot(0, list, [&messages] { messages.show(kScaleAtNextStart); });
        });
    return list;
}

} // namespace zembera
