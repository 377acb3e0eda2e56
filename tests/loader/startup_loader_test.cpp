#include "loader/sample_folder.h"
#include "loader/startup_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/golden.h"
#include "support/loaded_program.h"
#include "support/program_folder.h"
#include "support/wav_files.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// String 17 sounds its sample as it is; then folder states, each on top of the one before, with
// their messages: broken samples silence only their strings, a bad or missing table ends the start.
TEST(StartupLoader, EachFolderStateGivesItsMessage) {
    const fs::path dir = fs::temp_directory_path() / "zembera_loader";
    test::makeProgramFolder(dir); // 262 Hz samples, strings 8-26 at 0 cents in position 0
    RecordedMessages messages;
    const auto load = [&] { return loadProgram(dir, messages); };
    const std::vector<std::uint8_t> file = test::readFile(dir / "wavs" / "17_026200_17.wav");
    EXPECT_EQ(test::stringSound(*load().program, 17),
              test::samplesIn(std::span(file).subspan(WavHeader::kSize)));
    using test::Bytes;
    Bytes cueOnly = test::riffAndFormat(1, 44100, 16);
    cueOnly.id("cue ").u32(28).u32(1).u32(1).u32(0).id("data").u32(0).u32(0).u32(0);
    Bytes commentOnly = test::riffAndFormat(1, 44100, 16);
    commentOnly.id("LIST").u32(20).id("INFO").id("ICMT").u32(8).id("data").u32(4410);
    Bytes fastRate = test::riffAndFormat(1, 300000, 24);
    fastRate.id("data").u32(6).fill(6, 1);
    Bytes noRate = test::riffAndFormat(2, 0, 24);
    noRate.id("data").u32(6).fill(6, 1);
    const struct {
        std::string name;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    } broken[] = {
        {"03_026200_03.wav", {}, "wav okunamadı"},
        {"05_026200_05.wav", {'t', 'e', 'x', 't'}, "WAV dosyası değil"},
        {"08_026200_08.wav", cueOnly.data, "data bölümü bulunamadı"},
        {"09_026200_09.wav", commentOnly.data, "data bölümü bulunamadı"},
        {"17_026200_17.wav", fastRate.data,
         "örnekleme hızı 300000 Hz; 8000 ile 192000 Hz arasında olmalı"},
        {"20_026200_20.wav", noRate.data, "ses biçimi okunamıyor"},
    };
    for (const auto& b : broken)
        test::writeFile(dir / "wavs" / b.name, b.bytes);
    fs::create_directories(dir / "wavs" / "sub.wav"); // neither it nor the scratch file is a sample
    std::ofstream(dir / "wavs" / "12zz.zz") << "x";
    // The broken samples are named with their reasons and only their strings are silent.
    const auto expectBroken = [&](const std::string& upper) {
        messages.shown.clear();
        const StartupResult r = load();
        ASSERT_FALSE(r.fatal) << *r.fatal;
        std::string told = "Bu ses dosyaları kullanılamıyor, telleri sessiz kalır:";
        for (const auto& b : broken)
            told +=
                "\n" + (b.name == upper ? upper.substr(0, 13) + "WAV" : b.name) + ": " + b.reason;
        EXPECT_EQ(messages.shown, std::vector<std::string>{told});
        for (int s = 1; s <= 26; ++s) {
            const bool silent = std::any_of(std::begin(broken), std::end(broken), [&](auto& b) {
                return std::stoi(b.name.substr(0, 2)) == s;
            });
            EXPECT_EQ(test::stringSound(*r.program, s).empty(), silent) << s;
        }
    };
    const auto expectEnd = [&](const std::string& fatal) {
        const StartupResult r = load();
        EXPECT_EQ(r.fatal.value_or(""), fatal);
    };
    expectBroken("");
    fs::rename(dir / "Dizek.txt", dir / "dizek.txt");
    expectEnd("Dizek.txt  isimli excell dosyası bulunamadı");
    std::ofstream(dir / "Dizek.txt", std::ios::binary)
        << test::tableText({"5, 30,0, 0,0, 0, \"n\", 0,0"});
    expectEnd("Dizek.txt dosyasının 41. satırında hata: tel numarası -32768 ile 26 arasında "
              "olmalı, \"30\" bulundu");
    // The good table back: a sample named in upper case is then loaded like any other.
    fs::rename(dir / "dizek.txt", dir / "Dizek.txt");
    fs::rename(dir / "wavs" / "05_026200_05.wav", dir / "wavs" / "05_026200_05.WAV");
    expectBroken("05_026200_05.wav");
    fs::remove_all(dir / "wavs");
    expectEnd("0 ses dosyası bulundu. 26 olması gerekir.\nwavs klasörü bulunamadı");
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

// A count other than 26 names the strings left without a sample and why the file meant for each
// was not taken (a FIFO, a folder, a link to nothing, another extension, none at all), or the
// string given more than one.
TEST(SampleNames, TheCountMessageNamesTheStringsWithoutASampleAndWhy) {
    const fs::path dir = fs::temp_directory_path() / "zembera_count";
    const auto fresh = [&] {
        fs::remove_all(dir);
        fs::create_directories(dir);
        for (const std::string& name : goodNames())
            std::ofstream(dir / name) << "x";
    };
    const auto name = [](int s) { return goodNames()[static_cast<std::size_t>(s - 1)]; };
    fresh();
    for (int s : {5, 9, 12, 20, 26})
        fs::remove(dir / name(s));
    ASSERT_EQ(::mkfifo((dir / name(5)).c_str(), 0600), 0);
    fs::create_directory(dir / name(9));
    std::ofstream(dir / (name(12) + ".bak")) << "x";
    fs::create_symlink(dir / "yok", dir / name(20));
    EXPECT_EQ(*checkSampleFolder(dir).error,
              "21 ses dosyası bulundu. 26 olması gerekir.\n"
              "Dosyası olmayan teller: 26\n05. tel: " +
                  name(5) + ": normal bir dosya değil\n09. tel: " + name(9) +
                  ": bir klasör\n12. tel: " + name(12) + ".bak: adı .wav ile bitmiyor\n20. tel: " +
                  name(20) + ": bağlantı bir dosyaya gitmiyor");
    fresh();
    std::ofstream(dir / "03_013081_xx.wav") << "x";
    EXPECT_EQ(*checkSampleFolder(dir).error, "27 ses dosyası bulundu. 26 olması gerekir.\n03. "
                                             "telin birden çok dosyası var: " +
                                                 name(3) + " 03_013081_xx.wav");
    fs::remove_all(dir);
}

} // namespace
} // namespace zembera
