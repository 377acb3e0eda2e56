#include "shell/sample_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/golden.h"
#include "support/program_folder.h"

namespace zembera {
namespace {

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
    test::expectGolden("shell/sample_names.txt", log.str());
}

} // namespace
} // namespace zembera
