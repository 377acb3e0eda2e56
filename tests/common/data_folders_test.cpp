#include "common/data_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/golden.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// Writes `text` to `file`, making its folder.
void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// Where the bundled data and the user's files are found, as an approved dump of paths under the
// test's folder: the executable's folder first, then the installed share folder (a build, an
// install, both, neither); then the user's file winning on the same name, both folders listed
// (a folder named like a file is no file), a name missing in both taking the bundled folder,
// and one folder for both (a writable program folder) reading its files only; last the folders
// chosen for a writable program folder (nothing made for the user) and for one that cannot take
// files (here: none there at all; as root every existing folder is writable, the installed run as
// another user checks the read-only one).
TEST(DataFolders, TheExecutablesFolderFirstAndTheUsersFileWins) {
    const fs::path dir = fs::temp_directory_path() / "zembera_folders";
    fs::remove_all(dir);
    write(dir / "program" / "Dizek.txt", "t");
    fs::create_directories(dir / "usr" / "bin");
    write(dir / "usr" / "share" / "zembera" / "Dizek.txt", "t");
    write(dir / "both" / "bin" / "Dizek.txt", "t");
    write(dir / "both" / "share" / "zembera" / "Dizek.txt", "t");
    fs::create_directories(dir / "bare" / "bin");
    const auto shown = [&dir](const fs::path& p) { return p.lexically_relative(dir).string(); };
    std::string out;
    for (const char* executable : {"program", "usr/bin", "both/bin", "bare/bin"})
        out += std::string(executable) + " -> " + shown(bundledDataFolder(dir / executable)) + "\n";

    const DataFolders folders{dir / "bundled", dir / "user"};
    write(folders.program / "Rast.mkm", "bundled");
    write(folders.program / "Hicaz.mkm", "bundled");
    write(folders.user / "Rast.mkm", "own");
    write(folders.user / "Benim.mkm", "own");
    write(folders.user / "notlar.txt", "own");
    fs::create_directories(folders.user / "klasör.mkm");
    const auto makams = [](const std::string& n) { return n.ends_with(".mkm"); };
    const DataFolders one{folders.program, folders.program};
    for (const DataFolders& f : {folders, one}) {
        out += f.separate() ? "# iki klasör:" : "# tek klasör:";
        std::vector<std::string> names = f.names(makams);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            out += " " + name;
        out += "\n";
        for (const char* name : {"Rast.mkm", "Hicaz.mkm", "Benim.mkm", "yok.mkm"})
            out += std::string(name) + " -> " + shown(f.find(name)) + "\n";
    }
    fs::create_directories(dir / "program" / "wavs");
    for (const char* program : {"program", "absent"}) {
        const DataFolders chosen = chooseDataFolders(dir / program, dir / "home" / "Z", "wavs");
        out += std::string(program) + ": " + shown(chosen.program) + ", " + shown(chosen.user) +
               (fs::exists(dir / "home") ? ", ev klasörü var" : "") +
               (fs::is_directory(dir / "home" / "Z" / "wavs") ? " ve wavs" : "") +
               (fs::exists(dir / "absent") ? ", program klasörü yapıldı" : "") + "\n";
    }
    test::expectGolden("common/data_folders.txt", out);
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
