#include "sound/file_bytes.h"

#include <atomic>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace zembera {
namespace {

// A name no other writer of the same file uses, also in another process.
std::string temporarySuffix() {
    static const unsigned processTag = std::random_device{}();
    static std::atomic<unsigned> counter{0};
    return ".part" + std::to_string(processTag) + "-" + std::to_string(counter++);
}

} // namespace

std::optional<SoundImage> readFileBytes(const std::filesystem::path& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size < 0) return std::nullopt;
    SoundImage bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return bytes;
}

bool writeFileWhole(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    std::filesystem::path temporary = file;
    temporary += temporarySuffix();
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

} // namespace zembera
