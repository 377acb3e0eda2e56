#pragma once
// The sound of every string at its current pitch: one immutable WAV image per string, built by
// resampling the string's sample (or the sample itself when the pitch is its own), and the
// per-string scratch files "<n>zz.zz" that the letter keys play.
//
// Thread: UI thread only; readSamples uses worker threads of its own and returns after they end.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/messages.h"
#include "pitch/pitch_table.h"
#include "samples/sample_reader.h"
#include "samples/sound_image.h"

namespace zembera {

class StringSounds {
  public:
    // `sampleFileName` is indexed by string 1..26; the files lie in `sampleFolder`. The scratch
    // files go to `scratchFolder`, the sample folder itself when it is empty.
    StringSounds(std::filesystem::path sampleFolder, PerString<std::string> sampleFileName,
                 MessageService& messages, std::filesystem::path scratchFolder = {});

    // Reads and decodes the sample of every string ahead, on up to `threads` threads at once (the
    // calling one among them). What each string ends up with is what reading it alone gives;
    // nothing is reported here: PrepareStringSound names the unusable ones, in string order.
    void readSamples(unsigned threads);

    // The sample of string s decoded to the program's own layout (16-bit mono 44100 Hz), for a
    // sample that is in another layout; null for a sample already in that layout, an unusable
    // one or s outside 1..26. The same image every time.
    SoundImagePtr convertedSample(int s);

    // Rebuilds the image of string s (1..26) for mandal position m (-8..12):
    // cents = tuningOffset + centTable(s, m). Out-of-range s or m does nothing.
    void PrepareStringSound(int s, int m, const PitchTables& tables, float tuningOffset);
    // PrepareStringSound only when the image of string s was not built for the pitch of position
    // m (with `tuningOffset`) in `tables`: whatever moved the string (a makam load, a reset, a
    // transposition, a table or system switch), its next note sounds where it stands now. Costs
    // next to nothing when the image is current; noteCents and noteFrequency are set either way.
    void ensureStringSound(int s, int m, const PitchTables& tables, float tuningOffset);

    // The current image of string s (1..26); an empty image when the string has no readable
    // sample (it stays silent) or was never prepared. An image never changes once handed out;
    // the image of a note at the sample's own pitch is shared with the sample cache.
    SoundImagePtr stringSound(int s) const;

    // Cents and frequency of the most recent preparation.
    float noteCents = 0;
    float noteFrequency = 0;

    // Unusable samples are reported once each, in one message per call that meets them; between
    // holdSampleReports and releaseSampleReports (start-up) all of them go into one message.
    void holdSampleReports();
    void releaseSampleReports();

    // Name of the scratch file of string s: "12zz.zz".
    static std::string scratchFileName(int s);

    // What a letter key plays for string s: its scratch file and the image that file holds once
    // writeScratchFile(s) has run. No file access; an empty path for s outside 1..26.
    struct ScratchSound {
        std::filesystem::path file;
        SoundImagePtr image;
    };
    ScratchSound scratchSound(int s) const;
    // Makes sure the scratch file of string s holds the string's current image, writing it whole
    // when it is missing or older than the image (a string never prepared gives an empty file).
    // False when it cannot be written (a read-only sample folder): whatever file was there stays,
    // and the write is not tried again before the string's next preparation.
    bool writeScratchFile(int s);
    // writeScratchFile for every string: once the sounds are prepared, off the key path.
    void writeScratchFiles();
    // writeScratchFile(s), then the file's path; an empty path for s outside 1..26.
    std::filesystem::path scratchFile(int s);

  private:
    // A string's sample, read once: the program never writes sample files.
    struct Sample {
        bool read = false;
        SoundImagePtr fileBytes; // the file as it is, kept only when it plays as it is
        bool decoded = false;
        SampleRead content;     // samples, or why there are none
        bool converted = false; // decoded from another layout
        SoundImagePtr ownPitch; // the image of a note at the sample's own pitch, once built
        bool reported = false;  // the format message named this file
    };

    Sample& sample(int s);
    // Reads and decodes the sample of string s once; touches samples_[s] only.
    void loadSample(int s);
    const WavSamples* decodedSamples(int s);
    void reportUnreadable(int s);
    SoundImagePtr ownPitchImage(int s);
    // Sets noteCents and noteFrequency for string s at position m.
    void notePitch(int s, int m, const PitchTables& tables, float tuningOffset);

    std::filesystem::path sampleFolder_;
    std::filesystem::path scratchFolder_;
    PerString<std::string> sampleFileName_;
    MessageService& messages_;
    PerString<Sample> samples_;
    bool holdReports_ = false;
    std::vector<int> heldReports_;
    PerString<SoundImagePtr> images_;
    // The frequency each image was built for; nothing for a string never prepared.
    PerString<std::optional<float>> imageFrequency_;
    // Each preparation gets a new number; the scratch file remembers the one it was written from.
    std::uint64_t lastGeneration_ = 0;
    PerString<std::uint64_t> imageGeneration_{};
    PerString<std::optional<std::uint64_t>> scratchGeneration_;
    PerString<std::optional<std::uint64_t>> scratchFailedGeneration_;
};

} // namespace zembera
