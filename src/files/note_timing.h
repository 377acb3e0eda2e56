#pragma once
// The loops of the replay and the melody player run on the window's thread. Per note they let
// the window handle its pending events once (where a stop or pause click is seen), then wait for
// the note's length. The wait is cut into short slices between which the window may repaint, so
// it stays responsive, while clicks wait for the next note as they always did. The note ends on
// the clock, not on the sum of the slices, so it lasts its length within the sleep's slack.
//
// Thread: UI thread only.

#include <functional>

namespace zembera {

struct LoopHooks {
    // Handles every pending event of the window (clicks included).
    std::function<void()> processEvents;
    // Handles pending repaints and timers but no user input; may be empty.
    std::function<void()> repaint;
    // Blocks the thread for about `ms` milliseconds.
    std::function<void(double ms)> sleepMs;
    // A monotonic clock in milliseconds.
    std::function<double()> nowMs;
};

// Longest sleep between two repaints.
inline constexpr double kSliceMs = 10.0;
// No repaint is started closer than this to the end of a note, so a slow one cannot stretch it.
inline constexpr double kRepaintMarginMs = 15.0;

// Waits until `lengthMs` have passed since `startMs` on the hooks' clock. A length of 0 or less
// returns at once.
void waitNote(const LoopHooks& hooks, double startMs, double lengthMs);

// The steady clock and the thread sleep, with the given event processing.
LoopHooks systemLoopHooks(std::function<void()> processEvents, std::function<void()> repaint);

} // namespace zembera
