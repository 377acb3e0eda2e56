#include "files/makam_file.h"

#include "common/basic_print.h"
#include "common/text_fields.h"
#include "files/text_file.h"

namespace zembera {

std::string makamFileText(const PerString<std::int16_t>& mandalPos) {
    std::string text;
    for (int k = 1; k <= 26; ++k)
        text += PrintLine().number(mandalPos[k]).finish();
    return text;
}

std::optional<std::string> makamNameProblem(std::string_view name) {
    if (name.empty()) return std::string(kMakamNameMissing);
    // A separator would point the file at another folder.
    if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        return std::string(kMakamNameRefused);
    // A leading dot hides the file from the list (and "." / ".." are folders).
    if (name.front() == '.') return std::string(kMakamNameHidden);
    return std::nullopt;
}

std::filesystem::path makamFilePath(const std::filesystem::path& folder, std::string_view name) {
    return folder / pathFromUtf8(std::string(name) + kMakamExtension);
}

std::string makamFaultMessage(const std::string& fault) {
    return std::string(kMakamFileFault) + "\n" + fault;
}

void readMakamPositions(std::string_view text, const std::string& fileName,
                        const InstrumentState& ranges,
                        const std::function<void(int k, std::int16_t position)>& take) {
    FieldReader reader(text, fileName);
    for (int k = 1; k <= 26; ++k) {
        // Tables are bounded by each string's range: a position outside it is not stored.
        const long position =
            reader.readInteger(ranges.mandalMin[k], ranges.mandalMax[k], "mandal konumu");
        take(k, static_cast<std::int16_t>(position));
    }
}

PerString<std::int16_t> readMakamFile(std::string_view text, const std::string& fileName) {
    InstrumentState bundled;
    setMandalRanges(bundled);
    PerString<std::int16_t> positions{};
    readMakamPositions(text, fileName, bundled,
                       [&](int k, std::int16_t position) { positions[k] = position; });
    return positions;
}

} // namespace zembera
