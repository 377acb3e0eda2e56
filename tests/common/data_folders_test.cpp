#include "common/data_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "support/golden.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// The executable's folder before the installed share folder; the user's file winning on a name;
// one folder for both; the folders chosen for a writable program folder and for a missing one.
TEST(DataFolders, TheExecutablesFolderFirstAndTheUsersFileWins) {
    const fs::path dir = fs::temp_directory_path() / "zembera_folders";
    fs::remove_all(dir);
    for (const char* folder : {"usr/bin", "bare/bin", "user/klasör.mkm", "program/wavs"})
        fs::create_directories(dir / folder);
    for (const char* file :
         {"program/Dizek.txt", "usr/share/zembera/Dizek.txt", "both/bin/Dizek.txt",
          "both/share/zembera/Dizek.txt", "bundled/Rast.mkm", "bundled/Hicaz.mkm", "user/Rast.mkm",
          "user/Benim.mkm", "user/notlar.txt"}) {
        fs::create_directories((dir / file).parent_path());
        std::ofstream(dir / file) << "t";
    }
    const auto shown = [&dir](const fs::path& p) { return p.lexically_relative(dir).string(); };
    std::string out;
    for (const char* executable : {"program", "usr/bin", "both/bin", "bare/bin"})
        out += std::string(executable) + " -> " + shown(bundledDataFolder(dir / executable)) + "\n";

    const DataFolders folders{dir / "bundled", dir / "user"};
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

// A writable program folder of another user is shared: the user's files go to the user's folder,
// so that a bundled file there is never replaced.
TEST(DataFolders, ASharedProgramFolderKeepsTheUsersFilesApart) {
    if (::geteuid() != 0) GTEST_SKIP() << "a folder of another user needs root to make";
    const fs::path dir = fs::temp_directory_path() / "zembera_shared_folder";
    fs::remove_all(dir);
    fs::create_directories(dir / "program" / "wavs");
    EXPECT_FALSE(chooseDataFolders(dir / "program", dir / "ev", "wavs").separate());
    ASSERT_EQ(::chown((dir / "program").c_str(), 65534, 65534), 0);
    const DataFolders shared = chooseDataFolders(dir / "program", dir / "ev", "wavs");
    EXPECT_EQ(shared.user, dir / "ev");
    EXPECT_TRUE(fs::is_directory(dir / "ev" / "wavs"));
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
