#include "internal/mixer.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

namespace zembera::engine {
namespace {

// 16-bit frames to full scale ±1: a power of two, so the sum of unscaled frames stays exact.
constexpr float kUnit = 1.0F / 32768.0F;

// The earliest frame on top of the heap; one frame's commands in the order they came.
bool later(const auto& a, const auto& b) {
    return a.frame != b.frame ? a.frame > b.frame : a.order > b.order;
}

} // namespace

// The audio thread tells what it applied, what still sounds and how far it rendered without ever
// waiting.
static_assert(std::atomic<std::uint64_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free && std::atomic<Frame>::is_always_lock_free);

Mixer::Mixer()
    : commands_(kCommandCapacity), released_(kReleaseCapacity),
      schedule_(std::make_unique<Waiting[]>(kScheduleCapacity)) {}

void Mixer::setFadeFrames(std::size_t frames) {
    ui_.assertUiThread();
    fadeFrames_ = std::max<std::size_t>(frames, 1);
}

void Mixer::reset() {
    ui_.assertUiThread();
    for (Voice& voice : voices_)
        release(voice.note);
    for (Voice& voice : fading_)
        release(voice.note);
    Command command;
    while (commands_.pop(command))
        release(command.note);
    for (std::size_t i = 0; i < waiting_; ++i)
        release(schedule_[i].command.note);
    waiting_ = 0;
    collect();
    for (std::size_t v = 0; v < kVoices; ++v) {
        appliedCount_[v] = sent_[v];
        applied_[v].store(sent_[v], std::memory_order_relaxed);
        sounding_[v].store(false, std::memory_order_relaxed);
    }
}

bool Mixer::send(Command command) {
    ui_.assertUiThread();
    collect();
    const bool carries = !command.note.silent();
    if (carries && outstanding_ >= released_.capacity()) return false;
    const std::size_t voice = command.voice;
    const bool forVoice = command.kind != Command::Kind::cancelScheduled;
    if (!commands_.push(std::move(command))) return false;
    if (carries) ++outstanding_;
    if (forVoice) ++sent_[voice];
    return true;
}

bool Mixer::sounding(std::size_t voice) const {
    ui_.assertUiThread();
    if (voice >= kVoices) return false;
    // The acquire pairs with the audio thread's release after it wrote sounding_: once every
    // command sent has been applied, sounding_ tells the state after them.
    if (applied_[voice].load(std::memory_order_acquire) != sent_[voice]) return true;
    return sounding_[voice].load(std::memory_order_relaxed);
}

void Mixer::collect() {
    ui_.assertUiThread();
    Note done;
    while (released_.pop(done)) {
        done = Note{}; // the last reference to a note may go here, on the UI thread
        --outstanding_;
    }
}

void Mixer::release(Note& note) noexcept {
    if (note.silent()) {
        note = Note{};
        return;
    }
    // Cannot fail: at most `outstanding_` references exist on this side, and the UI thread keeps
    // that at or below the ring's capacity.
    [[maybe_unused]] const bool queued = released_.push(std::move(note));
    assert(queued);
    note = Note{};
}

// Takes the queued commands into the schedule while there is room in it; the rest wait in the
// ring for the next block.
void Mixer::take(Frame blockStart) noexcept {
    Command command;
    while (waiting_ < kScheduleCapacity && commands_.pop(command)) {
        if (command.kind == Command::Kind::cancelScheduled) {
            dropScheduled();
            continue;
        }
        const Frame frame = command.scheduled ? command.frame : blockStart + command.frame;
        Waiting& slot = schedule_[waiting_++];
        slot.frame = frame;
        slot.order = nextOrder_++;
        slot.command = std::move(command);
        std::push_heap(schedule_.get(), schedule_.get() + waiting_, later<Waiting, Waiting>);
    }
}

void Mixer::dropScheduled() noexcept {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < waiting_; ++i) {
        Waiting& w = schedule_[i];
        if (w.command.scheduled) {
            ++appliedCount_[w.command.voice]; // dropped: it will never be applied
            release(w.command.note);
        } else {
            if (kept != i) schedule_[kept] = std::move(w);
            ++kept;
        }
    }
    waiting_ = kept;
    std::make_heap(schedule_.get(), schedule_.get() + waiting_, later<Waiting, Waiting>);
}

