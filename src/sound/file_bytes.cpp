#include "sound/file_bytes.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace zembera {
namespace {

// A file beside `file` that no other writer uses, also in another process. Its name is short and
// does not grow with the name of `file`, so that any name the file system allows can be replaced.
std::filesystem::path temporaryPath(const std::filesystem::path& file) {
    static const unsigned processTag = std::random_device{}();
    static std::atomic<unsigned> counter{0};
    char name[24];
    std::snprintf(name, sizeof name, ".~%08x%04x", processTag, counter++ & 0xFFFFu);
    return file.parent_path() / name;
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
    const std::filesystem::path temporary = temporaryPath(file);
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
