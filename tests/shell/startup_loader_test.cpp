#include "shell/startup_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/program_folder.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;
using test::twoDigits;

// A program folder with 26 samples at 262 Hz and a table that puts every string 8-26 at 0 cents
// in position 0 (so string 17 uses its sample as it is).
class ProgramFolder : public ::testing::Test {
  protected:
    void SetUp() override { test::makeProgramFolder(dir); }
    void TearDown() override { fs::remove_all(dir); }

    StartupResult load() { return loadProgram(dir, messages); }

    const fs::path dir =
        fs::temp_directory_path() /
        ("zembera_loader_" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    RecordedMessages messages;
};

TEST_F(ProgramFolder, LoadsWithStartValues) {
    const StartupResult r = load();
    ASSERT_FALSE(r.fatal) << *r.fatal;
    const LoadedProgram& p = *r.program;
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(p.instrument.currentString, 12);
    EXPECT_EQ(p.instrument.lastString, 1);
    EXPECT_TRUE(p.instrument.untransposedShown);
    EXPECT_EQ(p.tuning.ahenkIndex, 5);
    EXPECT_EQ(p.tuning.ahenkShift, 0);
    EXPECT_EQ(p.keyNames[0], "--");
    const std::string keys = "QWERTYUIOPASDFGHJKLZXCVBNM";
    for (int s = 1; s <= 26; ++s) {
        EXPECT_EQ(p.instrument.mandalPos[s], 0);
        EXPECT_EQ(p.tuning.tuningOffset[s], 0);
        EXPECT_EQ(p.instrument.mandalMin[s], mandalMinOf(s));
        EXPECT_EQ(p.instrument.mandalMax[s], mandalMaxOf(s));
        EXPECT_EQ(p.keyNames[s], std::string(" ") + keys[s - 1]);
        EXPECT_EQ(p.samples.mciAlias[s], twoDigits(s));
        ASSERT_TRUE(p.sounds->stringSound(s)) << s;
        EXPECT_GT(p.sounds->stringSound(s)->size(), 44u) << s;
    }
    EXPECT_EQ(p.instrument.playStart[0], 640);
    EXPECT_EQ(p.instrument.playStart[1], 623);
    EXPECT_EQ(p.instrument.playStart[26], 198);
    // String 17 sounds at exactly its sample's pitch: the image is the sample file itself.
    std::ifstream sample(dir / "wavs" / "17_026200_17.wav", std::ios::binary);
    const SoundImage bytes((std::istreambuf_iterator<char>(sample)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(*p.sounds->stringSound(17), bytes);
}

TEST_F(ProgramFolder, SampleFolderFaultEndsTheProgramWithItsMessage) {
    // The other faults of the folder and their messages are checked with the folder check.
    fs::remove(dir / "wavs" / "05_026200_05.wav");
    EXPECT_EQ(load().fatal, "25 ses dosyası bulundu. 26 olması gerekir.");
}

TEST_F(ProgramFolder, TableNameMustMatchExactly) {
    fs::rename(dir / "Dizek.txt", dir / "dizek.txt");
    EXPECT_EQ(load().fatal, "Dizek.txt  isimli excell dosyası bulunamadı");
}

TEST_F(ProgramFolder, MalformedTableEndsTheProgramNamingFileAndLine) {
    std::ofstream(dir / "Dizek.txt", std::ios::binary)
        << test::tableText({"5, 30,0, 0,0, 0, \"n\", 0,0"});
    const auto fatal = load().fatal;
    ASSERT_TRUE(fatal);
    EXPECT_NE(fatal->find("Dizek.txt"), std::string::npos);
    EXPECT_NE(fatal->find("41. satır"), std::string::npos);
}

TEST_F(ProgramFolder, EmptySampleIsReportedAndItsStringStaysSilent) {
    std::ofstream(dir / "wavs" / "03_026200_03.wav", std::ios::trunc | std::ios::binary);
    const StartupResult r = load();
    ASSERT_FALSE(r.fatal);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"File format not recognized!\n"
                                                       "03_026200_03.wav: wav okunamadı"});
    const auto silent = r.program->sounds->stringSound(3);
    EXPECT_TRUE(!silent || silent->size() <= 44u);
    // The other strings are unaffected.
    EXPECT_GT(r.program->sounds->stringSound(4)->size(), 44u);
}

} // namespace
} // namespace zembera
