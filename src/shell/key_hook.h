#pragma once
// A window-level key hook: sees every key before the focused control, auto-repeat included, the
// way the main window previewed keys. It passes the keys on; the focused control still gets them.

#include <QObject>
#include <functional>

class QKeyEvent;

namespace zembera {

// The key codes the handlers take: letters 65..90, arrows 37 (left) .. 40 (down); 0 otherwise.
int handlerKeyCode(int qtKey);

class KeyHook : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(int key)>;
    KeyHook(Handler down, Handler up, QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Handler down_;
    Handler up_;
};

} // namespace zembera
