#pragma once
// A window-level key hook: sees every key of the main window before the focused control, auto-
// repeat included, the way the main window previewed keys. It passes the keys on; the focused
// control still gets them.
//
// Keys typed into another window (a message box, any modal dialog) belong to that window and are
// not played; only the release of a key held on the instrument still reaches it, so no note
// outlives its key.
//
// X11 auto-repeat comes as release+press pairs. Qt flags most of them, but when the press has
// not been read yet (a busy machine) the pair arrives unflagged, in the same millisecond. So a
// release is held back for a few milliseconds and dropped when a press of the same key follows:
// only a release that stays alone ends the note.
//
// A key pressed with Ctrl, Alt or Meta plays nothing: such keys are the window's shortcuts.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <set>

namespace zembera {

// The key codes the handlers take: letters 65..90, arrows 37 (left) .. 40 (down), the space bar
// 32; 0 otherwise.
int handlerKeyCode(int qtKey);

class KeyHook : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(int key)>;
    // How long a release waits for the press of its auto-repeat pair. The two are sent together,
    // so a few milliseconds suffice; a human needs far longer to strike the key again.
    static constexpr int kReleaseSettleMs = 25;

    // `window` is the main window; its keys go to `down` and `up`.
    KeyHook(QWidget* window, Handler down, Handler up, QObject* parent = nullptr);
    // Called once per stroke of a key on the instrument, never for its auto-repeats: for keys
    // that act once however long they are held.
    void setStrikeHandler(Handler strike) { strike_ = std::move(strike); }
    // Whether a release still waits to become final (its note has not ended yet).
    bool releaseWaiting() const { return !pendingRelease_.empty(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    bool isInstrumentKey(QObject* receiver) const;
    void press(int code, bool instrument);
    void release(int code, bool instrument);

    QPointer<QWidget> window_;
    Handler down_;
    Handler up_;
    Handler strike_;
    std::set<int> held_;                // pressed on the instrument and not released yet
    std::map<int, int> pendingRelease_; // key code -> timer that makes its release final
};

} // namespace zembera
