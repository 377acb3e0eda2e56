#include "render/offline_render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "engine/mixer.h"
#include "engine/sound_limits.h"
#include "sound/pcm_decode.h"

namespace zembera {
namespace {

constexpr std::size_t kBlockFrames = 4096;

// Queues a command, letting the mixer apply what is queued first when the queue is full (many
// events on one frame); an empty render applies the commands and moves no time.
template <typename Send> void queue(Mixer& mixer, Send send) {
    while (!send())
        mixer.render(nullptr, 0);
}

} // namespace

std::size_t frameAt(double ms) {
    return static_cast<std::size_t>(std::llround(std::max(0.0, ms) * kOutputRate / 1000.0));
}

std::size_t renderedFrames(const NoteEvents& piece) {
    return frameAt(piece.endMs) + kReleaseFadeFrames;
}

const PcmSound& NoteSounds::soundOf(int s, int m) {
    const auto key = std::make_pair(s, m);
    auto found = sounds_.find(key);
    if (found == sounds_.end()) {
        std::optional<PcmSound> sound = decodeWav(patchedSampleImage(source_, s, m));
        found = sounds_.emplace(key, sound ? std::move(*sound) : PcmSound{}).first;
    }
    return found->second;
}

bool renderPiece(const NoteEvents& piece, NoteSounds& sounds, const FrameSink& sink,
                 const RenderProgress& progress) {
    Mixer mixer;
    const std::size_t end = frameAt(piece.endMs);
    const std::size_t total = renderedFrames(piece);
    std::array<std::int16_t, kBlockFrames> block{};
    std::size_t done = 0;
    std::size_t reported = 0;
    auto renderTo = [&](std::size_t frame) {
        while (done < frame) {
            const std::size_t n = std::min(kBlockFrames, frame - done);
            mixer.render(block.data(), n, 1);
            sink(std::span<const std::int16_t>(block.data(), n));
            done += n;
            if (progress && done - reported >= kOutputRate) {
                reported = done;
                if (!progress(static_cast<double>(done) / static_cast<double>(total))) return false;
            }
        }
        return true;
    };
    std::size_t beside = 0; // chord notes sounding on alias voices 0..beside-1
    for (const NoteEvent& event : piece.events) {
        if (!renderTo(std::min(frameAt(event.onsetMs), end))) return false;
        if (event.together) {
            // A further chord note sounds beside the memory channel, cutting nothing.
            if (event.string != 0 && beside < kAliasVoices) {
                const PcmSound& sound = sounds.soundOf(event.string, event.mandal);
                const std::size_t voice = beside++;
                queue(mixer, [&] { return mixer.playAlias(voice, sound); });
            }
            continue;
        }
        // The onset ends the sounding notes, then starts this one, as the players do.
        queue(mixer, [&] { return mixer.stopMemory(); });
        for (; beside > 0; --beside)
            queue(mixer, [&] { return mixer.stopAlias(beside - 1); });
        if (event.string != 0) {
            const PcmSound& sound = sounds.soundOf(event.string, event.mandal);
            queue(mixer, [&] { return mixer.playMemory(sound); });
        }
    }
    // The end silences the last notes, which die away after it as the live ones do.
    if (!renderTo(end)) return false;
    queue(mixer, [&] { return mixer.stopMemory(); });
    for (; beside > 0; --beside)
        queue(mixer, [&] { return mixer.stopAlias(beside - 1); });
    if (!renderTo(total)) return false;
    if (progress) progress(1.0);
    return true;
}

} // namespace zembera
