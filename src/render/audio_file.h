#pragma once
// Writing a rendered piece to a sound file: 16-bit mono at the output rate, WAV or FLAC by the
// file's extension. The file is written beside its place under a temporary name and renamed over
// it only when complete, so a failed or stopped rendering leaves whatever file was there.
//
// Thread: any (the rendering runs on the calling thread).

#include <filesystem>
#include <optional>
#include <string>

#include "render/offline_render.h"

namespace zembera {

enum class AudioFileKind { wav, flac };

// The kind an output file's extension asks for (".wav" or ".flac", any case); nothing for others.
std::optional<AudioFileKind> audioFileKind(const std::filesystem::path& file);

// What came of a rendering to a file.
struct RenderOutcome {
    bool written = false;             // the file is complete
    bool stopped = false;             // the progress callback stopped it
    std::optional<std::string> error; // why it could not be written, for the user
};

// Renders `piece` into `file`.
RenderOutcome renderToFile(const NoteEvents& piece, NoteSounds& sounds,
                           const std::filesystem::path& file, const RenderProgress& progress = {});

} // namespace zembera
