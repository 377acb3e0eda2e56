#include "shell/key_hook.h"

#include <QKeyEvent>

namespace zembera {

int handlerKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey; // same codes, 65..90
    switch (qtKey) {
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    default:
        return 0;
    }
}

KeyHook::KeyHook(Handler down, Handler up, QObject* parent)
    : QObject(parent), down_(std::move(down)), up_(std::move(up)) {}

bool KeyHook::eventFilter(QObject* watched, QEvent* event) {
    // An application filter sees a key once for each object it is sent to; the top-level window
    // gets every key first, so act there only.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWindowType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = handlerKeyCode(key->key());
        if (code != 0) {
            if (type == QEvent::KeyPress) {
                down_(code); // auto-repeat presses repeat the key-down, as held keys do
            } else if (!key->isAutoRepeat()) {
                up_(code); // X11 repeats come as release+press pairs: only a real release ends it
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zembera
