#include "files/text_file.h"

#include "common/safe_write.h"
#include "common/text_fields.h"

namespace zembera {

TextRead readTextFileOrReason(const std::filesystem::path& file) {
    LimitedRead<std::string> read = readLimitedFile(file, kTextFileLimit);
    if (!read.bytes) return {std::nullopt, std::move(read.problem)};
    return {decodeText(*read.bytes), {}};
}

std::optional<std::string> readTextFile(const std::filesystem::path& file) {
    return readTextFileOrReason(file).text;
}

bool replaceFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    return !replaceFile(file, bytes);
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::filesystem::path> fileOfName(const DataFolders& folders, std::string_view name) {
    if (name.empty()) return std::nullopt;
    const std::filesystem::path path = pathFromUtf8(name);
    if (path.is_absolute()) return path;
    if (name.find_first_of("/\\") != std::string_view::npos) return std::nullopt;
    return folders.find(path);
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
