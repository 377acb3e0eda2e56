#pragma once
// The makam and melody file lists lie over the instrument while they are open. They close without
// loading anything on Escape, on a second click of the button that opened them, and on a click
// anywhere else; the click that closes a list does nothing more, so it cannot pluck a string that
// lay under the list by accident.
//
// Thread: UI thread only.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

namespace zembera {

class PopupLists : public QObject {
    Q_OBJECT
  public:
    // `window` is the main window; `closed` runs after a list was closed (to give the focus back).
    PopupLists(QWidget* window, std::function<void()> closed);

    // `list` closes as described above; a press on `opener` is left to its own click, which
    // toggles the list (see toggle).
    void add(QWidget* list, QWidget* opener);
    // For the opener's click: closes `list` when it is open and tells whether it did.
    bool closeIfOpen(QWidget* list);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        QPointer<QWidget> list;
        QPointer<QWidget> opener;
    };
    bool closeAll();
    bool pressOutside(QObject* watched) const;

    QPointer<QWidget> window_;
    std::function<void()> closed_;
    std::vector<Entry> entries_;
};

} // namespace zembera
