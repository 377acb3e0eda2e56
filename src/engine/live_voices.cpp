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

void LiveVoices::start(int voice, int s, double cents, float gain) noexcept {
    if (!validVoice(voice)) return;
    end(voice);
    if (s < 1 || s > kStringCount) return;
    const Note& note = strings_[static_cast<std::size_t>(s)];
    const double step = stepOf(s, cents);
    if (note.silent() || !(step > 0)) return;
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    v.reader = Reader{note.frames.get(), note.count, 0, step};
    v.gain = gain;
    v.string = s;
}

void LiveVoices::end(int voice) noexcept {
    if (!validVoice(voice)) return;
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    if (v.reader.frames == nullptr) return;
    // A note not heard yet just goes; one that sounded dies away from where it is.
    if (v.reader.position > 0) {
        v.dying = v.reader;
        v.dyingLeft = fadeFrames_;
        v.dyingGain = v.gain;
    }
    v.reader = Reader{};
    v.crossfadeLeft = 0;
    v.string = 0;
}

void LiveVoices::retune(int voice, double cents) noexcept {
    if (!validVoice(voice)) return;
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    if (v.reader.frames == nullptr) return;
    const double step = stepOf(v.string, cents);
    if (!(step > 0) || step == v.reader.step) return;
    v.before = v.reader;
    v.reader.step = step;
    v.crossfadeLeft = fadeFrames_;
}

int LiveVoices::stringOf(int voice) const noexcept {
    return validVoice(voice) ? voices_[static_cast<std::size_t>(voice)].string : 0;
}

void LiveVoices::mixVoice(Voice& v, float* out, std::size_t frames) noexcept {
    const float fade = static_cast<float>(fadeFrames_);
    for (std::size_t i = 0; i < frames && v.dying.frames != nullptr; ++i) {
        if (v.dying.position >= static_cast<double>(v.dying.count - 1) || v.dyingLeft == 0) {
            v.dying = Reader{};
            break;
        }
        out[i] +=
            v.dying.sampleAt() * v.dyingGain * (static_cast<float>(v.dyingLeft) / fade) * kUnit;
        v.dying.position += v.dying.step;
        --v.dyingLeft;
    }
    for (std::size_t i = 0; i < frames && v.reader.frames != nullptr; ++i) {
        if (v.reader.position > static_cast<double>(v.reader.count - 1)) {
            v.reader = Reader{};
            v.string = 0;
            v.crossfadeLeft = 0;
            break;
        }
        float x = v.reader.sampleAt();
        if (v.crossfadeLeft > 0) {
            // The old pitch falls as the new rises, both from the same point of the pluck.
            const float w = static_cast<float>(v.crossfadeLeft) / fade;
            const float old = v.before.position < static_cast<double>(v.before.count - 1)
                                  ? v.before.sampleAt()
                                  : 0.0F;
            x = x * (1.0F - w) + old * w;
            v.before.position += v.before.step;
            --v.crossfadeLeft;
        }
        out[i] += x * v.gain * kUnit;
        v.reader.position += v.reader.step;
    }
}

void LiveVoices::render(float* left, float* right, std::size_t frames) noexcept {
    std::fill_n(left, frames, 0.0F);
    for (Voice& v : voices_)
        if (v.reader.frames != nullptr || v.dying.frames != nullptr) mixVoice(v, left, frames);
    if (right != nullptr && right != left) std::copy_n(left, frames, right);
}

} // namespace zembera::engine
