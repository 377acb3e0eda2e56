#pragma once
// Plays a piece on the sound's clock. Each onset is read with the settings of that moment (a
// player's mandals and tempo may change while it plays) and its notes handed over to the sound
// ahead of time, stamped with the frame at which they must sound: the piece's first frame plus its
// time to the onset, so that onsets land on their frames as in an offline render and nothing
// drifts. A timer of the window's thread only keeps a short horizon handed over and shows each
// onset (the string, the staff, the counter) as it sounds; it runs no loop of its own, so the
// window handles its clicks between two ticks.
//
// A stop or a pause drops what was handed over for later and ends what sounds at once, within one
// buffer of the device. On resuming, the onsets handed over but not yet heard are handed over again
// from the next one, which starts at once; the rest follow at their distances.
//
// Thread: the thread of the tick source (the UI thread); pure logic, free of the toolkit.

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

#include "files/note_event_list.h"
#include "model/sound_port.h"

namespace zembera {

// How far ahead of the sound's clock the onsets are handed over: longer than the window's thread
// is ever busy, short enough that a setting changed while a piece plays counts at once.
inline constexpr double kHandOverMs = 100.0;
// How long before it sounds an onset is shown: its redraws take a few milliseconds, and the
// picture should be there with the sound.
inline constexpr double kShowLeadMs = 20.0;

// The one-shot wake-up of the player (a precise single-shot timer in the window, a fake in
// tests). Only one wake-up is pending at a time: asking again replaces it.
struct TickSource {
    // Calls the player's tick() after about `ms` milliseconds (0: as soon as possible).
    std::function<void(double ms)> wakeIn;
    // Drops the pending wake-up.
    std::function<void()> cancel;
};

// An onset of the piece: a note with its chord, or a rest.
struct Onset {
    double lengthMs = 0; // to the next onset
    // Hands its notes over to sound on frame `at`, ending what the onset before left sounding.
    std::function<void(SoundFrame at)> sound;
    // Shows it on the window as it sounds.
    std::function<void()> show;
};

// One piece: what the player does to the sound and the window.
struct NoteSink {
    // The next onset, read with the settings of now; nothing when the piece has no more (its end,
    // or a fault the sink keeps to tell when it has finished).
    std::function<std::optional<Onset>()> read;
    // Hands over the end of what the last onset left sounding, on frame `at`: the piece's end.
    std::function<void(SoundFrame at)> end;
    // Drops what was handed over for later and ends what sounds, at once (a stop, a pause).
    std::function<void()> silence;
    // The piece ended, by itself or by a stop; the sound is ended already.
    std::function<void()> finished;
};

class NotePlayer {
  public:
    // `sound` gives the clock: what it has played and the earliest frame a note can start on.
    NotePlayer(TickSource ticks, SoundPort& sound, double handOverMs = kHandOverMs,
               double showLeadMs = kShowLeadMs);
    ~NotePlayer();
    NotePlayer(const NotePlayer&) = delete;
    NotePlayer& operator=(const NotePlayer&) = delete;

    // Plays `piece` from now, its first onset at once; a piece playing before is stopped first.
    void play(NoteSink piece);
    // Runs on the tick source's wake-up.
    void tick();
    // Ends the sound and the piece at once.
    void stop();
    // Ends the sound and holds the piece; resume() goes on with the next onset not heard.
    void pause();
    void resume();

    bool playing() const { return playing_; }
    bool paused() const { return paused_; }
    // The frame of the piece's time 0 (moved on by pauses): where its first onset sounded.
    SoundFrame startFrame() const { return start_; }

  private:
    struct Handed {
        SoundFrame at = 0;
        Onset onset;
        bool shown = false;
    };
    SoundFrame frameOf(double pieceMs) const;
    SoundFrame framesOf(double ms) const;
    // Shows the onsets about to sound and lets go of those shown and heard; false when a showing
    // ended or held the piece.
    bool showDue();
    void finish(bool silence);
    void schedule();

    TickSource ticks_;
    SoundPort& sound_;
    double handOverMs_;
    double showLeadMs_;
    NoteSink sink_;
    bool playing_ = false;
    bool paused_ = false;
    bool ended_ = false;        // the piece has no more: it ends on endFrame_
    SoundFrame start_ = 0;      // the frame of the piece's time 0
    double nextMs_ = 0;         // the piece time of the next onset to read
    SoundFrame endFrame_ = 0;   // once ended
    std::deque<Handed> handed_; // handed over and not yet both shown and heard, in order
};

// A fixed list as a piece: `sound` hands over the notes of event `index` for a frame, `show` shows
// it, a chord's further notes with their first. The first event lies at the piece's time 0.
NoteSink listedNotes(NoteEvents piece, std::function<void(std::size_t index, SoundFrame at)> sound,
                     std::function<void(std::size_t index)> show,
                     std::function<void(SoundFrame at)> end, std::function<void()> silence,
                     std::function<void()> finished);

} // namespace zembera
