#pragma once
// The sound of the window: the original platform's sound calls as a thin layer over the engine.
// The memory channel plays a string's image (PlayImage) or a player's note and is silenced by
// StopAllSound; a letter key opens its string's scratch file under the string's alias and plays
// it (MciOpenPlay), and its release stops and closes the alias (MciStopClose): an alias still open
// is not opened again, so a held key's repeats leave its note alone. The file's content is the
// note in memory: nothing is read, and the file follows on a thread of its own. A chord's further
// notes and a keyboard's keys sound on voices of their own.
//
// Every note that starts or ends is announced to the listeners (the MPE output): at once, or when
// the engine's clock reaches the frame it was handed over for; a note whose sound runs out is
// ended when pump() finds it (the keys of a MIDI keyboard end only when released).
//
// Thread: UI thread.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audio_device/audio_device.h"
#include "engine/engine.h"
#include "loader/startup_loader.h"
#include "model/note_listener.h"
#include "model/sound_port.h"
#include "shell/scratch_files.h"

namespace zembera {

class PlatformSound : public SoundPort {
  public:
    // `program` gives the strings' aliases, the folder of the scratch files, and where the strings
    // stand for the files written at start-up. All three outlive the sound.
    PlatformSound(engine::Engine& engine, AudioDevice& device, const LoadedProgram& program);

    bool startNote(Voice voice, const StringNote& note,
                   std::optional<SoundFrame> at = std::nullopt) override;
    void endNote(Voice voice, std::optional<SoundFrame> at = std::nullopt) override;
    void cancelScheduled() override;
    void prepare(const StringNote& note) override;
    SoundFrame playedFrame() override;
    SoundFrame nextFrame() override;
    double frameRate() const override;

    NoteListeners& notes() { return notes_; }
    // Releases the notes the engine is done with, lets the device recover or move on, announces
    // the starts and ends whose frame has come and ends the announced notes whose sound ran out.
    // Cheap enough to call every few milliseconds.
    void pump();
    // Whether the note of `voice` may still sound (engine::Engine::sounding).
    bool sounding(Voice voice) const;

    // Writes every string's scratch file where its mandal stands: once the window is up.
    void writeScratchFiles();
    ScratchFiles& scratchFiles() { return scratch_; }

  private:
    // SND_ASYNC | SND_MEMORY: plays a string's image on the memory channel at once, cutting the
    // sound playing there; a silent image only cuts it.
    bool PlayImage(const engine::Note& image, const StartedNote& told);
    // A player's note, the string's sample at the play rate of its pitch, on the memory channel at
    // once or on frame `at`, cutting the sound playing there.
    bool PlayPatchedSample(const engine::Note& note, std::optional<SoundFrame> at,
                           const StartedNote& told);
    // Opens the scratch file of string s under the string's alias and plays `content`, the note
    // the file holds (or will hold once written); false when the alias is already open or the note
    // is silent.
    bool MciOpenPlay(int s, const engine::Note& content, const StartedNote& told);
    // Stops and closes the alias of string s; harmless when it is not open.
    void MciStopClose(int s);
    // Silences the memory channel, at once or on frame `at`.
    void StopAllSound(std::optional<SoundFrame> at);

    engine::Note noteOf(const StringNote& note);
    // Sends a start (with `note`) or an end (without) for frame `at`, or the next block; `told` is
    // announced when the clock gets there.
    bool send(Voice voice, const engine::Note* note, float gain, std::optional<SoundFrame> at,
              const StartedNote& told);
    void announceDue();

    struct Announcement {
        SoundFrame frame = 0;
        bool start = false;
        StartedNote note; // its voice ends for an end
    };

    engine::Engine& engine_;
    AudioDevice& device_;
    const LoadedProgram& program_;
    ScratchFiles scratch_;
    NoteListeners notes_;
    std::map<std::string, int> openAliases_; // by lower-case alias: the string playing there
    std::vector<Announcement> pending_;      // in frame order
    std::vector<Voice> announced_;           // started and not ended
    std::array<bool, 128> keysOpen_{};       // the keys of a keyboard sounding
};

} // namespace zembera
