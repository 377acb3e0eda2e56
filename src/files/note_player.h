#pragma once
// Plays a list of timed note events from a timer of the window's thread, with no loop of its own:
// each tick starts what is due and asks the tick source to wake it again at the next moment
// something is due. The onsets lie on one clock from the first note, so a long piece does not
// drift; a late tick starts the notes it missed at once, in order. Between ticks the thread is
// free, so a stop or pause acts as soon as its click is handled.
//
// A note is drawn (and its sound read ahead) `leadMs` before its onset, then started on it. A
// pause cuts the sounding notes and holds the schedule; on resuming, the next note starts at
// once and the rest follow at their distances.
//
// Thread: the thread of the tick source (the UI thread); pure logic, free of the toolkit.

#include <cstddef>
#include <functional>

#include "files/note_event_list.h"

namespace zembera {

// What the player needs from its surroundings: a monotonic clock and a one-shot wake-up (a
// precise single-shot timer in the window, a fake in tests). Only one wake-up is pending at a
// time: asking again replaces it.
struct TickSource {
    std::function<double()> nowMs;
    // Calls the player's tick() after about `ms` milliseconds (0: as soon as possible).
    std::function<void(double ms)> wakeIn;
    // Drops the pending wake-up.
    std::function<void()> cancel;
};

// What the player does to the sound and the window.
struct NoteSink {
    // Draws event `index` and prepares its sound; ahead of its onset.
    std::function<void(std::size_t index)> draw;
    // Starts event `index`: an event that is not together first cuts what sounds.
    std::function<void(std::size_t index)> start;
    // Cuts every sounding note (the end of a piece, a stop, a pause).
    std::function<void()> silence;
    // The piece ended, by itself or by a stop.
    std::function<void()> finished;
};

class NotePlayer {
  public:
    NotePlayer(TickSource ticks, NoteSink sink, double leadMs = 0);

    // Plays `piece` from now; a piece playing before is stopped first.
    void play(NoteEvents piece);
    // Runs on the tick source's wake-up.
    void tick();
    // Cuts the sound and ends the piece at once.
    void stop();
    // Cuts the sound and holds the schedule; resume() goes on with the next note.
    void pause();
    void resume();

    bool playing() const { return playing_; }
    bool paused() const { return paused_; }
    // Where the piece's clock starts (moved on by pauses); for measurements.
    double startMs() const { return start_; }
    const NoteEvents& piece() const { return piece_; }

  private:
    void finish();
    // The piece time of the next thing due: a drawing, an onset or the end.
    double nextDue() const;
    void schedule();

    TickSource ticks_;
    NoteSink sink_;
    double lead_;
    NoteEvents piece_;
    bool playing_ = false;
    bool paused_ = false;
    double start_ = 0;        // the clock's time of the piece's time 0
    std::size_t drawn_ = 0;   // events drawn
    std::size_t started_ = 0; // events started
};

} // namespace zembera
