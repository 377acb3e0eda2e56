#include "files/makam_list.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cctype>
#include <string_view>
#include <system_error>

#include "files/makam_file.h"

namespace zembera {

namespace {

// The list matches its pattern "*.mkm" without regard to case, as the original platform did.
bool hasMakamExtension(std::string_view name) {
    const std::string_view extension = kMakamExtension;
    if (name.size() <= extension.size()) return false;
    const std::string_view end = name.substr(name.size() - extension.size());
    return std::equal(end.begin(), end.end(), extension.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

} // namespace

void sortTurkish(std::vector<std::string>& texts) {
    QCollator collator{QLocale(QLocale::Turkish, QLocale::Turkey)};
    collator.setNumericMode(true); // "rast 2" before "rast 10"
    std::vector<std::pair<QString, std::string>> keyed;
    keyed.reserve(texts.size());
    for (std::string& text : texts)
        keyed.emplace_back(QString::fromStdString(text), std::move(text));
    std::stable_sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        return collator.compare(a.first, b.first) < 0;
    });
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = std::move(keyed[i].second);
}

std::vector<std::string> makamFileNames(const std::filesystem::path& folder) {
    return makamFileNames(DataFolders{folder, folder});
}

std::vector<std::string> makamFileNames(const DataFolders& folders) {
    std::vector<std::string> names = folders.names(
        [](const std::string& name) { return !name.starts_with('.') && hasMakamExtension(name); });
    sortTurkish(names);
    return names;
}

} // namespace zembera
