#include "engine/engine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "internal/interpolated.h"
#include "internal/limits.h"
#include "internal/mixer.h"
#include "internal/note_cache.h"
#include "internal/rate_convert.h"
#include "internal/stepped.h"
#include "pitch/pitch_table.h"

namespace zembera::engine {
namespace {

// The mixer voice of a voice id; kVoices for one that does not exist.
std::size_t slotOf(VoiceId voice) {
    const int n = voice.number;
    switch (voice.kind) {
    case VoiceId::Kind::memoryChannel:
        return 0;
    case VoiceId::Kind::string:
        return n >= 1 && n <= kStringCount ? static_cast<std::size_t>(n) : kVoices;
    case VoiceId::Kind::chordNote:
        return n >= 1 && n <= kChordNotes ? static_cast<std::size_t>(kStringCount + n) : kVoices;
    case VoiceId::Kind::key:
        return n >= 0 && n < kKeys ? static_cast<std::size_t>(1 + kStringCount + kChordNotes + n)
                                   : kVoices;
    }
    return kVoices;
}

bool validString(int s) {
    return s >= 1 && s <= kStringCount;
}

} // namespace

struct Engine::Inside {
    UiThreadCheck ui;
    Mixer mixer;
    double rate = 44100;
    std::size_t maxBlock = 4096;
    PerString<StringSample> given{};
    PerString<Note> source{}; // each string's sample at the engine's rate
    NoteCache notes;

    void convert(int s) {
        const StringSample& sample = given[static_cast<std::size_t>(s)];
        Note& to = source[static_cast<std::size_t>(s)];
        to = Note{};
        if (!sample.frames || sample.frames->empty()) return;
        auto frames = std::make_shared<const std::vector<std::int16_t>>(
            convertRate(*sample.frames, sample.rate, rate));
        if (frames->empty()) return;
        to = Note{std::shared_ptr<const std::int16_t[]>(frames, frames->data()), frames->size()};
    }

    Note make(int s, float cents, Resampling how) const {
        const Note& from = source[static_cast<std::size_t>(s)];
        const double nominalHz = given[static_cast<std::size_t>(s)].nominalHz;
        if (from.silent()) return {};
        if (how == Resampling::stepped) {
            const auto noteHz =
                static_cast<float>(kReferenceHz * std::pow(2.0, static_cast<double>(cents) / 1200));
            const auto sampleHz = static_cast<float>(nominalHz);
            if (noteHz == sampleHz) return from; // the sample's own pitch: the sample as it is
            const ResamplePlan plan =
                planResample(sampleHz, noteHz, kSteppedSeconds, from.count, rate);
            if (plan.length == 0) return {};
            // Left unset until written: clearing them first would cost as much again.
            auto frames = std::make_shared_for_overwrite<std::int16_t[]>(plan.length);
            resampleInto(plan, from.samples(), frames.get());
            return Note{std::move(frames), plan.length};
        }
        const std::uint32_t playHz = playRateOf(nominalHz, cents);
        if (playHz == 0) return {};
        if (playHz == kPlayRateBase) return from;
        const double step = playHz / kPlayRateBase;
        const auto longest = static_cast<std::size_t>(kInterpolatedSeconds * rate);
        const std::size_t count = interpolatedLength(from.count, step, longest);
        if (count == 0) return {};
        auto frames = std::make_shared_for_overwrite<std::int16_t[]>(count);
        interpolateInto(from.samples(), step, frames.get(), count);
        return Note{std::move(frames), count};
    }

    bool send(Command::Kind kind, VoiceId voice, Note note, float gain, bool scheduled,
              Frame frame) {
        const std::size_t slot = slotOf(voice);
        if (slot >= kVoices) return false;
        Command command;
        command.kind = kind;
        command.scheduled = scheduled;
        command.voice = static_cast<std::uint16_t>(slot);
        command.gain = gain;
        command.frame = frame;
        command.note = std::move(note);
        return mixer.send(std::move(command));
    }
};

Engine::Engine() : in_(std::make_unique<Inside>()) {
    setSampleRate(in_->rate);
}

Engine::~Engine() = default;

void Engine::setSampleRate(double rate) {
    in_->ui.assertUiThread();
    if (!(rate > 0) || !std::isfinite(rate)) return;
    const bool changed = rate != in_->rate;
    in_->rate = rate;
    in_->mixer.setFadeFrames(static_cast<std::size_t>(rate / kFadesPerSecond));
    if (!changed) return;
    in_->mixer.reset();
    in_->notes.clear();
    for (int s = 1; s <= kStringCount; ++s)
        in_->convert(s);
}

void Engine::setMaxBlock(std::size_t frames) {
    in_->ui.assertUiThread();
    in_->maxBlock = std::max<std::size_t>(frames, 1);
}

double Engine::sampleRate() const {
    return in_->rate;
}

std::size_t Engine::maxBlock() const {
    return in_->maxBlock;
}

void Engine::setStringSample(int s, const StringSample& sample) {
    in_->ui.assertUiThread();
    if (!validString(s)) return;
    in_->given[static_cast<std::size_t>(s)] = sample;
    in_->convert(s);
    in_->notes.clear();
}

Note Engine::convertedSample(int s) const {
    return validString(s) ? in_->source[static_cast<std::size_t>(s)] : Note{};
}

Note Engine::prepareNote(int s, double cents, Resampling how) {
    in_->ui.assertUiThread();
    if (!validString(s)) return {};
    // Single precision, as the strings' pitches always were taken: the whole-hertz play rate of
    // an interpolated note stays what it has always been for the bundled table.
    const NoteCache::Key key{s, how, static_cast<float>(cents)};
    if (const Note* made = in_->notes.find(key)) return *made;
    Note note = in_->make(s, key.cents, how);
    in_->notes.keep(key, note);
    return note;
}

bool Engine::startNote(VoiceId voice, const Note& note, float gain, std::uint32_t delay) {
    return in_->send(Command::Kind::start, voice, note, gain, false, delay);
}

bool Engine::endNote(VoiceId voice, std::uint32_t delay) {
    return in_->send(Command::Kind::end, voice, {}, 1.0F, false, delay);
}

bool Engine::startNoteAt(VoiceId voice, const Note& note, float gain, Frame at) {
    return in_->send(Command::Kind::start, voice, note, gain, true, at);
}

bool Engine::endNoteAt(VoiceId voice, Frame at) {
    return in_->send(Command::Kind::end, voice, {}, 1.0F, true, at);
}

bool Engine::cancelScheduled() {
    Command command;
    command.kind = Command::Kind::cancelScheduled;
    return in_->mixer.send(std::move(command));
}

bool Engine::sounding(VoiceId voice) const {
    return in_->mixer.sounding(slotOf(voice));
}

void Engine::collect() {
    in_->mixer.collect();
}

Frame Engine::renderedFrames() const {
    return in_->mixer.rendered();
}

void Engine::render(float* left, float* right, std::size_t frames) noexcept {
    in_->mixer.render(left, right, frames);
}

std::uint32_t playRateOf(double nominalHz, double cents) {
    const double targetHz =
        kReferenceHz * std::exp2(static_cast<double>(static_cast<float>(cents)) / 1200.0);
    return playRate(kPlayRateBase, nominalHz, targetHz);
}

std::int16_t toPcm16(float sample) noexcept {
    const float scaled = sample * 32768.0F;
    if (std::isnan(scaled)) return 0;
    if (scaled <= -32768.0F) return -32768;
    if (scaled >= 32767.0F) return 32767;
    return static_cast<std::int16_t>(std::lrint(scaled));
}

} // namespace zembera::engine
