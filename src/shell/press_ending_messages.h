#pragma once
// The window's message path. A message box opened while a mouse button is down on a control
// (a scroll bar's arrow, say) takes the input: the control never sees the release and goes on
// auto-repeating behind the box, every step raising its own message. So, before any message or
// question, the control that holds a press is sent its release, and every box then belongs to
// the one step that caused it.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "common/messages.h"

namespace zembera {

class PressEndingMessages : public QObject, public MessageService {
    Q_OBJECT
  public:
    // Watches the mouse of the whole application; `inner` shows the boxes.
    explicit PressEndingMessages(MessageService& inner);
    ~PressEndingMessages() override;

    void show(const std::string& text) override;
    bool askYesNo(const std::string& question) override;
    int choose(const std::string& text, const std::vector<std::string>& buttons) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void endPendingPress();

    MessageService& inner_;
    QPointer<QWidget> pressed_; // the widget that took the last press, until its release
    Qt::MouseButton button_ = Qt::NoButton;
    QPointF pressGlobal_;
};

} // namespace zembera
