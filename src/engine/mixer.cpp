#include "engine/mixer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace zembera {

// send() keeps the sound references on the audio side (in the command ring, in voices, fading,
// on the way back) within the release ring's capacity, so a voice always finds room to give its
// sound back. Since the UI thread collects before every command, that limit is reached only when
// the audio side stops rendering, never in normal play: the ring and all the voices fit.
static_assert(kCommandCapacity + 1 + kAliasVoices + kFadingVoices <= kReleaseCapacity);
// The audio thread tells what it applied and what still sounds without ever waiting.
static_assert(std::atomic<std::uint64_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free);

Mixer::Mixer() : commands_(kCommandCapacity), released_(kReleaseCapacity) {}

bool Mixer::playMemory(PcmSound sound) {
    return send(kMemoryVoice, true, std::move(sound));
}

bool Mixer::stopMemory() {
    return send(kMemoryVoice, false, {});
}

bool Mixer::playAlias(std::size_t voice, PcmSound sound, float gain) {
    if (voice >= kAliasVoices) return false;
    return send(1 + voice, true, std::move(sound), gain);
}

bool Mixer::stopAlias(std::size_t voice) {
    if (voice >= kAliasVoices) return false;
    return send(1 + voice, false, {});
}

bool Mixer::send(std::size_t voice, bool play, PcmSound sound, float gain) {
    ui_.assertUiThread();
    collectGarbage();
    const bool carries = sound.owner != nullptr;
    if (carries && outstanding_ >= released_.capacity()) return false;
    if (!commands_.push(Command{voice, play, gain, std::move(sound)})) return false;
    if (carries) ++outstanding_;
    ++sent_[voice];
    return true;
}

bool Mixer::voiceSounding(std::size_t voice) const {
    ui_.assertUiThread();
    // The acquire pairs with the audio thread's release after it wrote sounding_: once every
    // command sent has been applied, sounding_ tells the state after them.
    if (applied_[voice].load(std::memory_order_acquire) != sent_[voice]) return true;
    return sounding_[voice].load(std::memory_order_relaxed);
}

bool Mixer::memorySounding() const {
    return voiceSounding(kMemoryVoice);
}

bool Mixer::aliasSounding(std::size_t voice) const {
    return voice < kAliasVoices && voiceSounding(1 + voice);
}

void Mixer::collectGarbage() {
    ui_.assertUiThread();
    PcmSound done;
    while (released_.pop(done)) {
        done = PcmSound{}; // the last reference to an image may go here, on the UI thread
        --outstanding_;
    }
}

void Mixer::release(PcmSound& sound) noexcept {
    if (!sound.owner) return;
    // Cannot fail: at most `outstanding_` references exist on this side, and the UI thread keeps
    // that at or below the ring's capacity.
    [[maybe_unused]] const bool queued = released_.push(std::move(sound));
    assert(queued);
    sound = PcmSound{};
}

// How loud a fading voice sounds at the frame it has reached.
static float levelNow(const PcmSound& sound, std::size_t position, float gain,
                      std::size_t fadeLeft) noexcept {
    if (position >= sound.frames) return 0;
    std::int16_t sample;
    std::memcpy(&sample, sound.data + 2 * position, sizeof sample);
    return std::abs(static_cast<float>(sample)) * gain * static_cast<float>(fadeLeft);
}

// Hands the voice's sound to a fading voice, from the frame it has reached, and leaves the voice
// silent; a sound not heard yet (cut on the frame it started) just goes. When every fading voice
// is taken (many cuts within one fade), the one that sounds quietest now is cut short for it, so
// that the step it leaves is the smallest there is.
void Mixer::cutOff(Voice& voice) noexcept {
    if (!voice.sound.owner) return;
    if (voice.position == 0) {
        release(voice.sound);
        return;
    }
    Voice* slot = nullptr;
    float quietest = std::numeric_limits<float>::infinity();
    for (Voice& fading : fading_) {
        if (!fading.sound.owner) {
            slot = &fading;
            break;
        }
        const float level = levelNow(fading.sound, fading.position, fading.gain, fading.fadeLeft);
        if (level < quietest) {
            quietest = level;
            slot = &fading;
        }
    }
    release(slot->sound);
    slot->sound = std::move(voice.sound);
    slot->position = voice.position;
    slot->gain = voice.gain;
    slot->fadeLeft = kReleaseFadeFrames;
    voice.sound = PcmSound{};
}

