#include "shell/platform_sound.h"

#include <algorithm>
#include <cctype>

namespace zembera {
namespace {

engine::VoiceId engineVoice(Voice voice) {
    switch (voice.kind) {
    case Voice::Kind::memoryChannel:
        return engine::VoiceId::memoryChannel();
    case Voice::Kind::string:
        return engine::VoiceId::string(voice.number);
    case Voice::Kind::chordNote:
        return engine::VoiceId::chordNote(voice.number);
    case Voice::Kind::key:
        return engine::VoiceId::key(voice.number);
    }
    return engine::VoiceId::memoryChannel();
}

std::string aliasKey(std::string_view alias) {
    std::string key(alias);
    std::transform(key.begin(), key.end(), key.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return key;
}

} // namespace

PlatformSound::PlatformSound(engine::Engine& engine, AudioDevice& device,
                             const LoadedProgram& program)
    : engine_(engine), device_(device), program_(program), scratch_(program.recordFolder) {}

engine::Note PlatformSound::noteOf(const StringNote& note) {
    return engine_.prepareNote(note.string, note.cents,
                               note.resampling == Resampling::stepped
                                   ? engine::Resampling::stepped
                                   : engine::Resampling::interpolated);
}

void PlatformSound::prepare(const StringNote& note) {
    if (isPlayablePosition(note.string, note.position)) noteOf(note);
}

SoundFrame PlatformSound::playedFrame() {
    pump();
    return engine_.renderedFrames();
}

SoundFrame PlatformSound::nextFrame() {
    pump();
    // Two blocks on: the block being rendered now may already be past the clock's frame.
    return engine_.renderedFrames() + 2 * static_cast<SoundFrame>(engine_.maxBlock());
}

double PlatformSound::frameRate() const {
    return engine_.sampleRate();
}

bool PlatformSound::sounding(Voice voice) const {
    return engine_.sounding(engineVoice(voice));
}

bool PlatformSound::send(Voice voice, const engine::Note* note, float gain,
                         std::optional<SoundFrame> at, const StartedNote& told) {
    const engine::VoiceId id = engineVoice(voice);
    const bool sent =
        note ? (at ? engine_.startNoteAt(id, *note, gain, *at) : engine_.startNote(id, *note, gain))
             : (at ? engine_.endNoteAt(id, *at) : engine_.endNote(id));
    if (!sent) return false;
    // Told when the clock gets to its frame (at once for a start or end of the next block), in
    // frame order, one frame's in the order they came.
    const Announcement a{at.value_or(engine_.renderedFrames()), note != nullptr, told};
    const auto place = std::upper_bound(
        pending_.begin(), pending_.end(), a.frame,
        [](SoundFrame frame, const Announcement& other) { return frame < other.frame; });
    pending_.insert(place, a);
    announceDue();
    return true;
}

void PlatformSound::announceDue() {
    const SoundFrame now = engine_.renderedFrames();
    std::size_t told = 0;
    for (; told < pending_.size() && pending_[told].frame <= now; ++told) {
        const Announcement& a = pending_[told];
        const Voice voice = a.note.voice;
        const bool was = std::find(announced_.begin(), announced_.end(), voice) != announced_.end();
        if (a.start) {
            if (!was) announced_.push_back(voice);
            notes_.noteStarted(a.note);
        } else if (was) {
            std::erase(announced_, voice);
            notes_.noteEnded(voice);
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(told));
}

void PlatformSound::pump() {
    device_.poll();
    engine_.collect();
    announceDue();
    // Nothing else tells when a note runs out. A keyboard's key ends only when released.
    for (const Voice voice : std::vector<Voice>(announced_)) {
        if (voice.kind == Voice::Kind::key || sounding(voice)) continue;
        const bool scheduled =
            std::any_of(pending_.begin(), pending_.end(),
                        [&](const Announcement& a) { return a.note.voice == voice; });
        if (scheduled) continue;
        std::erase(announced_, voice);
        notes_.noteEnded(voice);
    }
}

void PlatformSound::cancelScheduled() {
    if (!engine_.cancelScheduled()) return;
    const SoundFrame now = engine_.renderedFrames();
    std::erase_if(pending_, [now](const Announcement& a) { return a.frame > now; });
}

bool PlatformSound::startNote(Voice voice, const StringNote& note, std::optional<SoundFrame> at) {
    pump();
    // Off the instrument nothing starts and the sounding note goes on.
    if (!isPlayablePosition(note.string, note.position)) return false;
    const engine::Note made = noteOf(note);
    const StartedNote told{voice, note.cents, note.velocity};
    switch (voice.kind) {
    case Voice::Kind::memoryChannel:
        // A note that cannot sound still cuts the one before, and counts as the note.
        if (note.resampling == Resampling::stepped && !at) return PlayImage(made, told);
        return PlayPatchedSample(made, at, told);
    case Voice::Kind::string:
        scratch_.write(note.string, made, engine_.sampleRate());
        return MciOpenPlay(note.string, made, told);
    case Voice::Kind::key: {
        if (voice.number < 0 || voice.number >= engine::kKeys) return false;
        bool& open = keysOpen_[static_cast<std::size_t>(voice.number)];
        if (open || made.silent()) return false;
        open = send(voice, &made, note.gain, at, told);
        return open;
    }
    case Voice::Kind::chordNote:
        // Only a note that sounds is told: one that cannot would end at once.
        return !made.silent() && send(voice, &made, note.gain, at, told);
    }
    return false;
}

void PlatformSound::endNote(Voice voice, std::optional<SoundFrame> at) {
    pump();
    switch (voice.kind) {
    case Voice::Kind::memoryChannel:
        StopAllSound(at);
        return;
    case Voice::Kind::string:
        MciStopClose(voice.number);
        return;
    case Voice::Kind::key:
        if (voice.number < 0 || voice.number >= engine::kKeys) return;
        keysOpen_[static_cast<std::size_t>(voice.number)] = false;
        break;
    case Voice::Kind::chordNote:
        break;
    }
    send(voice, nullptr, 1, at, StartedNote{voice});
}

bool PlatformSound::PlayImage(const engine::Note& image, const StartedNote& told) {
    return send(Voice::memoryChannel(), &image, 1, std::nullopt, told);
}

bool PlatformSound::PlayPatchedSample(const engine::Note& note, std::optional<SoundFrame> at,
                                      const StartedNote& told) {
    return send(Voice::memoryChannel(), &note, 1, at, told);
}

void PlatformSound::StopAllSound(std::optional<SoundFrame> at) {
    send(Voice::memoryChannel(), nullptr, 1, at, StartedNote{Voice::memoryChannel()});
}

bool PlatformSound::MciOpenPlay(int s, const engine::Note& content, const StartedNote& told) {
    const std::string key = aliasKey(program_.samples.mciAlias[static_cast<std::size_t>(s)]);
    if (key.empty() || openAliases_.contains(key) || content.silent()) return false;
    if (!send(Voice::string(s), &content, 1, std::nullopt, told)) return false;
    openAliases_.emplace(key, s);
    return true;
}

void PlatformSound::MciStopClose(int s) {
    const auto found =
        openAliases_.find(aliasKey(program_.samples.mciAlias[static_cast<std::size_t>(s)]));
    if (found == openAliases_.end()) return;
    // The alias closes the note of the string that opened it.
    const Voice voice = Voice::string(found->second);
    if (send(voice, nullptr, 1, std::nullopt, StartedNote{voice})) openAliases_.erase(found);
}

void PlatformSound::writeScratchFiles() {
    for (int s = 1; s <= kStringCount; ++s) {
        const int m = program_.instrument.mandalPos[static_cast<std::size_t>(s)];
        scratch_.write(
            s,
            noteOf(StringNote{s, m,
                              soundingCents(program_.tables, program_.tuning.tuningOffset, s, m)}),
            engine_.sampleRate());
    }
}

} // namespace zembera
