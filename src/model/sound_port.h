#pragma once
// What the keys, the mouse, the players and a MIDI keyboard need of the sound: notes of the
// strings started and ended on voices, at once or on a frame of the sound's clock handed over
// ahead of time. The window's platform sound implements it over the engine; tests record it.
//
// Thread: UI thread.

#include <cstdint>
#include <optional>

#include "model/note_listener.h"
#include "model/voice.h"

namespace zembera {

// A moment on the sound's clock: frames since the sound started.
using SoundFrame = std::int64_t;

// How a string's sample is brought to a note's pitch.
enum class Resampling : std::uint8_t {
    stepped,      // the string's own sound, as the keys and the mouse play it
    interpolated, // the sample at a whole-hertz play rate: the players' notes, the black keys
};

// A note of a string.
struct StringNote {
    int string = 0;
    int position = 0; // the mandal position it sounds, not always the mandal's
    double cents = 0; // above C4 (262 Hz): the table's and the string's fine tuning, soundingCents
    Resampling resampling = Resampling::stepped;
    float gain = 1.0F;
    int velocity = kFullVelocity;
};

class SoundPort {
  public:
    virtual ~SoundPort() = default;
    // Starts `note` on `voice`, ending the note sounding there, at once or on frame `at`. False
    // when it does not start: a string's voice already open (a held letter key repeating) or no
    // voice to sound it on. A note whose sample cannot sound still ends the one before.
    virtual bool startNote(Voice voice, const StringNote& note,
                           std::optional<SoundFrame> at = std::nullopt) = 0;
    // Ends the note of `voice` (it dies away over 5 ms), at once or on frame `at`; harmless when
    // none sounds there.
    virtual void endNote(Voice voice, std::optional<SoundFrame> at = std::nullopt) = 0;
    // Drops every start and end handed over for a frame that has not come yet.
    virtual void cancelScheduled() {}
    // Makes `note` ready ahead, so that starting it later costs nothing.
    virtual void prepare(const StringNote& /*note*/) {}

    // The clock: the frame the sound has played to, the earliest frame a note handed over now can
    // still start on, and the frames per second.
    virtual SoundFrame playedFrame() = 0;
    virtual SoundFrame nextFrame() = 0;
    virtual double frameRate() const = 0;
};

} // namespace zembera
