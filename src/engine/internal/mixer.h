#pragma once
// The one mixer of an engine: a voice per VoiceId, each sounding one note at a time.
//
// No note ever ends in a step: whatever cuts a voice off (an end, a new start on it) hands its note
// to a fading voice that lets it die away over the fade, while the voice itself is free at once, so
// a new start sounds from its own first frame beside the fading old one.
//
// The UI thread changes voices only through small commands in a single-producer single-consumer
// ring, each for a frame of the engine's clock (the frames rendered since the start): the audio
// thread takes them at the top of each render into a schedule of fixed size and applies each on
// its frame, splitting the block there. Notes a voice is done with (cut off, ended, finished) go
// back through a second ring and are released on the UI thread, so the audio thread never
// allocates, frees or locks.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/note.h"
#include "internal/limits.h"
#include "internal/spsc_ring.h"
#include "internal/ui_thread.h"

namespace zembera::engine {

using Frame = std::int64_t;

struct Command {
    enum class Kind : std::uint8_t { start, end, cancelScheduled };
    Kind kind = Kind::end;
    // Scheduled: `frame` is a frame of the clock, and cancelScheduled drops it until it is
    // applied. Otherwise `frame` counts from the start of the next render.
    bool scheduled = false;
    std::uint16_t voice = 0; // 0..kVoices-1
    float gain = 1.0F;       // for a start
    Frame frame = 0;
    Note note; // for a start; silent: the start only ends the note before
};

class Mixer {
  public:
    // Thread: UI thread; the mixer belongs to the thread that creates it.
    Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Thread: UI thread, while no render runs. Frames a cut-off note takes to die away.
    void setFadeFrames(std::size_t frames);
    // Thread: UI thread, while no render runs. Silences every voice and drops every command, as
    // a new rate asks (the notes sounding were made for the old one).
    void reset();

    // Thread: UI thread (asserted in debug builds). Queues `command`; false, and nothing changes,
    // when the audio side is not keeping up.
    bool send(Command command);
    // Thread: UI thread (asserted). Releases the notes the audio side has given back.
    void collect();
    // Thread: UI thread. Whether `voice` may still sound: a command sent to it has not been
    // applied yet, or its note has not ended. False once its last note has run out, been cut off
    // or ended (its fade may still be dying away).
    bool sounding(std::size_t voice) const;
    // Thread: any. Frames rendered so far, as the audio thread last told.
    Frame rendered() const { return rendered_.load(std::memory_order_acquire); }

    // Thread: the audio thread, the one thread that renders (a test may render on the UI
    // thread). Applies the commands due in this block on their frames and writes `frames` frames
    // of the sum of all voices (full scale ±1) to `left` and the same to `right`. Never allocates,
    // frees, locks or throws.
    void render(float* left, float* right, std::size_t frames) noexcept;

  private:
    struct Voice {
        Note note; // silent when the voice is
        std::size_t position = 0;
        float gain = 1.0F;
        // Frames still to sound while dying away; 0 for a voice that is not fading (every one of
        // voices_, none of fading_ that sounds).
        std::size_t fadeLeft = 0;
    };
    struct Waiting {
        Frame frame = 0;
        std::uint64_t order = 0; // commands on one frame apply in the order they came
        Command command;
    };

    void take(Frame blockStart) noexcept;
    void dropScheduled() noexcept;
    void apply(Command& command) noexcept;
    void cutOff(Voice& voice) noexcept;
    void mix(float* out, std::size_t frames) noexcept;
    void mixVoice(Voice& voice, float* out, std::size_t frames) noexcept;
    void release(Note& note) noexcept;

    UiThreadCheck ui_;
    SpscRing<Command> commands_;
    SpscRing<Note> released_;
    std::size_t fadeFrames_ = 220;
    // Touched only by the audio thread while it renders.
    std::array<Voice, kVoices> voices_;
    std::array<Voice, kFadingVoices> fading_; // notes cut off, dying away
    std::unique_ptr<Waiting[]> schedule_;     // a heap, the earliest frame on top
    std::size_t waiting_ = 0;
    std::uint64_t nextOrder_ = 0;
    Frame clock_ = 0;
    // Notes sent to the audio side and not yet collected. Kept at or below the release ring's
    // capacity, so that the audio thread always finds room to give a note back.
    std::size_t outstanding_ = 0;
    // Commands sent to each voice (UI thread) and applied to it or dropped (audio thread); at the
    // end of every render the audio thread publishes them and which voices still sound.
    std::array<std::uint64_t, kVoices> sent_{};
    std::array<std::uint64_t, kVoices> appliedCount_{};
    std::array<std::atomic<std::uint64_t>, kVoices> applied_{};
    std::array<std::atomic<bool>, kVoices> sounding_{};
    std::atomic<Frame> rendered_{0};
};

} // namespace zembera::engine
