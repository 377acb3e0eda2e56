#pragma once
// The loops of the replay and the melody player run on the window's thread. Their onsets lie on
// one clock from the first note: the k-th note starts at the first onset plus the lengths of the
// notes and rests before it, whatever the drawing and the event handling between them cost, so
// a long piece does not drift. While a note sounds the window handles all its events in short
// slices, so a stop or pause click acts at once. The drawing of the next note starts ahead of its
// onset by as long as the last drawing and sound start took, so that the sound starts on time.
//
// Thread: UI thread only.

#include <functional>

namespace zembera {

struct LoopHooks {
    // Handles every pending event of the window (clicks included).
    std::function<void()> processEvents;
    // Blocks the thread for about `ms` milliseconds.
    std::function<void(double ms)> sleepMs;
    // A monotonic clock in milliseconds.
    std::function<double()> nowMs;
};

// What the window's events did to a running loop.
enum class LoopEvent { none, stopped, paused };

// Longest sleep between two event rounds.
inline constexpr double kSliceMs = 10.0;
// No event round starts closer than this to an onset, so a slow repaint cannot delay it.
inline constexpr double kEventMarginMs = 4.0;
// The drawing of a note starts at most this long before its onset.
inline constexpr double kMaxLeadMs = 25.0;

class NoteClock {
  public:
    // `check` tells, after each event round, whether the loop was stopped or paused. A pause has
    // cut the sounding note and held the thread until it ended: the schedule then goes on from
    // that moment, so the next note starts as soon as it is ready.
    NoteClock(const LoopHooks& hooks, std::function<LoopEvent()> check);

    // Waits, handling events, until the drawing of the next note is due. False when stopped.
    bool waitToDraw();
    // One round of the window's events between two notes. False when stopped.
    bool handleEvents();
    // Waits, handling events, until the next onset (the end of the note sounding). The first
    // call fixes the start of the schedule and returns at once. False when stopped.
    bool waitOnset();
    // The note starting at this onset lasts `lengthMs` (nothing below 0): the next onset moves
    // by that much.
    void advance(double lengthMs);

    double nextOnset() const { return next_; }

  private:
    // Handles events in slices until `targetMs`; returns early when stopped or paused.
    LoopEvent waitUntil(double targetMs);
    LoopEvent eventRound();

    const LoopHooks& hooks_;
    std::function<LoopEvent()> check_;
    bool started_ = false;
    double next_ = 0;      // onset of the next note
    double drawStart_ = 0; // when the drawing of the next note began
    double onsetAt_ = 0;   // when the last onset was reached
    double drawCost_ = 0;  // of the last note, from its drawing to its onset
    double startCost_ = 0; // of the last note, from its onset to the start of its sound
    bool pausedSinceDraw_ = false;
};

// The steady clock and the thread sleep, with the given event processing.
LoopHooks systemLoopHooks(std::function<void()> processEvents);

} // namespace zembera
