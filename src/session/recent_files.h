#pragma once
// "Son açılanlar": the files the user opened last, the newest first, each once, at most ten, kept
// in the settings as they change.
//
// Thread: the owner's.

#include <cstddef>
#include <filesystem>
#include <vector>

#include "session/settings_store.h"

namespace zembera {

inline constexpr std::size_t kRecentFileCount = 10;

class RecentFiles {
  public:
    // Reads the list from `store` (entries that are not absolute paths are left out) and writes
    // every change back to it.
    explicit RecentFiles(SettingsStore& store);

    const std::vector<std::filesystem::path>& files() const { return files_; }
    // Puts `file` first; an absolute path only.
    void add(const std::filesystem::path& file);
    // Takes `file` off the list (a file that is gone).
    void remove(const std::filesystem::path& file);

  private:
    void write();

    SettingsStore& store_;
    std::vector<std::filesystem::path> files_;
};

} // namespace zembera
