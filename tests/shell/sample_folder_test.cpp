#include "shell/sample_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/program_folder.h"

namespace zembera {
namespace {

const std::string kNaming = "Ses Dosyalarında hatalı isimlendirme var.";
const std::string kFrequency = "Ses Dosyalarında hatalı frekans var.";

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

TEST(SampleNames, GoodFolderFillsNamesAndAliasesOfAnyTwoCharacters) {
    const auto check = checkSampleNames(with(0, "01_013081_çğ.wav"));
    ASSERT_FALSE(check.error) << *check.error;
    EXPECT_THAT(std::pair(check.folder.sampleFileName[1], check.folder.sampleFileName[2]),
                ::testing::Pair("01_013081_çğ.wav", "02_013081_ab.wav"));
    EXPECT_THAT(std::pair(check.folder.mciAlias[1], check.folder.mciAlias[26]),
                ::testing::Pair("çğ", "az"));
    EXPECT_FALSE(checkSampleNames(with(25, "26_131999_az.wav")).error); // the highest frequency
}

// The count is checked first; then the first bad name in list order decides.
TEST(SampleNames, FaultsAreNamedByTheirMessage) {
    const std::string count = " ses dosyası bulundu. 26 olması gerekir.";
    auto fewer = goodNames();
    fewer.pop_back();
    auto more = goodNames();
    more.push_back("bad name.wav");
    auto frequencyFirst = with(3, "04_999999_ad.wav");
    frequencyFirst[10] = "11_013081_ak.WAV";
    const std::pair<std::vector<std::string>, std::string> lists[] = {
        {fewer, "25" + count},
        {more, "27" + count},
        {{}, "0" + count},
        {with(25, "26_132000_az.wav"), kFrequency},
        {frequencyFirst, kFrequency}};
    for (const auto& [names, error] : lists)
        EXPECT_EQ(checkSampleNames(names).error, error) << names.size();

    // {place in the list, name}
    const std::vector<std::pair<int, std::string>> misnamed{
        {0, "01_013081_ab.WAV"},  // upper-case extension
        {0, "01_013081_abx.wav"}, // 17 characters
        {0, "1_013081_ab.wav"},   // 15 characters
        {25, "27_013081_ab.wav"}, // no string 27
        {0, "01-013081_ab.wav"},
        {0, "01_013081-ab.wav"},
        // A string number 0, or one given twice, leaves some string without its sample.
        {0, "00_013081_aa.wav"},
        {0, "ab_013081_aa.wav"},
        {0, "02_013081_aa.wav"},
        // A frequency field that gives no pitch: zero, negative, not six digits.
        {0, "01_000000_aa.wav"},
        {0, "01_-13081_aa.wav"},
        {0, "01_+13081_aa.wav"},
        {0, "01_ 13081_aa.wav"},
        {0, "01_0130x1_aa.wav"},
        {0, "01_01.081_aa.wav"},
    };
    for (const auto& [index, name] : misnamed)
        EXPECT_EQ(checkSampleNames(with(index, name)).error, kNaming) << name;
}

TEST(SampleFolder, ListsWavFilesInAnyCaseSortedAndSkipsTheRest) {
    const auto dir = std::filesystem::temp_directory_path() / "zembera_sample_folder_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "sub.wav");
    for (const char* name : {"02_013081_ab.wav", "01_013081_ab.WAV", "12zz.zz", "notes.txt"})
        std::ofstream(dir / name) << "x";
    EXPECT_THAT(listWavFiles(dir), ::testing::ElementsAre("01_013081_ab.WAV", "02_013081_ab.wav"));
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(listWavFiles(dir).empty()); // a missing folder lists nothing
}

} // namespace
} // namespace zembera
