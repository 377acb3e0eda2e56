#pragma once
// The note a replay or a melody sounds on the memory channel: handed over ahead for the frame of
// its onset, ended by the next onset or the piece's end on theirs, and by a pause or a stop at
// once.
//
// Thread: UI thread only.

#include <deque>
#include <optional>
#include <utility>

#include "model/sound_port.h"

namespace zembera {

// A value that changes on frames handed over ahead: the one in force once the sound has played to
// a frame (a change on that very frame has not come yet).
template <typename T> class OnFrames {
  public:
    explicit OnFrames(T first) : now_(first) {}
    void set(SoundFrame from, T value) { changes_.emplace_back(from, value); }
    // In force at `frame` (asked in order: the changes before it are let go).
    T at(SoundFrame frame) {
        while (!changes_.empty() && changes_.front().first < frame) {
            now_ = changes_.front().second;
            changes_.pop_front();
        }
        return now_;
    }
    // In force after every change handed over.
    T last() const { return changes_.empty() ? now_ : changes_.back().second; }
    void reset(T value) {
        changes_.clear();
        now_ = value;
    }

  private:
    T now_;
    std::deque<std::pair<SoundFrame, T>> changes_;
};

class MemoryChannelNote {
  public:
    // On frame `at`: ends the note before and starts `note`. A silent note still takes its time as
    // an open note; a rest (`opens` false) only ends the note before it.
    void start(SoundPort& sound, const std::optional<StringNote>& note, bool opens, SoundFrame at) {
        end(sound, at);
        if (note) sound.startNote(Voice::memoryChannel(), *note, at);
        open_.set(at, opens);
    }
    // On frame `at`: ends the note open then (the piece's end).
    void end(SoundPort& sound, SoundFrame at) {
        if (!open_.last()) return;
        sound.endNote(Voice::memoryChannel(), at);
        open_.set(at, false);
    }
    // At once: drops what was handed over ahead and ends the note sounding now.
    void silence(SoundPort& sound) {
        sound.cancelScheduled();
        if (open_.at(sound.playedFrame())) sound.endNote(Voice::memoryChannel());
        open_.reset(false);
    }

  private:
    // A note sounds (or, silent, takes its time) until the next onset.
    OnFrames<bool> open_{false};
};

} // namespace zembera
