#pragma once
// Plays a piece from a timer of the window's thread, with no loop of its own: each tick does what
// is due and asks the tick source to wake it again at the next moment something is due. The
// onsets lie on one clock from the first note (each one the lengths of the notes before it after
// the first), so a long piece does not drift; a late tick does what it missed at once, in order.
// Between ticks the thread is free, so a stop or pause acts as soon as its click is handled.
//
// The piece is drawn one onset at a time ahead of the onset: the sink reads the next note (with
// the settings of that moment: a player's mandals and tempo may change while it plays), draws
// it, reads its sound ahead and tells how long it lasts; the player starts it on its onset. The
// drawing starts `leadMs` before the onset, or as long before as the last drawing took (at most
// kMaxLeadMs), so that a slow redraw does not delay the sound. The piece's clock starts as its
// first note starts, after its drawing.
// A pause cuts what sounds and holds the schedule; on resuming, the next note starts at once and
// the rest follow at their distances.
//
// Thread: the thread of the tick source (the UI thread); pure logic, free of the toolkit.

#include <cstddef>
#include <functional>
#include <optional>

#include "files/note_event_list.h"

namespace zembera {

// What the player needs from its surroundings: a monotonic clock and a one-shot wake-up (a
// precise single-shot timer in the window, a fake in tests). Only one wake-up is pending at a
// time: asking again replaces it.
// The drawing of a note starts at most this long before its onset.
inline constexpr double kMaxLeadMs = 25.0;

struct TickSource {
    std::function<double()> nowMs;
    // Calls the player's tick() after about `ms` milliseconds (0: as soon as possible).
    std::function<void(double ms)> wakeIn;
    // Drops the pending wake-up.
    std::function<void()> cancel;
};

// One piece: what the player does to the sound and the window.
struct NoteSink {
    // Reads, draws and prepares the next onset (a note with its chord, a rest) ahead of it and
    // returns its length to the onset after it; nothing when the piece has no more (its end, or a
    // fault the sink keeps to tell when it has finished).
    std::function<std::optional<double>()> draw;
    // Starts the onset drawn last, cutting what sounds before it.
    std::function<void()> start;
    // Cuts every sounding note (the end of a piece, a stop, a pause).
    std::function<void()> silence;
    // The piece ended, by itself or by a stop; the sound is cut already.
    std::function<void()> finished;
};

class NotePlayer {
  public:
    explicit NotePlayer(TickSource ticks, double leadMs = 0);
    ~NotePlayer();
    NotePlayer(const NotePlayer&) = delete;
    NotePlayer& operator=(const NotePlayer&) = delete;

    // Plays `piece` from now, its first onset at once; a piece playing before is stopped first.
    void play(NoteSink piece);
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
    // The piece time of the next onset (or of the end, once the piece has no more).
    double nextOnsetMs() const { return next_; }

  private:
    void finish();
    void schedule();
    // How long before its onset the next note is drawn.
    double lead() const;

    TickSource ticks_;
    double lead_;
    NoteSink sink_;
    bool playing_ = false;
    bool paused_ = false;
    bool drawn_ = false;  // the next onset is drawn and waits for its time
    bool ended_ = false;  // the piece has no more: it ends at next_
    bool begun_ = false;  // the first note has started
    double start_ = 0;    // the clock's time of the piece's time 0
    double next_ = 0;     // the piece time of the next onset
    double length_ = 0;   // of the onset drawn
    double drawCost_ = 0; // how long the last drawing took
};

// A fixed list as a piece: `draw` and `start` get the index of each event, a chord's further
// notes with their first. The first event lies at the piece's time 0.
NoteSink listedNotes(NoteEvents piece, std::function<void(std::size_t index)> draw,
                     std::function<void(std::size_t index)> start, std::function<void()> silence,
                     std::function<void()> finished);

} // namespace zembera
