#include "shell/sound_output_adapter.h"

#include "sound/pcm_decode.h"

namespace zembera {

void SoundOutputAdapter::PlayImage(const SoundImagePtr& image, std::uint32_t flags) {
    service_.PlayImage(image, flags);
}

bool SoundOutputAdapter::MciOpenPlay(const std::string& file, const std::string& alias) {
    return service_.MciOpenPlay(file, alias);
}

bool SoundOutputAdapter::MciOpenPlayImage(const std::string& file, const std::string& alias,
                                          const SoundImagePtr& content) {
    return service_.MciOpenPlay(file, alias, content);
}

void SoundOutputAdapter::MciStopClose(const std::string& alias) {
    service_.MciStopClose(alias);
}

void SoundOutputAdapter::PlayPatchedSample(const PatchedSampleSource& source, int s, int m) {
    zembera::PlayPatchedSample(service_, source, s, m);
}

void SoundOutputAdapter::StopAllSound() {
    service_.StopAllSound();
}

SoundOutput::PreparedNote
SoundOutputAdapter::PreparePatchedSample(const PatchedSampleSource& source, int s, int m) {
    PreparedNote note{s, m, false, {}};
    // Off the instrument nothing sounds and the sounding note goes on: PlayPatchedSample says so.
    if (!isPlayablePosition(s, m)) return note;
    note.ready = true;
    if (auto sound = decodeWav(patchedSampleImage(source, s, m))) note.sound = std::move(*sound);
    return note;
}

void SoundOutputAdapter::PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) {
    if (!note.ready) {
        PlayPatchedSample(source, note.s, note.m);
        return;
    }
    service_.PlayDecoded(note.sound);
}

void SoundOutputAdapter::PlayPreparedBeside(const PatchedSampleSource& source,
                                            const PreparedNote& note, const std::string& alias) {
    if (note.ready) {
        service_.PlayNote(alias, note.sound, 1.0F);
        return;
    }
    const PreparedNote ready = PreparePatchedSample(source, note.s, note.m);
    if (ready.ready) service_.PlayNote(alias, ready.sound, 1.0F);
}

} // namespace zembera
