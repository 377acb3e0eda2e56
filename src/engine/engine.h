#pragma once
// The sound engine of the kanun: the strings' samples, the notes made from them and the voices
// that sound them, rendered as stereo float frames at the host's rate. Any host drives it the same
// way: the window through its audio device, the offline render, a plugin, the tests.
//
//   Engine engine;
//   engine.setSampleRate(48000);                  // before playing: converts the samples
//   engine.setMaxBlock(512);
//   engine.setStringSample(s, sample);            // for each string, as loaded
//   engine.startNote(VoiceId::string(s), engine.prepareNote(s, cents, Resampling::stepped));
//   engine.render(left, right, frames);           // on the audio thread
//
// Notes start and end on the frame they are given: `delay` frames into the next block rendered,
// or a frame of the engine's clock (the frames rendered since it started), handed over ahead of
// time. Every end lets the note die away over 5 ms. Failures are silent: a note that cannot be
// made plays nothing.
//
// Thread: every member is for the UI thread (the host's control thread, the one that made the
// engine; asserted in debug builds) but render(), which is for the one audio thread and never
// allocates, frees, locks, reads a file or throws, and renderedFrames(), for any thread.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/note.h"
#include "engine/string_sample.h"
#include "engine/voice_id.h"

namespace zembera::engine {

// A moment on the engine's clock: frames rendered since it started.
using Frame = std::int64_t;

// The rates the engine is made for (others work too).
inline constexpr double kHostRates[] = {44100, 48000, 88200, 96000};

class Engine {
  public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Before playing, while no render runs: the host's rate (44100 unless set) and the largest
    // block it renders at once (render takes any size; a host states it for its own buffers).
    // A new rate converts every string's sample to it and silences what sounds.
    void setSampleRate(double rate);
    void setMaxBlock(std::size_t frames);
    double sampleRate() const;
    std::size_t maxBlock() const;

    // The sample of string s (1..26), converted to the engine's rate now. An empty one leaves the
    // string silent.
    void setStringSample(int s, const StringSample& sample);

    // String s's sample as converted to the engine's rate (silent without one), for voices that
    // play it at a rate of their own (live_voices.h).
    Note convertedSample(int s) const;

    // The note string s sounds at `cents` above C4 (262 Hz), made from its sample `how` says:
    // made now, or the same note made before. Silent when the string has no sample or the pitch
    // gives no sound.
    Note prepareNote(int s, double cents, Resampling how);

    // Starts `note` on `voice` at `gain` times its level, `delay` frames into the next block,
    // ending the note sounding there; a silent note only ends it. False, and nothing changes,
    // when the voice does not exist or the audio side is not keeping up.
    bool startNote(VoiceId voice, const Note& note, float gain = 1.0F, std::uint32_t delay = 0);
    // Ends the note of `voice` `delay` frames into the next block.
    bool endNote(VoiceId voice, std::uint32_t delay = 0);
    // The same on frame `at` of the clock, handed over ahead of time; a frame already rendered
    // when the audio side takes the command counts as the first frame of that block.
    bool startNoteAt(VoiceId voice, const Note& note, float gain, Frame at);
    bool endNoteAt(VoiceId voice, Frame at);
    // Drops every start and end handed over for a frame (startNoteAt, endNoteAt) that has not
    // come yet, as the next block begins.
    bool cancelScheduled();

    // Whether `voice` may still sound: a start or end sent to it is not applied yet, or its note
    // has not ended (its fade may still be dying away).
    bool sounding(VoiceId voice) const;
    // Releases the notes the audio side is done with. Every call above does it first.
    void collect();

    // Thread: any. Frames rendered so far.
    Frame renderedFrames() const;

    // Thread: the audio thread. Applies the starts and ends due in the block on their frames
    // and writes `frames` frames to `left` and `right` (full scale ±1; the same in both, or
    // `right` may be null).
    void render(float* left, float* right, std::size_t frames) noexcept;

  private:
    struct Inside;
    std::unique_ptr<Inside> in_;
};

// A float frame as a 16-bit sample: scaled by 32768, rounded to the nearest (ties to even),
// held within the 16-bit range.
std::int16_t toPcm16(float sample) noexcept;

} // namespace zembera::engine
