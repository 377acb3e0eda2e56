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

class DataFoldersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zembera_folders_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static std::vector<std::string> sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }
    fs::path dir;
};

// Where the bundled data and the user's files are found, as an approved dump of paths under the
// test's folder: the executable's folder first, then the installed share folder (a build, an
// install, both, neither); then the user's file winning on the same name, both folders listed
// (a folder named like a file is no file), a name missing in both taking the bundled folder,
// and one folder for both (a writable program folder) reading its files only.
TEST_F(DataFoldersTest, TheExecutablesFolderFirstAndTheUsersFileWins) {
    write(dir / "program" / "Dizek.txt", "t");
    fs::create_directories(dir / "usr" / "bin");
    write(dir / "usr" / "share" / "zembera" / "Dizek.txt", "t");
    write(dir / "both" / "bin" / "Dizek.txt", "t");
    write(dir / "both" / "share" / "zembera" / "Dizek.txt", "t");
    fs::create_directories(dir / "bare" / "bin");
    const auto shown = [this](const fs::path& p) { return p.lexically_relative(dir).string(); };
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
        for (const std::string& name : sorted(f.names(makams)))
            out += " " + name;
        out += "\n";
        for (const char* name : {"Rast.mkm", "Hicaz.mkm", "Benim.mkm", "yok.mkm"})
            out += std::string(name) + " -> " + shown(f.find(name)) + "\n";
    }
    test::expectGolden("common/data_folders.txt", out);
}

TEST_F(DataFoldersTest, AWritableProgramFolderKeepsTheUsersFilesAndAnOtherGoesToTheUserFolder) {
    const fs::path program = dir / "program";
    fs::create_directories(program / "wavs");
    const fs::path userData = dir / "home" / ".local" / "share" / "ZEMBERA";

    const DataFolders writable = chooseDataFolders(program, userData, "wavs");
    EXPECT_EQ(writable.program, program);
    EXPECT_EQ(writable.user, program);
    EXPECT_FALSE(fs::exists(dir / "home")); // nothing made for the user

    // A program folder that cannot take files (here: none there at all; as root every existing
    // folder is writable, the installed run as another user checks the read-only one).
    const fs::path absent = dir / "absent";
    const DataFolders elsewhere = chooseDataFolders(absent, userData, "wavs");
    EXPECT_EQ(elsewhere.program, absent);
    EXPECT_EQ(elsewhere.user, userData);
    EXPECT_TRUE(fs::is_directory(userData / "wavs"));
    EXPECT_FALSE(fs::exists(absent));
}

} // namespace
} // namespace zembera
