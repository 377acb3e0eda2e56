#pragma once
// Where the program reads its bundled files and where the files of the user go.
//
// Built and unpacked, the program folder holds the executable, Dizek.txt, the samples and the
// examples, and the user's makams, melodies, kayıt.txt and the scratch files land beside them.
// Installed system-wide, the executable lies in <prefix>/bin, the bundled files in
// <prefix>/share/zembera, and that folder is not writable: the user's files then go to a folder
// of the user's own, and the file lists show both folders together.

#include <filesystem>
#include <string>
#include <vector>

namespace zembera {

inline constexpr const char* kInstalledDataFolder = "share/zembera";

// The folder of the bundled files for an executable lying in `executableFolder`: that folder
// itself when it holds Dizek.txt (a build or an unpacked program folder), else
// <executable>/../share/zembera when that holds Dizek.txt (an installed program), else the
// executable's folder (whose missing table the start-up then reports).
std::filesystem::path bundledDataFolder(const std::filesystem::path& executableFolder);

// True when files can be made in `folder` by this process.
bool folderWritable(const std::filesystem::path& folder);
// True when `folder` belongs to the user running the process.
bool folderOwnedBySelf(const std::filesystem::path& folder);

// The folders the program works with.
struct DataFolders {
    std::filesystem::path program; // the bundled files, read only when installed
    std::filesystem::path user;    // the user's files: `program` itself when that is writable

    bool separate() const { return user != program; }
    // Where the user's file `name` is read from: the user's own when it exists, else the bundled
    // one of the same name.
    std::filesystem::path find(const std::filesystem::path& name) const;
    // The names of the regular files of both folders that `keep` accepts, each once (the user's
    // file hides a bundled one of the same name), unsorted.
    template <typename Keep> std::vector<std::string> names(Keep keep) const;
};

// The folders for `program`: the user folder is `program` when it is the user's own and it and
// its sample folder `sampleFolderName` are writable, else `userData`, made (with its sample
// folder) when missing.
DataFolders chooseDataFolders(const std::filesystem::path& program,
                              const std::filesystem::path& userData,
                              const std::string& sampleFolderName);

// The names of the regular files of `folder` that `keep` accepts, as UTF-8; empty when the
// folder cannot be read.
template <typename Keep>
std::vector<std::string> folderFileNames(const std::filesystem::path& folder, Keep keep) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored)) continue;
        const std::u8string raw = it->path().filename().u8string();
        std::string name(raw.begin(), raw.end());
        if (keep(name)) names.push_back(std::move(name));
    }
    return names;
}

template <typename Keep> std::vector<std::string> DataFolders::names(Keep keep) const {
    std::vector<std::string> all = folderFileNames(user, keep);
    if (!separate()) return all;
    const std::size_t own = all.size();
    for (std::string& name : folderFileNames(program, keep)) {
        bool hidden = false;
        for (std::size_t i = 0; i < own && !hidden; ++i)
            hidden = all[i] == name;
        if (!hidden) all.push_back(std::move(name));
    }
    return all;
}

} // namespace zembera
