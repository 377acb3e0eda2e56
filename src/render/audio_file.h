#pragma once
// Writing a rendered piece to a sound file: 16-bit mono at the output rate, WAV or FLAC by the
// file's extension. The file is written through SafeWrite (a temporary file renamed over it only
// when complete), so a failed or stopped rendering leaves whatever file was there and nothing
// else. A piece longer than kLongestRenderMs is refused in every format: hours of work and
// hundreds of megabytes for a file nobody asked for in earnest.
//
// Thread: any (the rendering runs on the calling thread).

#include <filesystem>
#include <optional>
#include <string>

#include "render/offline_render.h"

namespace zembera {

enum class AudioFileKind { wav, flac };

inline constexpr double kLongestRenderMs = 2 * 3600 * 1000.0; // 2 hours

// The kind an output file's extension asks for (".wav" or ".flac", any case); nothing for others.
std::optional<AudioFileKind> audioFileKind(const std::filesystem::path& file);

// What came of a rendering to a file.
struct RenderOutcome {
    bool written = false;             // the file is complete
    bool stopped = false;             // the progress callback stopped it
    std::optional<std::string> error; // why it could not be written, for the user
    double seconds = 0;               // the length of the sound written
};

// A length of sound as the user reads it: "3 dk 14 sn", "1 sa 2 dk", "2,5 sn" (tenths below ten
// seconds, whole seconds above).
std::string durationText(double seconds);

// Renders `piece` into `file`. A file that exists and may not be written (no write permission, or
// none at all: marked read-only, which even the superuser's rename would ignore) is refused
// rather than replaced.
RenderOutcome renderToFile(const NoteEvents& piece, NoteSounds& sounds,
                           const std::filesystem::path& file, const RenderProgress& progress = {});

} // namespace zembera
