#pragma once
// The sound output of the playing handlers with every note it starts and ends also given to the
// MPE notes, at the pitch it sounds: centTable(s, m) plus the string's fine tuning. The sound
// itself passes through unchanged.
//
// Thread: UI thread.

#include <array>
#include <functional>
#include <string>

#include "midi/mpe_notes.h"
#include "model/instrument_ports.h"
#include "model/instrument_state.h"
#include "pitch/pitch_table.h"
#include "sound/patched_sample.h"
#include "sound/string_sounds.h"

namespace zembera {

struct MpeSoundParts {
    SoundOutput& inner;
    MpeNotes& mpe;
    const InstrumentState& instrument;
    const PitchTables& tables;
    const std::array<float, 27>& tuningOffset;
    const StringSounds& sounds;
    const std::array<std::string, 27>& mciAlias;
    // Whether the sound of the memory channel, or of an alias, goes on (SoundService::
    // memorySounding, aliasSounding); without them a note ends only when cut off or closed.
    std::function<bool()> memorySounding = {};
    std::function<bool(const std::string&)> aliasSounding = {};
};

// The pitch string s sounds at position m, in cents; 0 outside the table.
double soundingCents(const PitchTables& tables, const std::array<float, 27>& tuningOffset, int s,
                     int m);

class MpeSoundOutput : public SoundOutput {
  public:
    explicit MpeSoundOutput(MpeSoundParts parts) : p_(parts) {}

    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override;
    bool MciOpenPlay(const std::string& file, const std::string& alias) override;
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override;
    void MciStopClose(const std::string& alias) override;
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override;
    void StopAllSound() override;
    PreparedNote PreparePatchedSample(const PatchedSampleSource& source, int s, int m) override;
    void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) override;

    // Ends the MPE note of the memory channel, and of a letter key, once its sound has run out.
    // Called often (every few milliseconds) on the UI thread; nothing to do costs next to nothing.
    void endFinishedNotes();

  private:
    int stringOfAlias(const std::string& alias) const;
    void letterOn(const std::string& alias);
    void memoryOn(int s, int m);

    MpeSoundParts p_;
    bool memoryNote_ = false;           // a memory note was started and not ended since
    std::array<bool, 27> letterNote_{}; // the same for the letter key of each string
};

} // namespace zembera
