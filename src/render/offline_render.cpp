#include "render/offline_render.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/note_listener.h"
#include "model/voice.h"

namespace zembera {
namespace {

constexpr std::size_t kBlockFrames = 4096;

// A command the audio side cannot take yet waits for the blocks before it to be rendered; one
// block of no frames takes what is queued into the engine's schedule.
template <typename Send> void hand(engine::Engine& engine, Send send) {
    while (!send())
        engine.render(nullptr, nullptr, 0);
}

} // namespace

engine::Frame frameAt(double ms, double rate) {
    return std::llround(std::max(0.0, ms) * rate / 1000.0);
}

std::size_t renderedFrames(const NoteEvents& piece, double rate) {
    return static_cast<std::size_t>(frameAt(piece.endMs, rate)) +
           static_cast<std::size_t>(rate / 200);
}

bool renderPiece(const NoteEvents& piece, const PieceSound& sound, const FrameSink& sink,
                 const RenderProgress& progress) {
    engine::Engine& engine = sound.engine;
    const double rate = engine.sampleRate();
    const engine::Frame end = frameAt(piece.endMs, rate);
    const auto total = static_cast<engine::Frame>(renderedFrames(piece, rate));
    std::array<float, kBlockFrames> block{};
    std::array<std::int16_t, kBlockFrames> pcm{};
    engine::Frame done = 0;
    engine::Frame reported = 0;
    auto renderTo = [&](engine::Frame frame) {
        while (done < frame) {
            const auto n =
                static_cast<std::size_t>(std::min<engine::Frame>(kBlockFrames, frame - done));
            engine.render(block.data(), nullptr, n);
            std::transform(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n),
                           pcm.begin(), engine::toPcm16);
            sink(std::span<const std::int16_t>(pcm.data(), n));
            done += static_cast<engine::Frame>(n);
            if (progress && done - reported >= static_cast<engine::Frame>(rate)) {
                reported = done;
                if (!progress(static_cast<double>(done) / static_cast<double>(total))) return false;
            }
        }
        return true;
    };
    const auto noteOf = [&](int s, int m) {
        return engine.prepareNote(s, soundingCents(sound.tables, sound.tuningOffset, s, m),
                                  engine::Resampling::interpolated);
    };
    const auto endAll = [&](engine::Frame at, int& beside) {
        hand(engine, [&] { return engine.endNoteAt(engine::VoiceId::memoryChannel(), at); });
        for (; beside > 0; --beside)
            hand(engine, [&] { return engine.endNoteAt(engine::VoiceId::chordNote(beside), at); });
    };
    int beside = 0; // chord notes sounding on chord-note voices 1..beside
    for (const NoteEvent& event : piece.events) {
        // Each event is handed over for its frame before the blocks that hold it are rendered.
        const engine::Frame at = std::min(frameAt(event.onsetMs, rate), end);
        if (!renderTo(std::max<engine::Frame>(done, at - static_cast<engine::Frame>(kBlockFrames))))
            return false;
        if (event.together) {
            // A further chord note sounds beside the memory channel, cutting nothing.
            if (event.string != 0 && beside < kChordNoteVoices) {
                const engine::Note note = noteOf(event.string, event.mandal);
                const int voice = ++beside;
                hand(engine, [&] {
                    return engine.startNoteAt(engine::VoiceId::chordNote(voice), note, 1, at);
                });
            }
            continue;
        }
        // The onset ends the sounding notes, then starts this one, as the players do.
        endAll(at, beside);
        if (event.string != 0) {
            const engine::Note note = noteOf(event.string, event.mandal);
            hand(engine,
                 [&] { return engine.startNoteAt(engine::VoiceId::memoryChannel(), note, 1, at); });
        }
    }
    // The end silences the last notes, which die away after it as the live ones do.
    endAll(end, beside);
    if (!renderTo(total)) return false;
    if (progress) progress(1.0);
    return true;
}

} // namespace zembera
