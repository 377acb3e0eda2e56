#include "session/recent_files.h"

#include <algorithm>
#include <string>

namespace zembera {
namespace {

std::string keyOf(std::size_t i) {
    return "son_acilanlar/" + std::to_string(i + 1);
}

} // namespace

RecentFiles::RecentFiles(SettingsStore& store) : store_(store) {
    for (std::size_t i = 0; i < kRecentFileCount; ++i) {
        const auto text = store_.value(keyOf(i));
        if (!text || text->empty()) continue;
        const std::filesystem::path file(*text);
        if (file.is_absolute() && std::find(files_.begin(), files_.end(), file) == files_.end())
            files_.push_back(file);
    }
}

void RecentFiles::add(const std::filesystem::path& given) {
    if (!given.is_absolute()) return;
    const std::filesystem::path file = given.lexically_normal();
    std::erase(files_, file);
    files_.insert(files_.begin(), file);
    if (files_.size() > kRecentFileCount) files_.resize(kRecentFileCount);
    write();
}

void RecentFiles::remove(const std::filesystem::path& file) {
    std::erase(files_, file);
    write();
}

void RecentFiles::write() {
    for (std::size_t i = 0; i < kRecentFileCount; ++i) {
        if (i < files_.size()) {
            store_.setValue(keyOf(i), files_[i].string());
        } else {
            store_.remove(keyOf(i));
        }
    }
}

} // namespace zembera
