#include "files/text_file.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/text_fields.h"
#include "sound/file_bytes.h"

namespace zembera {

std::optional<std::string> readTextFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > kTextFileLimit) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    // A file that changed size meanwhile is read as far as it goes.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return decodeText(bytes);
}

bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    return writeFileWhole(
        file, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size()));
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string withoutLastCharacters(std::string_view utf8, std::size_t count) {
    std::size_t end = utf8.size();
    while (count > 0 && end > 0) {
        --end;
        // Continuation bytes belong to the character that starts before them.
        while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        --count;
    }
    return std::string(utf8.substr(0, end));
}

} // namespace zembera
