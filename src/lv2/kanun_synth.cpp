#include "lv2/kanun_synth.h"

#include <algorithm>

#include "engine/engine.h"
#include "midi/velocity.h"
#include "model/instrument_state.h"

namespace zembera::lv2 {

KanunSynth::KanunSynth(const BundledKanun& kanun, double rate) {
    engine::Engine engine;
    engine.setSampleRate(rate);
    voices_.setRate(rate);
    for (int s = 1; s <= kStringCount; ++s) {
        const engine::StringSample& sample = kanun.samples[static_cast<std::size_t>(s)];
        engine.setStringSample(s, sample);
        voices_.setString(s, engine.convertedSample(s), sample.nominalHz);
    }
    for (const KanunSystem& system : kanun.systems) {
        auto& ready = *systems_.emplace_back(std::make_unique<Prepared>(system));
        for (int s = 1; s <= kStringCount; ++s)
            for (int m = kMandalLow; m <= kMandalHigh; ++m)
                ready.cents[static_cast<std::size_t>(s)][static_cast<std::size_t>(m - kMandalLow)] =
                    system.tables.centTable(s, m);
        ready.mandalMin = system.mandalMin;
        ready.mandalMax = system.mandalMax;
        InstrumentState state;
        for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key)
            ready.targets[static_cast<std::size_t>(key)] = midiKeyTarget(key, system.tables, state);
    }
    system_ = systems_.front().get();
}

double KanunSynth::keyCents(int key) const noexcept {
    const auto& target = system_->targets[static_cast<std::size_t>(key)];
    if (!target) return 0;
    const auto s = static_cast<std::size_t>(target->string);
    const int m = target->currentPosition ? sounding_[s] : target->position;
    return system_->cents[s][static_cast<std::size_t>(m - kMandalLow)] + controls_.fineTuning[s];
}

void KanunSynth::setControls(const Controls& wanted) noexcept {
    Controls c = wanted;
    c.system = std::clamp(c.system, 0, static_cast<int>(systems_.size()) - 1);
    const Prepared& system = *systems_[static_cast<std::size_t>(c.system)];
    for (std::size_t s = 1; s <= kStringCount; ++s)
        c.positions[s] = std::clamp(c.positions[s], system.mandalMin[s], system.mandalMax[s]);
    if (c == controls_) return;
    controls_ = c;
    system_ = &system;
    sounding_ = c.positions;
    if (c.ahenk != kReferenceLevel || c.shift != 0)
        system.transposition.positions(c.positions, c.ahenk, c.shift, sounding_);
    for (std::size_t s = 1; s <= kStringCount; ++s)
        sounding_[s] = std::clamp(sounding_[s], system.mandalMin[s], system.mandalMax[s]);
    // Every ringing note goes to the pitch its key has now; one that keeps it stays as it is.
    for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key)
        if (voices_.stringOf(key) != 0) voices_.retune(key, keyCents(key));
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
    const auto& target = system_->targets[static_cast<std::size_t>(key)];
    if (!target) return;
    const int s = target->string;
    if (stringsRing_) // a string's next note ends what it still rings
        for (int other = 0; other < engine::LiveVoices::kCount; ++other)
            if (voices_.stringOf(other) == s) voices_.end(other);
    voices_.start(key, s, keyCents(key), velocityGain(velocity));
}

void KanunSynth::stop(int key) noexcept {
    if (!stringsRing_) voices_.end(key);
}

void KanunSynth::render(float* left, float* right, std::size_t frames) noexcept {
    voices_.render(left, right, frames);
}

} // namespace zembera::lv2
