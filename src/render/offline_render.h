#pragma once
// Rendering a piece offline through an engine, as the live players play it: each event is handed
// to the engine for the frame of its onset, the block that holds it rendered, and so on to the
// end, the last notes dying away after it. The frames that come out are the ones the live players
// send to the device for the same notes, only faster than real time.
//
// Thread: the thread that calls renderPiece renders the engine it is given; nothing is shared.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "engine/engine.h"
#include "pitch/per_string.h"
#include "pitch/pitch_table.h"
#include "render/note_events.h"

namespace zembera {

// What a piece's notes sound: the engine that renders them, at the rate of the rendering, with
// the strings' samples given; and the pitches and the fine tuning that give each note's cents.
struct PieceSound {
    engine::Engine& engine;
    const PitchTables& tables;
    const PerString<float>& tuningOffset;
};

// The frame of a moment of the piece at `rate` frames per second.
engine::Frame frameAt(double ms, double rate);
// The frames renderPiece writes for `piece`: to its end, then the fade of the notes it silences.
std::size_t renderedFrames(const NoteEvents& piece, double rate);

// Receives the rendered mono frames in order, as 16-bit samples.
using FrameSink = std::function<void(std::span<const std::int16_t>)>;
// Told the share of the piece rendered so far (0..1) about every second of sound; returning
// false stops the rendering.
using RenderProgress = std::function<bool(double done)>;

// Renders `piece` from its start to its end, and the last notes dying away after it, into
// `sink`. The engine must be fresh (nothing rendered yet). False when `progress` stopped it.
bool renderPiece(const NoteEvents& piece, const PieceSound& sound, const FrameSink& sink,
                 const RenderProgress& progress = {});

} // namespace zembera
