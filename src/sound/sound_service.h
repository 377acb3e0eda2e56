#pragma once
// The sound operations of the program under their own names, over the one mixer:
//   - PlayImage / PlayDecoded / StopAllSound: the memory channel, one sound at a time; every start
//     cuts off the sound still playing, the stop silences it, each letting it die away over 5 ms.
//   - MciOpenPlay / MciStopClose / PlayNote: one device per alias, each on its own voice, all
//     sounding together.
// Every failure is silent: a sound that cannot be played plays nothing.
//
// Thread: every member is for the UI thread only (asserted in debug builds). The audio thread
// reaches the mixer through the backend, never through this class.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/audio_backend.h"
#include "engine/mixer.h"
#include "engine/pcm_sound.h"
#include "engine/ui_thread.h"
#include "samples/sound_image.h"
#include "sound/note_listener.h"
#include "sound/note_voices.h"
#include "sound/sound_output.h"

namespace zembera {

// Sound flags of PlayImage: asynchronous play; the image always comes from memory.
constexpr std::uint32_t kSndAsync = 1;
constexpr std::uint32_t kSndMemory = 4;

// It is the players' sound output itself (SoundOutput), and the MIDI keys' voices (NoteVoices),
// with nothing between.
class SoundService : public SoundOutput, public NoteVoices {
  public:
    // Attaches `backend` to the service's mixer; the backend starts pulling sound at once.
    explicit SoundService(std::unique_ptr<AudioBackend> backend);
    // Stops the backend first, then releases every sound.
    ~SoundService() override;

    SoundService(const SoundService&) = delete;
    SoundService& operator=(const SoundService&) = delete;

    // Plays a WAV image on the memory channel. The call returns at once whatever the flags
    // (kSndAsync is what every caller passes); a null or unplayable image only cuts off the
    // sounding one. The image stays valid for as long as it sounds, whatever the caller does with
    // its own reference meanwhile.
    void PlayImage(const SoundImagePtr& image, std::uint32_t flags) override;
    // Plays a sound decoded ahead (decodeWav) on the memory channel, like PlayImage; an empty
    // one only cuts off the sounding one.
    void PlayDecoded(PcmSound sound);
    // Silences the memory channel (the "no sound" call). Alias voices go on.
    void StopAllSound() override;

    // Opens `file` under `alias` and, if that succeeded, plays it from the start. Fails (false)
    // when the name is empty, the file cannot be read or played, or the alias is already open:
    // a held key's repeated open leaves the sounding note alone.
    bool MciOpenPlay(const std::string& file, const std::string& alias) override;
    // The same, with the content of `file` given as `content`, an image known to match the file:
    // nothing is read from disk, and a canonical image is played in place without a copy.
    bool MciOpenPlay(const std::string& file, const std::string& alias,
                     const SoundImagePtr& content);
    // Stops and closes `alias`, its sound dying away over 5 ms (kReleaseFadeFrames) as every
    // sound cut off does; harmless for an alias that is not open.
    void MciStopClose(const std::string& alias) override;
    // Sounds `content` (a WAV image) on a voice of its own under `alias`, at `gain` times its
    // level, like MciOpenPlay with content. False when the alias is already open, the image cannot
    // play or no voice is free.
    bool PlayNote(const std::string& alias, const SoundImagePtr& content, float gain);
    // The same with a sound decoded ahead (decodeWav), so that nothing is converted on the way.
    bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) override;
    // Closes `alias` like MciStopClose: its note dies away over 5 ms.
    void FadeNoteClose(const std::string& alias) override;

    // The players' notes (SoundOutput): the patched samples of the strings, made ready ahead or
    // not, on the memory channel or beside it (sound_service_output.cpp).
    bool MciOpenPlayImage(const std::string& file, const std::string& alias,
                          const SoundImagePtr& content) override;
    void PlayPatchedSample(const PatchedSampleSource& source, int s, int m) override;
    PreparedNote PreparePatchedSample(const PatchedSampleSource& source, int s, int m) override;
    void PlayPrepared(const PatchedSampleSource& source, const PreparedNote& note) override;
    void PlayPreparedBeside(const PatchedSampleSource& source, const PreparedNote& note,
                            const std::string& alias) override;

    // Whether the last sound started on the memory channel may still sound: false once it has run
    // out, been cut off or been stopped (as the audio side last told).
    bool memorySounding() const;
    // The same for the sound of an open alias; false for an alias that is not open.
    bool aliasSounding(const std::string& alias) const;

    // Where the notes the program sounds are announced (note_listener.h). The service itself
    // announces the end of every note of the memory channel (cut off by PlayImage, PlayDecoded
    // and the players' notes, or stopped) and the start of the players' notes, whose string and
    // position it is given; whoever plays a string's image announces that note. The notes played
    // beside the memory channel (PlayPreparedBeside) that sound are announced under
    // besideVoice(their alias voice), and ended when their alias is closed or, found by pump(),
    // when their sound has run out.
    NoteListeners& notes() { return notes_; }

    // Releases the sounds the audio side is done with and lets the backend recover a lost
    // device, then ends the announced notes beside the memory channel whose sound has run out.
    // Every operation above does this first; call it also when idle for a while.
    void pump();
    // Ends the announced notes beside the memory channel whose sound has run out (as the audio
    // side last told), alone: cheap enough to call every few milliseconds.
    void endRunOutBesideNotes();

  private:
    struct OpenAlias {
        std::size_t voice = 0;
        PcmSound sound;         // the sound the voice plays
        bool announced = false; // its note told to the listeners under besideVoice(voice)
    };

    // Opens `file` under `alias`; its content is `decoded` or `content` when given, else read
    // from disk. False when the names are empty, the alias is open, the content cannot play or
    // every voice is taken.
    bool open(const std::string& file, const std::string& alias,
              const SoundImagePtr& content = nullptr, const PcmSound* decoded = nullptr);
    // Stops and closes an open alias, announcing the end of its note if it was announced; false
    // when it is not open or the stop cannot be queued.
    bool close(const std::string& alias);

    // Announces a note of string s at position m on the memory channel, just started.
    void announceMemoryNote(const PatchedSampleSource& source, int s, int m);
    // Announces the note just started under the open `alias` beside the memory channel.
    void announceBesideNote(const std::string& alias, double cents);

    UiThreadCheck ui_;
    NoteListeners notes_;
    Mixer mixer_;
    std::unique_ptr<AudioBackend> backend_;
    std::map<std::string, OpenAlias> aliases_; // by lower-case alias
    std::array<bool, kAliasVoices> voiceTaken_{};
};

} // namespace zembera
