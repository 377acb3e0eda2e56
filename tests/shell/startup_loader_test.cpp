#include "shell/startup_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sound/sound_test_support.h"
#include "support/golden.h"
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

TEST_F(ProgramFolder, LoadsWithTheApprovedStartValues) {
    const StartupResult r = load();
    ASSERT_FALSE(r.fatal) << *r.fatal;
    const LoadedProgram& p = *r.program;
    EXPECT_THAT(messages.shown, ::testing::IsEmpty());
    std::ostringstream log;
    log << "seçili " << p.instrument.currentString << ", son " << p.instrument.lastString
        << ", asıl görünüm " << p.instrument.untransposedShown << ", ayrıntı "
        << p.instrument.detailShown << ", ahenk " << p.tuning.ahenkIndex << "\n";
    for (int s = 0; s <= 26; ++s)
        log << "tel " << s << ": tuş [" << p.keyNames[s] << "] takma ad " << p.samples.mciAlias[s]
            << ", mandal " << p.instrument.mandalMin[s] << ".." << p.instrument.mandalMax[s]
            << ", çekme " << p.instrument.playStart[s] << ", ses "
            << (s > 0 ? p.sounds->stringSound(s)->size() : 0) << " bayt\n";
    test::expectGolden("shell/start_values.txt", log.str());
    // String 17 sounds at exactly its sample's pitch: the image is the sample file itself.
    EXPECT_EQ(*p.sounds->stringSound(17),
              test::asImage(test::readFile(dir / "wavs" / "17_026200_17.wav")));
}

// Folder states, each on top of the one before, with what each tells: unusable samples are named
// in one message and only their strings fall silent (a cue point names its chunk "data" and a
// comment may hold the word: neither is the sound); a table not named exactly, a malformed table
// naming its file and line, a missing sample end the program with their message.
TEST_F(ProgramFolder, EachFolderStateGivesItsApprovedMessage) {
    using test::Bytes;
    Bytes cueOnly = test::riffAndFormat(1, 44100, 16);
    cueOnly.id("cue ").u32(28).u32(1).u32(1).u32(0).id("data").u32(0).u32(0).u32(0);
    Bytes commentOnly = test::riffAndFormat(1, 44100, 16);
    commentOnly.id("LIST").u32(20).id("INFO").id("ICMT").u32(8).id("data").u32(4410);
    Bytes fastRate = test::riffAndFormat(1, 300000, 24);
    fastRate.id("data").u32(6).fill(6, 1);
    Bytes noRate = test::riffAndFormat(2, 0, 24);
    noRate.id("data").u32(6).fill(6, 1);
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> broken{
        {"03_026200_03.wav", {}},
        {"05_026200_05.wav", {'t', 'e', 'x', 't'}},
        {"08_026200_08.wav", cueOnly.data},
        {"09_026200_09.wav", commentOnly.data},
        {"17_026200_17.wav", fastRate.data},
        {"20_026200_20.wav", noRate.data},
    };
    for (const auto& [name, bytes] : broken)
        test::writeFile(dir / "wavs" / name, bytes);
    std::ostringstream log;
    const auto loadAndLog = [&](const std::string& state) {
        messages.shown.clear();
        const StartupResult r = load();
        log << "== " << state << "\n";
        if (r.fatal) {
            log << "son: " << *r.fatal << "\n";
            return;
        }
        for (const std::string& message : messages.shown)
            log << message << "\n";
        log << "sessiz:";
        for (int s = 1; s <= 26; ++s)
            log << (r.program->sounds->stringSound(s)->empty() ? " " + std::to_string(s) : "");
        // Later preparations of a silent string say nothing more.
        r.program->sounds->PrepareStringSound(8, 1, r.program->tables, 0);
        log << "\nsonra " << messages.shown.size() << " mesaj\n";
    };
    loadAndLog("bozuk örnekler");
    fs::rename(dir / "Dizek.txt", dir / "dizek.txt");
    loadAndLog("dizek.txt");
    std::ofstream(dir / "Dizek.txt", std::ios::binary)
        << test::tableText({"5, 30,0, 0,0, 0, \"n\", 0,0"});
    loadAndLog("bozuk Dizek.txt");
    fs::remove(dir / "wavs" / "05_026200_05.wav");
    loadAndLog("25 örnek");
    test::expectGolden("shell/folder_states.txt", log.str());
}

} // namespace
} // namespace zembera
