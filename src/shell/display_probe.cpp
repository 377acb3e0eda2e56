#include "shell/display_probe.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace zembera {
namespace {

constexpr const char* kWithoutWindow =
    "pencere açılamıyor.\nPencere olmadan: zembera --render <ezgi> <çıktı.wav> ya da "
    "zembera --rapor";

// The toolkit's messages while it opens the display: shown afterwards when it could, dropped
// (English and beside the point) when it could not.
struct HeldMessage {
    QtMsgType type;
    const char* category; // the toolkit's categories are static strings
    QString text;
};
std::vector<HeldMessage> held;
QtMessageHandler previous = nullptr;

std::string namedDisplays() {
    std::string names;
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const QByteArray value = qgetenv(variable);
        if (value.isEmpty()) continue;
        names += (names.empty() ? "" : ", ") + std::string(variable) + "=" + value.toStdString();
    }
    return names;
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // No platform could be opened: the toolkit would abort after this.
        std::fprintf(stderr, "zembera: ekrana bağlanılamadı (%s): %s\n", namedDisplays().c_str(),
                     kWithoutWindow);
        std::fflush(stderr);
        std::_Exit(1);
    }
    held.push_back({type, context.category, text});
}

} // namespace

std::optional<std::string> missingDisplay() {
    // A platform chosen by hand (offscreen, a VNC, ...) needs no display of its own.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return std::nullopt;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::nullopt;
    return "ekran bulunamadı (DISPLAY ve WAYLAND_DISPLAY tanımlı değil): " +
           std::string(kWithoutWindow);
}

DisplayOpening::DisplayOpening() {
    previous = qInstallMessageHandler(holdMessage);
}

DisplayOpening::~DisplayOpening() {
    qInstallMessageHandler(previous);
    for (const HeldMessage& m : std::exchange(held, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category);
        if (previous)
            previous(m.type, context, m.text);
        else
            qt_message_output(m.type, context, m.text);
    }
}

std::unique_ptr<QApplication> openDisplay(int& argc, char** argv) {
    if (const auto missing = missingDisplay()) {
        std::fprintf(stderr, "zembera: %s\n", missing->c_str());
        return nullptr;
    }
    const DisplayOpening opening;
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace zembera
