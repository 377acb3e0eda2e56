#include "samples/file_bytes.h"

#include "common/safe_write.h"

namespace zembera {

LimitedRead<SoundImage> readSoundFileBytes(const std::filesystem::path& file) {
    return readLimitedFile<SoundImage>(file, kSampleFileLimit);
}

std::optional<SoundImage> readFileBytes(const std::filesystem::path& file) {
    return std::move(readSoundFileBytes(file).bytes);
}

bool writeFileWhole(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    // Scratch files: made again whenever needed, so not held up by a flush to the disk.
    return !replaceFile(file, bytes, SafeWrite::Durability::system);
}

} // namespace zembera
