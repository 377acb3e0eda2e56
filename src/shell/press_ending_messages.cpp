#include "shell/press_ending_messages.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace zembera {

PressEndingMessages::PressEndingMessages(MessageService& inner) : inner_(inner) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

PressEndingMessages::~PressEndingMessages() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

bool PressEndingMessages::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched->isWidgetType() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            // A press the receiver ignores goes on to its parent: the last receiver holds it.
            pressed_ = static_cast<QWidget*>(watched);
            button_ = mouse->button();
            pressGlobal_ = mouse->globalPosition();
        } else if (mouse->buttons() == Qt::NoButton) {
            pressed_.clear();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PressEndingMessages::endPendingPress() {
    QPointer<QWidget> target = pressed_;
    pressed_.clear();
    if (!target) return;
    QMouseEvent release(QEvent::MouseButtonRelease, target->mapFromGlobal(pressGlobal_),
                        pressGlobal_, button_, Qt::NoButton, QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(target, &release);
}

void PressEndingMessages::show(const std::string& text) {
    endPendingPress();
    inner_.show(text);
}

bool PressEndingMessages::askYesNo(const std::string& question) {
    endPendingPress();
    return inner_.askYesNo(question);
}

int PressEndingMessages::choose(const std::string& text, const std::vector<std::string>& buttons) {
    endPendingPress();
    return inner_.choose(text, buttons);
}

} // namespace zembera
