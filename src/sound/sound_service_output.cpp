// The sound service as the players' sound output: the patched samples of the strings.

#include "sound/pcm_decode.h"
#include "sound/sound_service.h"

namespace zembera {

bool SoundService::MciOpenPlayImage(const std::string& file, const std::string& alias,
                                    const SoundImagePtr& content) {
    return MciOpenPlay(file, alias, content);
}

void SoundService::announceMemoryNote(const PatchedSampleSource& source, int s, int m) {
    notes_.noteStarted(
        StartedNote{kMemoryVoice, soundingCents(source.tables, source.tuningOffset, s, m)});
}

void SoundService::PlayPatchedSample(const PatchedSampleSource& source, int s, int m) {
    zembera::PlayPatchedSample(*this, source, s, m);
    // Off the instrument nothing starts and the sounding note goes on. A sample that cannot be
    // read silences the channel but counts as the note: its pitch is known all the same.
    if (isPlayablePosition(s, m)) announceMemoryNote(source, s, m);
}

SoundOutput::PreparedNote SoundService::PreparePatchedSample(const PatchedSampleSource& source,
                                                             int s, int m) {
    PreparedNote note{s, m, false, {}};
    // Off the instrument nothing sounds and the sounding note goes on: PlayPatchedSample says so.
    if (!isPlayablePosition(s, m)) return note;
    note.ready = true;
    if (auto sound = decodeWav(patchedSampleImage(source, s, m))) note.sound = std::move(*sound);
    return note;
}

void SoundService::PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) {
    if (!note.ready) {
        PlayPatchedSample(source, note.s, note.m);
        return;
    }
    PlayDecoded(note.sound);
    if (isPlayablePosition(note.s, note.m)) announceMemoryNote(source, note.s, note.m);
}

void SoundService::PlayPreparedBeside(const PatchedSampleSource& source, const PreparedNote& note,
                                      const std::string& alias) {
    bool sounds = false;
    if (note.ready) {
        sounds = PlayNote(alias, note.sound, 1.0F);
    } else {
        const PreparedNote ready = PreparePatchedSample(source, note.s, note.m);
        sounds = ready.ready && PlayNote(alias, ready.sound, 1.0F);
    }
    // Only a note that sounds is announced: one whose sample cannot play, or that finds no voice,
    // would end at once, as a memory note of an unreadable sample does.
    if (sounds && isPlayablePosition(note.s, note.m))
        announceBesideNote(alias,
                           soundingCents(source.tables, source.tuningOffset, note.s, note.m));
}

} // namespace zembera
