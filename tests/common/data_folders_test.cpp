#include "common/data_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

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

TEST_F(DataFoldersTest, TheExecutablesFolderFirstThenTheInstalledShareFolder) {
    // A build or unpacked program folder: the table beside the executable.
    write(dir / "program" / "Dizek.txt", "t");
    // An install: the executable in bin, the table in share/zembera.
    fs::create_directories(dir / "usr" / "bin");
    write(dir / "usr" / "share" / "zembera" / "Dizek.txt", "t");
    // Both beside and under share: the executable's own folder wins.
    write(dir / "both" / "bin" / "Dizek.txt", "t");
    write(dir / "both" / "share" / "zembera" / "Dizek.txt", "t");
    // Neither: the executable's folder, whose missing table start-up reports.
    fs::create_directories(dir / "bare" / "bin");
    const struct {
        fs::path executable, expected;
    } cases[] = {
        {dir / "program", dir / "program"},
        {dir / "usr" / "bin", dir / "usr" / "share" / "zembera"},
        {dir / "both" / "bin", dir / "both" / "bin"},
        {dir / "bare" / "bin", dir / "bare" / "bin"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bundledDataFolder(c.executable), c.expected) << c.executable;
}

TEST_F(DataFoldersTest, TheUsersFileWinsOnTheSameNameAndBothFoldersAreListed) {
    const DataFolders folders{dir / "bundled", dir / "user"};
    write(folders.program / "Rast.mkm", "bundled");
    write(folders.program / "Hicaz.mkm", "bundled");
    write(folders.user / "Rast.mkm", "own");
    write(folders.user / "Benim.mkm", "own");
    write(folders.user / "notlar.txt", "own");
    fs::create_directories(folders.user / "klasör.mkm"); // a folder is no file
    const auto makams = [](const std::string& n) { return n.ends_with(".mkm"); };

    EXPECT_TRUE(folders.separate());
    EXPECT_EQ(sorted(folders.names(makams)),
              (std::vector<std::string>{"Benim.mkm", "Hicaz.mkm", "Rast.mkm"}));
    const struct {
        const char* name;
        fs::path expected;
    } finds[] = {
        {"Rast.mkm", folders.user / "Rast.mkm"},
        {"Hicaz.mkm", folders.program / "Hicaz.mkm"},
        {"Benim.mkm", folders.user / "Benim.mkm"},
        {"yok.mkm", folders.program / "yok.mkm"}, // missing in both: the bundled name
    };
    for (const auto& f : finds)
        EXPECT_EQ(folders.find(f.name), f.expected) << f.name;

    // One folder for both (a writable program folder): its files only, read from it.
    const DataFolders one{folders.program, folders.program};
    EXPECT_FALSE(one.separate());
    EXPECT_EQ(sorted(one.names(makams)), (std::vector<std::string>{"Hicaz.mkm", "Rast.mkm"}));
    EXPECT_EQ(one.find("Benim.mkm"), folders.program / "Benim.mkm");
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
