#include "midi/mpe_sound_output.h"

#include "midi/velocity.h"

namespace zembera {

double soundingCents(const PitchTables& tables, const std::array<float, 27>& tuningOffset, int s,
                     int m) {
    if (s < 1 || s > kStringCount || m < kMandalLow || m > kMandalHigh) return 0;
    return tables.centTable(s, m) + tuningOffset[static_cast<std::size_t>(s)];
}

int MpeSoundOutput::stringOfAlias(const std::string& alias) const {
    for (int s = 1; s <= kStringCount; ++s)
        if (p_.mciAlias[static_cast<std::size_t>(s)] == alias) return s;
    return 0;
}

void MpeSoundOutput::memoryOn(int s, int m) {
    p_.mpe.noteOff(kMemoryNoteId);
    memoryNote_ = s >= 1 && s <= kStringCount;
    if (memoryNote_)
        p_.mpe.noteOn(kMemoryNoteId, soundingCents(p_.tables, p_.tuningOffset, s, m),
                      kFullVelocity);
}

void MpeSoundOutput::endFinishedNotes() {
    if (memoryNote_ && p_.memorySounding && !p_.memorySounding()) {
        memoryNote_ = false;
        p_.mpe.noteOff(kMemoryNoteId);
    }
    if (!p_.aliasSounding) return;
    for (int s = 1; s <= kStringCount; ++s) {
        const auto at = static_cast<std::size_t>(s);
        if (letterNote_[at] && !p_.aliasSounding(p_.mciAlias[at])) {
            letterNote_[at] = false;
            p_.mpe.noteOff(s);
        }
    }
}

void MpeSoundOutput::letterOn(const std::string& alias) {
    const int s = stringOfAlias(alias);
    if (s == 0) return;
    letterNote_[static_cast<std::size_t>(s)] = true;
    p_.mpe.noteOn(s, soundingCents(p_.tables, p_.tuningOffset, s, p_.instrument.mandalPos[s]),
                  kFullVelocity);
}

void MpeSoundOutput::PlayImage(const SoundImagePtr& image, std::uint32_t flags) {
    p_.inner.PlayImage(image, flags);
    // The memory channel plays a string's current image: find which.
    int s = 0;
    for (int t = 1; t <= kStringCount && image; ++t)
        if (p_.sounds.stringSound(t) == image) s = t;
    memoryOn(s, s ? p_.instrument.mandalPos[s] : 0);
}

bool MpeSoundOutput::MciOpenPlay(const std::string& file, const std::string& alias) {
    const bool opened = p_.inner.MciOpenPlay(file, alias);
    if (opened) letterOn(alias);
    return opened;
}

bool MpeSoundOutput::MciOpenPlayImage(const std::string& file, const std::string& alias,
                                      const SoundImagePtr& content) {
    const bool opened = p_.inner.MciOpenPlayImage(file, alias, content);
    if (opened) letterOn(alias); // a held key's repeats find the alias open: no new note
    return opened;
}

void MpeSoundOutput::MciStopClose(const std::string& alias) {
    p_.inner.MciStopClose(alias);
    if (const int s = stringOfAlias(alias); s != 0) {
        letterNote_[static_cast<std::size_t>(s)] = false;
        p_.mpe.noteOff(s);
    }
}

void MpeSoundOutput::PlayPatchedSample(const PatchedSampleSource& source, int s, int m) {
    p_.inner.PlayPatchedSample(source, s, m);
    if (isPlayablePosition(s, m)) memoryOn(s, m); // otherwise the sounding note goes on
}

void MpeSoundOutput::StopAllSound() {
    p_.inner.StopAllSound();
    memoryNote_ = false;
    p_.mpe.noteOff(kMemoryNoteId);
}

SoundOutput::PreparedNote MpeSoundOutput::PreparePatchedSample(const PatchedSampleSource& source,
                                                               int s, int m) {
    return p_.inner.PreparePatchedSample(source, s, m);
}

void MpeSoundOutput::PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) {
    p_.inner.PlayPrepared(source, note);
    if (isPlayablePosition(note.s, note.m)) memoryOn(note.s, note.m);
}

} // namespace zembera