// How loud a fading voice sounds at the frame it has reached.
static float levelNow(const Note& note, std::size_t position, float gain,
                      std::size_t fadeLeft) noexcept {
    if (position >= note.count) return 0;
    return std::abs(static_cast<float>(note.frames[position])) * gain *
           static_cast<float>(fadeLeft);
}

// Hands the voice's note to a fading voice, from the frame it has reached, and leaves the voice
// silent; a note not heard yet (cut on the frame it started) just goes. When every fading voice is
// taken (many cuts within one fade), the one that sounds quietest now is cut short for it, so that
// the step it leaves is the smallest there is.
void Mixer::cutOff(Voice& voice) noexcept {
    if (voice.note.silent()) return;
    if (voice.position == 0) {
        release(voice.note);
        return;
    }
    Voice* slot = nullptr;
    float quietest = std::numeric_limits<float>::infinity();
    for (Voice& fading : fading_) {
        if (fading.note.silent()) {
            slot = &fading;
            break;
        }
        const float level = levelNow(fading.note, fading.position, fading.gain, fading.fadeLeft);
        if (level < quietest) {
            quietest = level;
            slot = &fading;
        }
    }
    release(slot->note);
    slot->note = std::move(voice.note);
    slot->position = voice.position;
    slot->gain = voice.gain;
    slot->fadeLeft = fadeFrames_;
    voice.note = Note{};
}

void Mixer::apply(Command& command) noexcept {
    ++appliedCount_[command.voice];
    Voice& voice = voices_[command.voice];
    cutOff(voice);
    voice.position = 0;
    voice.gain = command.gain;
    if (command.kind == Command::Kind::start && !command.note.silent())
        voice.note = std::move(command.note);
    release(command.note); // an end carries none; kept for safety
}

void Mixer::mixVoice(Voice& voice, float* out, std::size_t frames) noexcept {
    std::size_t n = std::min(frames, voice.note.count - voice.position);
    if (voice.fadeLeft != 0) n = std::min(n, voice.fadeLeft);
    const std::int16_t* at = voice.note.frames.get() + voice.position;
    if (voice.fadeLeft != 0) {
        // Falls in a straight line from the voice's gain to silence.
        const float fadeStep = voice.gain / static_cast<float>(fadeFrames_);
        for (std::size_t i = 0; i < n; ++i) {
            const float gain = fadeStep * static_cast<float>(voice.fadeLeft - i);
            out[i] += static_cast<float>(at[i]) * gain * kUnit;
        }
    } else if (voice.gain != 1.0F) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] += static_cast<float>(at[i]) * voice.gain * kUnit;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            out[i] += static_cast<float>(at[i]) * kUnit;
    }
    voice.position += n;
    const bool faded = voice.fadeLeft != 0 && (voice.fadeLeft -= n) == 0;
    if (faded || voice.position >= voice.note.count) {
        voice.fadeLeft = 0;
        release(voice.note);
    }
}

void Mixer::mix(float* out, std::size_t frames) noexcept {
    for (Voice& voice : voices_)
        if (!voice.note.silent()) mixVoice(voice, out, frames);
    for (Voice& voice : fading_)
        if (!voice.note.silent()) mixVoice(voice, out, frames);
}

void Mixer::render(float* left, float* right, std::size_t frames) noexcept {
    const Frame start = clock_;
    take(start);
    std::fill_n(left, frames, 0.0F);
    std::size_t done = 0;
    while (done < frames) {
        // Every command due by this frame (or late) applies before the frame sounds.
        while (waiting_ > 0 && schedule_[0].frame <= start + static_cast<Frame>(done)) {
            std::pop_heap(schedule_.get(), schedule_.get() + waiting_, later<Waiting, Waiting>);
            apply(schedule_[--waiting_].command);
        }
        std::size_t until = frames;
        if (waiting_ > 0)
            until = static_cast<std::size_t>(
                std::min<Frame>(static_cast<Frame>(frames), schedule_[0].frame - start));
        mix(left + done, until - done);
        done = until;
    }
    if (right != nullptr && right != left) std::copy_n(left, frames, right);
    clock_ = start + static_cast<Frame>(frames);
    for (std::size_t v = 0; v < kVoices; ++v) {
        sounding_[v].store(!voices_[v].note.silent(), std::memory_order_relaxed);
        applied_[v].store(appliedCount_[v], std::memory_order_release);
    }
    rendered_.store(clock_, std::memory_order_release);
}

} // namespace zembera::engine
