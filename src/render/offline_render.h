#pragma once
// Rendering a piece offline through the program's own mixer: each event is queued at the exact
// frame of its onset, as the players queue it on the memory channel at that moment, and the mixer
// is pulled buffer by buffer as the audio device would pull it. The frames that come out are the
// ones the live players send to the device for the same notes, only faster than real time.
//
// Thread: the thread that calls renderPiece owns the mixer it makes; nothing is shared.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <utility>

#include "engine/pcm_sound.h"
#include "render/note_events.h"
#include "sound/patched_sample.h"

namespace zembera {

// The output frame of a moment of the piece.
std::size_t frameAt(double ms);
// The frames renderPiece writes for `piece`: to its end, then the fade of the notes it silences.
std::size_t renderedFrames(const NoteEvents& piece);

// The sound a note event starts: the patched sample of string s at position m, decoded for the
// mixer as the players prepare it; an empty sound (silence) when the sample cannot play. Each
// (string, position) is read and converted once.
class NoteSounds {
  public:
    explicit NoteSounds(const PatchedSampleSource& source) : source_(source) {}
    const PcmSound& soundOf(int s, int m);

  private:
    const PatchedSampleSource& source_;
    std::map<std::pair<int, int>, PcmSound> sounds_;
};

// Receives the rendered mono frames in order.
using FrameSink = std::function<void(std::span<const std::int16_t>)>;
// Told the share of the piece rendered so far (0..1) about every second of sound; returning
// false stops the rendering.
using RenderProgress = std::function<bool(double done)>;

// Renders `piece` from its start to its end, and the last notes dying away after it, into
// `sink`. False when `progress` stopped it.
bool renderPiece(const NoteEvents& piece, NoteSounds& sounds, const FrameSink& sink,
                 const RenderProgress& progress = {});

} // namespace zembera
