#include "lv2/kanun_synth.h"

#include <algorithm>

#include "midi/velocity.h"

namespace zembera::lv2 {

KanunSynth::KanunSynth(const BundledKanun& kanun, double rate) : transposition_(*kanun.tables) {
    setMandalRanges(state_);
    state_.mandalPos.fill(0);
    engine::Engine engine;
    engine.setSampleRate(rate);
    voices_.setRate(rate);
    for (int s = 1; s <= kStringCount; ++s) {
        const engine::StringSample& sample = kanun.samples[static_cast<std::size_t>(s)];
        engine.setStringSample(s, sample);
        voices_.setString(s, engine.convertedSample(s), sample.nominalHz);
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            cents_[static_cast<std::size_t>(s)][static_cast<std::size_t>(m - kMandalLow)] =
                kanun.tables->centTable(s, m);
    }
    for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key)
        targets_[static_cast<std::size_t>(key)] = midiKeyTarget(key, *kanun.tables, state_);
}

double KanunSynth::cents(int s, int m) const noexcept {
    if (s < 1 || s > kStringCount) return 0;
    m = std::clamp(m, mandalMinOf(s), mandalMaxOf(s));
    return cents_[static_cast<std::size_t>(s)][static_cast<std::size_t>(m - kMandalLow)];
}

int KanunSynth::position(int s) const noexcept {
    return s >= 1 && s <= kStringCount ? state_.mandalPos[static_cast<std::size_t>(s)] : 0;
}

void KanunSynth::setControls(const Controls& wanted) noexcept {
    Controls c = wanted;
    for (int s = 1; s <= kStringCount; ++s) {
        auto& m = c.positions[static_cast<std::size_t>(s)];
        m = static_cast<std::int16_t>(std::clamp<int>(m, mandalMinOf(s), mandalMaxOf(s)));
    }
    if (c == controls_) return;
    controls_ = c;
    PerString<std::int16_t> sounding = c.positions;
    if (c.ahenk != kReferenceLevel || c.shift != 0)
        transposition_.positions(c.positions, c.ahenk, c.shift, sounding);
    for (int s = 1; s <= kStringCount; ++s) {
        const int m =
            std::clamp<int>(sounding[static_cast<std::size_t>(s)], mandalMinOf(s), mandalMaxOf(s));
        auto& now = state_.mandalPos[static_cast<std::size_t>(s)];
        if (now == m) continue;
        now = static_cast<std::int16_t>(m);
        for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key) {
            const auto& target = targets_[static_cast<std::size_t>(key)];
            if (target && target->currentPosition && voices_.stringOf(key) == s)
                voices_.retune(key, cents(s, m));
        }
    }
}

void KanunSynth::midi(const std::uint8_t* bytes, std::size_t size) noexcept {
    MidiNoteEvents events;
    keys_.handle(bytes, size, events);
    for (const MidiNoteEvent& e : events) {
        if (e.kind == MidiNoteEvent::Stop)
            stop(e.note);
        else
            start(e.note, e.velocity);
    }
}

void KanunSynth::start(int key, int velocity) noexcept {
    const auto& target = targets_[static_cast<std::size_t>(key)];
    if (!target) return;
    const int s = target->string;
    if (stringsRing_) // a string's next note ends what it still rings
        for (int other = 0; other < engine::LiveVoices::kCount; ++other)
            if (voices_.stringOf(other) == s) voices_.end(other);
    const int m = target->currentPosition ? position(s) : target->position;
    voices_.start(key, s, cents(s, m), velocityGain(velocity));
}

void KanunSynth::stop(int key) noexcept {
    if (!stringsRing_) voices_.end(key);
}

void KanunSynth::render(float* left, float* right, std::size_t frames) noexcept {
    voices_.render(left, right, frames);
}

} // namespace zembera::lv2
