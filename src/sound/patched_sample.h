#pragma once
// Sounding a string's sample at the pitch of one of its mandal positions, as the replay of
// recordings and the melody player do. The sample file is never written: an in-memory copy of it
// gets the play rate in its header (sample rate at offset 24, byte rate at 28) and plays on the
// memory channel, where the rate is brought to 44100 Hz by linear interpolation. A sample of
// another layout (another sample size, rate or channel count, extensible or with chunks before
// "fmt ") is first decoded to 16-bit mono at 44100 Hz, and that copy is patched.
//
// The play rate of string s at position m is
//     playRate(s, m) = round(fileRate * targetHz / nominalHz)
// where fileRate is the rate in the sample's header, nominalHz the pitch in its name (characters
// 4-9 in hundredths of a hertz: "01_013081_ab.wav" is 130.81 Hz) and targetHz = 262 *
// 2^((centTable(s, m) + tuningOffset(s)) / 1200). For example a 44100 Hz sample named 130.81 Hz
// played one octave up (261.62 Hz) gets 88200, and at 262 Hz exactly 88328. The entries are
// computed when played, so a change of the fine tuning counts at once.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "pitch/pitch_table.h"
#include "samples/sound_image.h"

namespace zembera {

class SoundService;

// What the patched playback reads from the program's state.
struct PatchedSampleSource {
    std::filesystem::path sampleFolder;
    const PerString<std::string>& sampleFileName; // by string 1..26
    const PitchTables& tables;
    const PerString<float>& tuningOffset; // cents, by string 1..26
};

constexpr bool isPlayablePosition(int s, int m) {
    return s >= 1 && s <= kStringCount && m >= mandalMinOf(s) && m <= mandalMaxOf(s);
}

// Thread: any (pure). The nominal pitch in a sample's name; nullopt when characters 4-9 are not
// six digits or give 0.
std::optional<double> nominalFrequency(std::string_view sampleFileName);

// Thread: any (pure). round(fileRate * targetHz / nominalHz); 0 when that is not a usable rate
// (not positive, not finite, or beyond 32 bits).
std::uint32_t playRate(std::uint32_t fileRate, double nominalHz, double targetHz);

// Thread: any (pure). The bytes of a sample file as the patched copy that sounds `targetHz` for a
// sample whose pitch is `nominalHz`; null when the file cannot be read or gives no usable rate.
SoundImagePtr patchSampleImage(SoundImage file, double nominalHz, double targetHz);

// Thread: UI thread. The patched in-memory copy of string s's sample for position m; null when
// (s, m) is not a playable position or the sample cannot be read or has no usable rate.
SoundImagePtr patchedSampleImage(const PatchedSampleSource& source, int s, int m);
// The same from `converted`, the sample already decoded to the program's own layout (as
// StringSounds::convertedSample gives it), so that nothing is read or converted again; a null
// `converted` reads the file as above.
SoundImagePtr patchedSampleImage(const PatchedSampleSource& source, int s, int m,
                                 const SoundImagePtr& converted);

// Thread: UI thread. Sounds the sample of string s at the pitch of position m on the memory
// channel, cutting off the sounding note. A string outside 1..26 or a position outside the
// string's range plays nothing and leaves the sounding note alone; an unreadable sample silences
// the channel, as any start that cannot play.
void PlayPatchedSample(SoundService& sound, const PatchedSampleSource& source, int s, int m);

} // namespace zembera
