#pragma once
// The note player's wake-up in the window: a precise single-shot timer of the UI thread, so that
// the player hands its notes over and shows them from the window's own event loop.
//
// Thread: UI thread only.

#include <QTimer>
#include <functional>
#include <utility>

#include "files/note_player.h"

namespace zembera {

class NoteTimer {
  public:
    // `tick` runs at each wake-up: the player's tick().
    explicit NoteTimer(std::function<void()> tick) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(tick));
    }
    NoteTimer(const NoteTimer&) = delete;
    NoteTimer& operator=(const NoteTimer&) = delete;

    // The timer counts whole milliseconds: it wakes before a fraction, and the player waits the
    // rest on a wake-up of 0 ms, which lets the window's events through first.
    TickSource source() {
        return TickSource{[this](double ms) { timer_.start(static_cast<int>(ms)); },
                          [this] { timer_.stop(); }};
    }

  private:
    QTimer timer_;
};

} // namespace zembera
