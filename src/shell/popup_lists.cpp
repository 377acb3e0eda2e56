#include "shell/popup_lists.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace zembera {

PopupLists::PopupLists(QWidget* window, std::function<void()> closed)
    : QObject(window), window_(window), closed_(std::move(closed)) {
    qApp->installEventFilter(this);
}

void PopupLists::add(QWidget* list, QWidget* opener) {
    entries_.push_back({list, opener});
}

bool PopupLists::closeIfOpen(QWidget* list) {
    if (!list || !list->isVisible()) return false;
    list->hide();
    if (closed_) closed_();
    return true;
}

bool PopupLists::closeAll() {
    bool any = false;
    for (const Entry& e : entries_) {
        if (e.list && e.list->isVisible()) {
            e.list->hide();
            any = true;
        }
    }
    if (any && closed_) closed_();
    return any;
}

// Whether a press on `watched` lies outside every open list.
bool PopupLists::pressOutside(QObject* watched) const {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_) return false; // a dialog's own clicks
    for (const Entry& e : entries_) {
        if (!e.list || !e.list->isVisible()) continue;
        if (widget == e.list || e.list->isAncestorOf(widget)) return false;
    }
    return true;
}

bool PopupLists::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    bool anyOpen = false;
    for (const Entry& e : entries_)
        anyOpen = anyOpen || (e.list && e.list->isVisible());
    if (!anyOpen || QApplication::activeModalWidget()) return QObject::eventFilter(watched, event);

    if (type == QEvent::KeyPress) {
        // An application filter sees a key once per receiver: act on the window's own delivery.
        const bool ours = window_ && watched == window_->windowHandle();
        if (ours && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) return closeAll();
        return QObject::eventFilter(watched, event);
    }
    // The button of another list closes this one and opens its own.
    for (const Entry& e : entries_) {
        if (watched != e.opener) continue;
        for (const Entry& other : entries_)
            if (other.list && other.list != e.list) other.list->hide();
        return QObject::eventFilter(watched, event);
    }
    if (pressOutside(watched)) return closeAll();
    return QObject::eventFilter(watched, event);
}

} // namespace zembera
