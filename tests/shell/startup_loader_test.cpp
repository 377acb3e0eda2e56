#include "shell/startup_loader.h"

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

// String 17 sounds its sample as it is; then folder states, each on top of the one before, with
// their messages: broken samples silence only their strings, a bad or missing table ends the start.
TEST(StartupLoader, EachFolderStateGivesItsApprovedMessage) {
    const fs::path dir = fs::temp_directory_path() / "zembera_loader";
    test::makeProgramFolder(dir); // 262 Hz samples, strings 8-26 at 0 cents in position 0
    RecordedMessages messages;
    const auto load = [&] { return loadProgram(dir, messages); };
    EXPECT_EQ(*load().program->sounds->stringSound(17),
              test::asImage(test::readFile(dir / "wavs" / "17_026200_17.wav")));
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
    fs::create_directories(dir / "wavs" / "sub.wav"); // neither it nor the scratch file is a sample
    std::ofstream(dir / "wavs" / "12zz.zz") << "x";
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
    fs::rename(dir / "wavs" / "05_026200_05.wav", dir / "wavs" / "05_026200_05.WAV");
    loadAndLog("büyük harfli WAV");
    fs::remove_all(dir / "wavs");
    loadAndLog("örnek klasörü yok");
    test::expectGolden("shell/folder_states.txt", log.str());
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
