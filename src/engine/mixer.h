#pragma once
// The one mixer of the program. Voice 0 is the memory channel (one sound at a time: a new start
// cuts off the sounding one, a stop silences it); the alias voices play MCI devices, one each.
//
// No sound ever ends in a step: whatever cuts a voice off (a stop, a new start on it) hands its
// sound to a fading voice that lets it die away over kReleaseFadeFrames, while the voice itself
// is free at once, so a new start sounds from its own first frame beside the fading old one.
//
// The UI thread changes voices only through small commands in a single-producer single-consumer
// ring; the audio thread applies them at the top of each render. Sounds a voice is done with (cut
// off, stopped, finished) go back through a second ring and are released on the UI thread, so
// the audio thread never allocates, frees or locks.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/pcm_sound.h"
#include "engine/sound_limits.h"
#include "engine/spsc_ring.h"
#include "engine/ui_thread.h"

namespace zembera {

class Mixer {
  public:
    // Thread: UI thread; the mixer belongs to the thread that creates it.
    Mixer();

    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Thread: UI thread (asserted in debug builds). Each returns false, and nothing changes, when
    // the command cannot be queued because the audio side is not keeping up.
    // Every cut below lets the sound cut off die away over kReleaseFadeFrames.
    // Starts `sound` on the memory channel from its first frame, cutting off the sounding one.
    // An empty sound just cuts it off.
    bool playMemory(PcmSound sound);
    // Silences the memory channel.
    bool stopMemory();
    // Starts `sound` from its first frame on alias voice 0..kAliasVoices-1, at `gain` times its
    // own level (1 plays it sample for sample as it is), cutting off the sounding one.
    bool playAlias(std::size_t voice, PcmSound sound, float gain = 1.0F);
    // Silences an alias voice.
    bool stopAlias(std::size_t voice);

    // Thread: UI thread (asserted). Releases the sounds the audio side has given back.
    void collectGarbage();

    // Thread: UI thread. Whether the memory channel, or an alias voice, may still sound: a command
    // sent to it has not reached the audio side yet, or the sound it plays has not ended. False
    // once the last sound started there has run out, been cut off or stopped (its fade may still
    // be dying away).
    bool memorySounding() const;
    bool aliasSounding(std::size_t voice) const;

    // Thread: the audio thread, the one thread that renders (a test may render on the UI thread).
    // Applies the queued commands, then writes `frames` frames of the sum of all voices, saturated
    // to 16 bits, each sample repeated in `channels` interleaved channels. Never allocates, frees,
    // locks or throws.
    void render(std::int16_t* out, std::size_t frames, int channels = 1) noexcept;

  private:
    static constexpr std::size_t kVoices = 1 + kAliasVoices;
    static constexpr std::size_t kMemoryVoice = 0;

    struct Command {
        std::size_t voice = 0;
        bool play = false; // otherwise stop
        float gain = 1.0F; // for play
        PcmSound sound;    // for play
    };
    struct Voice {
        PcmSound sound; // owner is null when the voice is silent
        std::size_t position = 0;
        float gain = 1.0F;
        // Frames still to sound while dying away; 0 for a voice that is not fading (every one of
        // voices_, none of fading_ that sounds).
        std::size_t fadeLeft = 0;
    };

    bool send(std::size_t voice, bool play, PcmSound sound, float gain = 1.0F);
    void mixScaled(Voice& voice, std::int32_t* sum, std::size_t n) noexcept;
    void apply(Command& command) noexcept;
    void cutOff(Voice& voice) noexcept;
    void mixVoice(Voice& voice, std::int32_t* sum, std::size_t frames) noexcept;
    void release(PcmSound& sound) noexcept;
    bool voiceSounding(std::size_t voice) const;

    UiThreadCheck ui_;
    SpscRing<Command> commands_;
    SpscRing<PcmSound> released_;
    // Touched only by the audio thread while it runs.
    std::array<Voice, kVoices> voices_;
    std::array<Voice, kFadingVoices> fading_; // sounds cut off, dying away
    // Sound references sent to the audio side and not yet collected. Kept at or below the release
    // ring's capacity, so that the audio thread always finds room to give a sound back.
    std::size_t outstanding_ = 0;
    // Commands sent to each voice (UI thread) and applied to it (audio thread); at the end of
    // every render the audio thread publishes what it applied and which voices still sound.
    std::array<std::uint64_t, kVoices> sent_{};
    std::array<std::uint64_t, kVoices> appliedCount_{};
    std::array<std::atomic<std::uint64_t>, kVoices> applied_{};
    std::array<std::atomic<bool>, kVoices> sounding_{};
};

} // namespace zembera
