#include "render/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <system_error>

#include "sound/sound_limits.h"

namespace zembera {
namespace {

std::string lowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

} // namespace

std::optional<AudioFileKind> audioFileKind(const std::filesystem::path& file) {
    const std::string ext = lowerExtension(file);
    if (ext == ".wav") return AudioFileKind::wav;
    if (ext == ".flac") return AudioFileKind::flac;
    return std::nullopt;
}

RenderOutcome renderToFile(const NoteEvents& piece, NoteSounds& sounds,
                           const std::filesystem::path& file, const RenderProgress& progress) {
    RenderOutcome outcome;
    const std::optional<AudioFileKind> kind = audioFileKind(file);
    if (!kind) {
        outcome.error = file.string() + ": yalnızca .wav ve .flac dosyaları yazılabilir";
        return outcome;
    }
    // A WAV file counts its bytes in 32 bits: refuse at once what would fail hours later.
    constexpr std::size_t kMaxWavFrames = (0xFFFFFFFFull - 44) / 2;
    if (*kind == AudioFileKind::wav && renderedFrames(piece) > kMaxWavFrames) {
        outcome.error = file.string() + ": parça bir WAV dosyasına sığmayacak kadar uzun";
        return outcome;
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(kOutputRate);
    info.channels = 1;
    info.format = (*kind == AudioFileKind::wav ? SF_FORMAT_WAV : SF_FORMAT_FLAC) | SF_FORMAT_PCM_16;
    std::filesystem::path temporary = file;
    temporary += ".yeni";
    SNDFILE* out = sf_open(temporary.c_str(), SFM_WRITE, &info);
    if (out == nullptr) {
        outcome.error = file.string() + ": " + sf_strerror(nullptr);
        return outcome;
    }
    bool failed = false;
    const bool complete = renderPiece(
        piece, sounds,
        [&](std::span<const std::int16_t> frames) {
            if (failed) return;
            const auto n = static_cast<sf_count_t>(frames.size());
            if (sf_write_short(out, frames.data(), n) != n) failed = true;
        },
        progress);
    if (failed) outcome.error = file.string() + ": " + sf_strerror(out);
    if (sf_close(out) != 0 && !outcome.error) outcome.error = file.string() + ": yazılamadı";
    std::error_code ec;
    if (complete && !outcome.error) {
        std::filesystem::rename(temporary, file, ec);
        if (ec) outcome.error = file.string() + ": " + ec.message();
    }
    if (!complete || outcome.error) {
        std::filesystem::remove(temporary, ec);
        outcome.stopped = !complete;
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

} // namespace zembera
