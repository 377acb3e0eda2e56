#include "shell/startup_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "sound/wav_header.h"
#include "support/pitch_table_text.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

std::string twoDigits(int s) {
    return (s < 10 ? "0" : "") + std::to_string(s);
}

void writeSample(const fs::path& file, double hz, int frames) {
    WavHeader h;
    BuildWavHeader(h, frames, 1, 44100, 16);
    const auto head = headerBytes(h);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data()), head.size());
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / 44100));
        out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
    }
}

// A program folder with 26 samples at 262 Hz (so string 17, at 0 cents, uses its sample as it
// is) and a table that puts every string 8-26 at 0 cents.
class ProgramFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zembera_loader_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir / "wavs");
        for (int s = 1; s <= 26; ++s) {
            writeSample(dir / "wavs" / (twoDigits(s) + "_026200_" + twoDigits(s) + ".wav"), 262,
                        4410);
        }
        std::vector<std::string> records;
        for (int s = 8; s <= 26; ++s) {
            records.push_back(std::to_string(s) + ", " + std::to_string(s) +
                              ",0, 0,0, 0, \"n\", 0,0");
        }
        std::ofstream(dir / "Dizek.txt", std::ios::binary) << test::tableText(records);
    }
    void TearDown() override { fs::remove_all(dir); }

    StartupResult load() { return loadProgram(dir, messages); }

    fs::path dir;
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
    for (int s = 1; s <= 26; ++s) {
        EXPECT_EQ(p.instrument.mandalPos[s], 0);
        EXPECT_EQ(p.tuning.tuningOffset[s], 0);
        EXPECT_EQ(p.samples.mciAlias[s], twoDigits(s));
        ASSERT_TRUE(p.sounds->stringSound(s)) << s;
        EXPECT_GT(p.sounds->stringSound(s)->size(), 44u) << s;
    }
    EXPECT_EQ(p.instrument.mandalMin[1], -5);
    EXPECT_EQ(p.instrument.mandalMin[5], -7);
    EXPECT_EQ(p.instrument.mandalMin[8], -8);
    EXPECT_EQ(p.instrument.mandalMax[1], 6);
    EXPECT_EQ(p.instrument.mandalMax[4], 8);
    EXPECT_EQ(p.instrument.mandalMax[7], 10);
    EXPECT_EQ(p.instrument.mandalMax[26], 12);
    EXPECT_EQ(p.instrument.playStart[0], 640);
    EXPECT_EQ(p.instrument.playStart[1], 623);
    EXPECT_EQ(p.instrument.playStart[26], 198);
    EXPECT_EQ(p.keyNames[0], "--");
    EXPECT_EQ(p.keyNames[1], " Q");
    EXPECT_EQ(p.keyNames[10], " P");
    EXPECT_EQ(p.keyNames[11], " A");
    EXPECT_EQ(p.keyNames[19], " L");
    EXPECT_EQ(p.keyNames[20], " Z");
    EXPECT_EQ(p.keyNames[26], " M");
    // String 17 sounds at exactly its sample's pitch: the image is the sample file itself.
    std::ifstream sample(dir / "wavs" / "17_026200_17.wav", std::ios::binary);
    const SoundImage bytes((std::istreambuf_iterator<char>(sample)),
                           std::istreambuf_iterator<char>());
    EXPECT_EQ(*p.sounds->stringSound(17), bytes);
}

TEST_F(ProgramFolder, FolderFaultsEndTheProgramWithTheirMessage) {
    fs::remove(dir / "wavs" / "05_026200_05.wav");
    EXPECT_EQ(load().fatal, "25 ses dosyası bulundu. 26 olması gerekir.");
    writeSample(dir / "wavs" / "05_026200_05.wav", 262, 10);
    writeSample(dir / "wavs" / "27_026200_27.wav", 262, 10);
    EXPECT_EQ(load().fatal, "27 ses dosyası bulundu. 26 olması gerekir.");
    fs::remove(dir / "wavs" / "05_026200_05.wav");
    EXPECT_EQ(load().fatal, "Ses Dosyalarında hatalı isimlendirme var.");
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
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.front(), "wav okunamadı");
    const auto silent = r.program->sounds->stringSound(3);
    EXPECT_TRUE(!silent || silent->size() <= 44u);
    // The other strings are unaffected.
    EXPECT_GT(r.program->sounds->stringSound(4)->size(), 44u);
}

} // namespace
} // namespace zembera
