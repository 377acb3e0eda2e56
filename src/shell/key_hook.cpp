#include "shell/key_hook.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QTimerEvent>
#include <QWindow>

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
    case Qt::Key_Space:
        return 32;
    default:
        return 0;
    }
}

KeyHook::KeyHook(QWidget* window, Handler down, Handler up, QObject* parent)
    : QObject(parent), window_(window), down_(std::move(down)), up_(std::move(up)) {}

bool KeyHook::isInstrumentKey(QObject* receiver) const {
    // An application filter sees a key once for each object it is sent to; the top-level window
    // gets every key first, so act there only, and never while a dialog holds the input.
    return window_ && receiver == window_->windowHandle() && !QGuiApplication::modalWindow();
}

bool KeyHook::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWindowType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = handlerKeyCode(key->key());
        // A key with Ctrl or Alt is a shortcut, never a note: only a key held before the modifier
        // went down goes on (its repeats, its release).
        const bool modified =
            key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (code != 0 && !(modified && held_.count(code) == 0)) {
            if (type == QEvent::KeyPress) {
                press(code, isInstrumentKey(watched));
            } else if (!key->isAutoRepeat()) {
                release(code, isInstrumentKey(watched));
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void KeyHook::press(int code, bool instrument) {
    // A press right after a release of the same key makes the pair an auto-repeat.
    if (const auto pending = pendingRelease_.find(code); pending != pendingRelease_.end()) {
        killTimer(pending->second);
        pendingRelease_.erase(pending);
    }
    if (!instrument) return;
    const bool stroke = held_.insert(code).second;
    if (stroke && strike_) strike_(code);
    down_(code); // auto-repeat presses repeat the key-down, as held keys do
}

void KeyHook::release(int code, bool instrument) {
    if (!instrument && held_.count(code) == 0) return;
    if (pendingRelease_.count(code) != 0) return;
    pendingRelease_[code] = startTimer(kReleaseSettleMs, Qt::PreciseTimer);
}

void KeyHook::timerEvent(QTimerEvent* event) {
    for (auto it = pendingRelease_.begin(); it != pendingRelease_.end(); ++it) {
        if (it->second != event->timerId()) continue;
        const int code = it->first;
        killTimer(it->second);
        pendingRelease_.erase(it);
        held_.erase(code);
        up_(code); // no press followed: a real release
        return;
    }
}

} // namespace zembera