void Mixer::apply(Command& command) noexcept {
    ++appliedCount_[command.voice];
    Voice& voice = voices_[command.voice];
    cutOff(voice);
    voice.position = 0;
    voice.gain = command.gain;
    if (command.play) voice.sound = std::move(command.sound);
    if (voice.sound.frames == 0) release(voice.sound);
    release(command.sound); // a stop carries none; kept for safety
}

void Mixer::mixVoice(Voice& voice, std::int32_t* sum, std::size_t frames) noexcept {
    if (voice.gain != 1.0F || voice.fadeLeft != 0) {
        mixScaled(voice, sum, frames);
        return;
    }
    const std::size_t n = std::min(frames, voice.sound.frames - voice.position);
    const std::uint8_t* at = voice.sound.data + 2 * voice.position;
    for (std::size_t i = 0; i < n; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, at + 2 * i, sizeof sample); // little-endian, maybe unaligned
        sum[i] += sample;
    }
    voice.position += n;
    if (voice.position >= voice.sound.frames) release(voice.sound);
}

// A voice below full level or dying away: each sample scaled and rounded. The fade falls in a
// straight line from the voice's gain to silence.
void Mixer::mixScaled(Voice& voice, std::int32_t* sum, std::size_t frames) noexcept {
    std::size_t n = std::min(frames, voice.sound.frames - voice.position);
    if (voice.fadeLeft != 0) n = std::min(n, voice.fadeLeft);
    const std::uint8_t* at = voice.sound.data + 2 * voice.position;
    const float fadeStep = voice.gain / static_cast<float>(kReleaseFadeFrames);
    for (std::size_t i = 0; i < n; ++i) {
        std::int16_t sample;
        std::memcpy(&sample, at + 2 * i, sizeof sample);
        const float gain =
            voice.fadeLeft == 0 ? voice.gain : fadeStep * static_cast<float>(voice.fadeLeft - i);
        sum[i] += static_cast<std::int32_t>(std::lrint(static_cast<float>(sample) * gain));
    }
    voice.position += n;
    const bool faded = voice.fadeLeft != 0 && (voice.fadeLeft -= n) == 0;
    if (faded || voice.position >= voice.sound.frames) {
        voice.fadeLeft = 0;
        release(voice.sound);
    }
}

void Mixer::render(std::int16_t* out, std::size_t frames, int channels) noexcept {
    Command command;
    while (commands_.pop(command))
        apply(command);

    const std::size_t width = channels > 0 ? static_cast<std::size_t>(channels) : 1;
    std::int32_t sum[kMixChunkFrames];
    while (frames > 0) {
        const std::size_t n = std::min(frames, kMixChunkFrames);
        std::fill_n(sum, n, 0);
        for (Voice& voice : voices_)
            if (voice.sound.owner) mixVoice(voice, sum, n);
        for (Voice& voice : fading_)
            if (voice.sound.owner) mixVoice(voice, sum, n);
        for (std::size_t i = 0; i < n; ++i) {
            const auto sample = static_cast<std::int16_t>(
                std::clamp<std::int32_t>(sum[i], std::numeric_limits<std::int16_t>::min(),
                                         std::numeric_limits<std::int16_t>::max()));
            for (std::size_t c = 0; c < width; ++c)
                *out++ = sample;
        }
        frames -= n;
    }
    for (std::size_t v = 0; v < kVoices; ++v) {
        sounding_[v].store(voices_[v].sound.owner != nullptr, std::memory_order_relaxed);
        applied_[v].store(appliedCount_[v], std::memory_order_release);
    }
}

} // namespace zembera
