#include "engine/live_voices.h"

#include <algorithm>
#include <cmath>

#include "internal/limits.h"

namespace zembera::engine {
namespace {

constexpr float kUnit = 1.0F / 32768.0F;

bool validVoice(int voice) {
    return voice >= 0 && voice < LiveVoices::kCount;
}

} // namespace

float LiveVoices::Reader::sampleAt() const noexcept {
    const auto j = static_cast<std::size_t>(position);
    const float a = frames[j];
    const float b = j + 1 < count ? frames[j + 1] : a;
    return a + (b - a) * static_cast<float>(position - static_cast<double>(j));
}

void LiveVoices::setRate(double rate) {
    fadeFrames_ = std::max<std::size_t>(static_cast<std::size_t>(rate / kFadesPerSecond), 1);
    voices_ = {};
    fading_ = {};
}

void LiveVoices::setString(int s, const Note& converted, double nominalHz) {
    if (s < 1 || s > kStringCount) return;
    strings_[static_cast<std::size_t>(s)] = converted;
    nominalHz_[static_cast<std::size_t>(s)] = nominalHz;
}

// The step of an interpolated note of the same pitch: its whole-hertz play rate over 44100.
double LiveVoices::stepOf(int s, double cents) const noexcept {
    return playRateOf(nominalHz_[static_cast<std::size_t>(s)], cents) / kPlayRateBase;
}

void LiveVoices::fade(const Reader& reader, float gain) noexcept {
    Fading* slot = nullptr;
    float quietest = 0;
    for (Fading& f : fading_) {
        if (f.reader.frames == nullptr) {
            slot = &f;
            break;
        }
        const float level = f.gain * static_cast<float>(f.left);
        if (slot == nullptr || level < quietest) {
            slot = &f;
            quietest = level;
        }
    }
    *slot = Fading{reader, gain, fadeFrames_};
}

void LiveVoices::start(int voice, int s, double cents, float gain) noexcept {
    if (!validVoice(voice)) return;
    end(voice);
    if (s < 1 || s > kStringCount) return;
    const Note& note = strings_[static_cast<std::size_t>(s)];
    const double step = stepOf(s, cents);
    if (note.silent() || !(step > 0)) return;
    voices_[static_cast<std::size_t>(voice)] =
        Voice{Reader{note.frames.get(), note.count, 0, step}, gain, 1.0F, s};
}

void LiveVoices::end(int voice) noexcept {
    if (!validVoice(voice)) return;
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    if (v.reader.frames == nullptr) return;
    // A note not heard yet just goes; one that sounded dies away from where it is.
    if (v.reader.position > 0) fade(v.reader, v.gain * v.rise);
    v = Voice{};
}

void LiveVoices::retune(int voice, double cents) noexcept {
    if (!validVoice(voice)) return;
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    if (v.reader.frames == nullptr) return;
    const double step = stepOf(v.string, cents);
    if (!(step > 0) || step == v.reader.step) return;
    fade(v.reader, v.gain * v.rise);
    v.reader.step = step;
    v.rise = 0;
}

int LiveVoices::stringOf(int voice) const noexcept {
    return validVoice(voice) ? voices_[static_cast<std::size_t>(voice)].string : 0;
}

void LiveVoices::mixVoice(Voice& v, float* out, std::size_t frames) noexcept {
    const float riseStep = 1.0F / static_cast<float>(fadeFrames_);
    const auto last = static_cast<double>(v.reader.count - 1);
    for (std::size_t i = 0; i < frames; ++i) {
        if (v.reader.position > last) {
            v = Voice{};
            return;
        }
        out[i] += v.reader.sampleAt() * v.gain * v.rise * kUnit;
        v.rise = std::min(1.0F, v.rise + riseStep);
        v.reader.position += v.reader.step;
    }
}

void LiveVoices::mixFading(Fading& f, float* out, std::size_t frames) noexcept {
    const float fade = static_cast<float>(fadeFrames_);
    const auto last = static_cast<double>(f.reader.count - 1);
    for (std::size_t i = 0; i < frames; ++i) {
        if (f.left == 0 || f.reader.position > last) {
            f = Fading{};
            return;
        }
        out[i] += f.reader.sampleAt() * f.gain * (static_cast<float>(f.left) / fade) * kUnit;
        f.reader.position += f.reader.step;
        --f.left;
    }
}

void LiveVoices::render(float* left, float* right, std::size_t frames) noexcept {
    std::fill_n(left, frames, 0.0F);
    for (Voice& v : voices_)
        if (v.reader.frames != nullptr) mixVoice(v, left, frames);
    for (Fading& f : fading_)
        if (f.reader.frames != nullptr) mixFading(f, left, frames);
    if (right != nullptr && right != left) std::copy_n(left, frames, right);
}

} // namespace zembera::engine
