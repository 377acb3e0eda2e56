#include "lv2/kanun_synth.h"

#include <algorithm>
#include <cmath>

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
    for (const KanunSystem& system : kanun.systems)
        systems_.push_back(prepare(system));
    system_ = systems_.front().get();
}

KanunSynth::~KanunSynth() {
    delete scale_;
}

std::unique_ptr<KanunSynth::Prepared> KanunSynth::prepare(const KanunSystem& system) {
    auto ready = std::make_unique<Prepared>(system);
    for (int s = 1; s <= kStringCount; ++s)
        for (int m = kMandalLow; m <= kMandalHigh; ++m)
            ready->cents[static_cast<std::size_t>(s)][static_cast<std::size_t>(m - kMandalLow)] =
                system.tables.centTable(s, m);
    ready->mandalMin = system.mandalMin;
    ready->mandalMax = system.mandalMax;
    const InstrumentState state;
    for (int key = kLowestMidiKey; key <= kHighestMidiKey; ++key)
        ready->targets[static_cast<std::size_t>(key)] = midiKeyTarget(key, system.tables, state);
    return ready;
}

KanunSynth::Prepared* KanunSynth::swapScale(Prepared* scale) noexcept {
    Prepared* old = scale_;
    scale_ = scale;
    apply(controls_);
    return old;
}

void KanunSynth::setMakam(const std::optional<PerString<std::int16_t>>& filePositions) noexcept {
    makam_ = filePositions;
    apply(controls_);
}

int KanunSynth::makamPosition(const Prepared& system, std::size_t s) const noexcept {
    const Prepared& table = *systems_.front();
    const double cents = table.cents[s][static_cast<std::size_t>((*makam_)[s] - kMandalLow)];
    const auto distance = [&](int m) {
        return std::abs(system.cents[s][static_cast<std::size_t>(m - kMandalLow)] - cents);
    };
    int best = system.mandalMin[s];
    for (int m = best + 1; m <= system.mandalMax[s]; ++m) {
        const double d = distance(m), b = distance(best);
        if (d < b || (d == b && std::abs(m) < std::abs(best))) best = m;
    }
    return best;
}

double KanunSynth::keyCents(int key) const noexcept {
    const auto& target = system_->targets[static_cast<std::size_t>(key)];
    if (!target) return 0;
    const auto s = static_cast<std::size_t>(target->string);
    const int m = target->currentPosition ? sounding_[s] : target->position;
    return system_->cents[s][static_cast<std::size_t>(m - kMandalLow)] + controls_.fineTuning[s];
}

void KanunSynth::setControls(const Controls& wanted) noexcept {
    if (wanted != controls_) apply(wanted);
}

void KanunSynth::apply(const Controls& c) noexcept {
    controls_ = c;
    const auto bundled = static_cast<int>(systems_.size());
    const int index = std::clamp(c.system, 0, bundled);
    const Prepared& system = index == bundled ? (scale_ != nullptr ? *scale_ : *systems_.front())
                                              : *systems_[static_cast<std::size_t>(index)];
    system_ = &system;
    PerString<std::int16_t> untransposed{};
    for (std::size_t s = 1; s <= kStringCount; ++s) {
        const int base = makam_ ? makamPosition(system, s) : 0;
        untransposed[s] = static_cast<std::int16_t>(
            std::clamp<int>(base + c.positions[s], system.mandalMin[s], system.mandalMax[s]));
    }
    sounding_ = untransposed;
    if (c.ahenk != kReferenceLevel || c.shift != 0)
        system.transposition.positions(untransposed, c.ahenk, c.shift, sounding_);
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
