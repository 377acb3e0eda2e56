#pragma once
// The note player's clock in the window: the steady clock and a precise single-shot timer of the
// UI thread, so that the player's notes start from the window's own event loop.
//
// Thread: UI thread only.

#include <QTimer>
#include <chrono>
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

    static double nowMs() {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // The timer counts whole milliseconds: it wakes before a fraction, and the player waits the
    // rest on a wake-up of 0 ms, which lets the window's events through first.
    TickSource source() {
        return TickSource{nowMs, [this](double ms) { timer_.start(static_cast<int>(ms)); },
                          [this] { timer_.stop(); }};
    }

  private:
    QTimer timer_;
};

} // namespace zembera
