#pragma once
// Voices that play the strings' samples at a pitch chosen on the audio thread itself, for a host
// whose notes arrive there (a plugin's MIDI). Each voice reads its string's sample (as the engine
// converted it) at a play rate with linear interpolation, as interpolated notes are made, but
// while it sounds: so a voice can be started, ended and moved to another pitch within a block
// without anything being made or freed. A moved voice goes on from the same point of the sample
// at the new rate, crossfaded from the old over the fade time (the old falling as one more fading
// reader, so retunes closer than the fade overlap without a step); an ended or restarted one dies
// away over 5 ms, as the engine's notes do.
//
//   LiveVoices voices;
//   voices.setRate(48000);                        // control thread, before playing
//   voices.setString(s, engine.convertedSample(s), nominalHz);
//   voices.start(key, s, cents, gain);            // audio thread
//   voices.retune(key, cents);
//   voices.render(left, right, frames);
//
// Thread: setRate and setString on the control thread while no render runs; everything else on
// the audio thread, never allocating, freeing, locking or throwing.

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/note.h"
#include "engine/voice_id.h"
#include "pitch/per_string.h"

namespace zembera::engine {

class LiveVoices {
  public:
    static constexpr int kCount = kKeys; // voices 0..kCount-1

    void setRate(double rate);
    // The sample of string s (1..26) at the engine's rate, sounding `nominalHz`; kept alive here.
    void setString(int s, const Note& converted, double nominalHz);

    // Starts string s at `cents` above C4 on `voice`, ending what sounded there.
    void start(int voice, int s, double cents, float gain) noexcept;
    void end(int voice) noexcept;
    // Moves the note of `voice` to `cents` without a new attack.
    void retune(int voice, double cents) noexcept;
    // The string voice sounds, 0 when it is silent or dying away.
    int stringOf(int voice) const noexcept;
    // Writes `frames` frames of every voice (full scale ±1) to `left`, and the same to `right`.
    void render(float* left, float* right, std::size_t frames) noexcept;

  private:
    struct Reader {
        const std::int16_t* frames = nullptr; // null: silent
        std::size_t count = 0;
        double position = 0;
        double step = 0; // sample frames per output frame
        float sampleAt() const noexcept;
    };
    struct Voice {
        Reader reader;
        float gain = 1.0F;
        // The reader's share of the gain: below 1 while it rises after a retune, one fade-step a
        // frame, as the pitch it left falls among the fading readers.
        float rise = 1.0F;
        int string = 0;
    };
    // A reader cut off or left by a retune, falling in a straight line from `gain` to silence.
    struct Fading {
        Reader reader;
        float gain = 0;
        std::size_t left = 0; // frames still to sound
    };
    // Every cut and every retune may happen within one fade on every voice, twice.
    static constexpr std::size_t kFadingCount = 2 * kCount;

    double stepOf(int s, double cents) const noexcept;
    // Hands `reader` to a fading reader at `gain`; when all are taken, the quietest gives way.
    void fade(const Reader& reader, float gain) noexcept;
    void mixVoice(Voice& voice, float* out, std::size_t frames) noexcept;
    void mixFading(Fading& fading, float* out, std::size_t frames) noexcept;

    std::size_t fadeFrames_ = 220;
    PerString<Note> strings_{};
    PerString<double> nominalHz_{};
    std::array<Voice, kCount> voices_{};
    std::array<Fading, kFadingCount> fading_{};
};

} // namespace zembera::engine
