#include "render/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>

#include "common/safe_write.h"
#include "engine/sound_limits.h"

namespace zembera {
namespace {

std::string lowerExtension(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// "2 saat", "596 saat 31 dakika".
std::string hoursText(double ms) {
    const auto minutes = static_cast<long long>(ms / 60000.0);
    std::string text = std::to_string(minutes / 60) + " saat";
    if (minutes % 60 != 0) text += " " + std::to_string(minutes % 60) + " dakika";
    return text;
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
    if (piece.endMs > kLongestRenderMs) {
        outcome.error = file.string() + ": parça çok uzun: " + hoursText(piece.endMs) +
                        ", en çok " + hoursText(kLongestRenderMs);
        return outcome;
    }
    SafeWrite out(file);
    if (out.failure()) {
        outcome.error = file.string() + ": " + *out.failure();
        return outcome;
    }
    SF_INFO info{};
    info.samplerate = static_cast<int>(kOutputRate);
    info.channels = 1;
    info.format = (*kind == AudioFileKind::wav ? SF_FORMAT_WAV : SF_FORMAT_FLAC) | SF_FORMAT_PCM_16;
    errno = 0;
    SNDFILE* sound = sf_open_fd(out.descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (sound == nullptr) {
        out.fail(errno);
        outcome.error = file.string() + ": " + *out.failure();
        return outcome;
    }
    const bool complete = renderPiece(
        piece, sounds,
        [&](std::span<const std::int16_t> frames) {
            if (out.failure()) return;
            const auto n = static_cast<sf_count_t>(frames.size());
            errno = 0;
            if (sf_write_short(sound, frames.data(), n) != n) out.fail(errno != 0 ? errno : EIO);
        },
        progress);
    errno = 0;
    // Closing writes the header's sizes and the encoder's last block.
    if (sf_close(sound) != 0) out.fail(errno != 0 ? errno : EIO);
    if (!complete) {
        out.abandon();
        outcome.stopped = true;
        return outcome;
    }
    if (!out.commit()) {
        outcome.error = file.string() + ": " + out.failure().value_or("yazılamadı");
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

} // namespace zembera
