#include "loader/sample_folder.h"
#include "loader/startup_loader.h"

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
    // The good table back: a sample named in upper case is then loaded like any other.
    fs::rename(dir / "dizek.txt", dir / "Dizek.txt");
    fs::rename(dir / "wavs" / "05_026200_05.wav", dir / "wavs" / "05_026200_05.WAV");
    loadAndLog("büyük harfli WAV");
    fs::remove_all(dir / "wavs");
    loadAndLog("örnek klasörü yok");
    test::expectGolden("loader/folder_states.txt", log.str());
    fs::remove_all(dir);
}

// 26 good names, string s with label "aa".."az".
std::vector<std::string> goodNames() {
    std::vector<std::string> names;
    for (int s = 1; s <= 26; ++s)
        names.push_back(test::twoDigits(s) + "_013081_a" + static_cast<char>('a' + s - 1) + ".wav");
    return names;
}

std::vector<std::string> with(int index, const std::string& name) {
    auto names = goodNames();
    names[static_cast<std::size_t>(index)] = name;
    return names;
}

// The count is checked first, then the first bad name in list order decides; a good folder fills
// the names and aliases of any two characters.
TEST(SampleNames, EachListIsJudgedAsApproved) {
    auto fewer = goodNames();
    fewer.pop_back();
    auto more = goodNames();
    more.push_back("bad name.wav");
    auto frequencyFirst = with(3, "04_999999_ad.wav");
    frequencyFirst[10] = "11_013081_ak.WAV";
    std::vector<std::pair<std::string, std::vector<std::string>>> lists = {
        {"25 dosya", fewer}, {"27 dosya", more}, {"önce frekans", frequencyFirst}};
    // {place, name}: any alias, the highest frequency and one above, an upper-case extension, a
    // long name, string 27, 0 or twice, a wrong separator, frequencies that give no pitch.
    const std::pair<int, std::string> named[] = {
        {0, "01_013081_çğ.wav"}, {25, "26_131999_az.wav"}, {25, "26_132000_az.wav"},
        {0, "01_013081_ab.WAV"}, {0, "01_013081_abx.wav"}, {25, "27_013081_ab.wav"},
        {0, "00_013081_aa.wav"}, {0, "02_013081_aa.wav"},  {0, "01-013081_ab.wav"},
        {0, "01_000000_aa.wav"}, {0, "01_-13081_aa.wav"},  {0, "01_0130x1_aa.wav"}};
    for (const auto& [index, name] : named)
        lists.emplace_back(std::to_string(index + 1) + ". " + name, with(index, name));
    std::ostringstream log;
    for (const auto& [title, names] : lists) {
        const auto check = checkSampleNames(names);
        log << title << ": ";
        if (check.error)
            log << *check.error << "\n";
        else
            log << check.folder.sampleFileName[1] << " " << check.folder.mciAlias[1] << ", "
                << check.folder.sampleFileName[26] << " " << check.folder.mciAlias[26] << "\n";
    }
    test::expectGolden("loader/sample_names.txt", log.str());
}

} // namespace
} // namespace zembera
