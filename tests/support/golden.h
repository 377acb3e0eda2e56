#pragma once
// Checks a text a test produced against its approved copy in tests/data/golden/. A whole dump
// catches any change in what it lists, where hand-picked values catch only the ones picked.
// ZEMBERA_UPDATE_GOLDEN=1 writes the copy instead: read its diff before committing it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zembera::test {

inline std::filesystem::path goldenPath(const std::string& name) {
    return std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "golden" / name;
}

inline bool updatingGolden() {
    return std::getenv("ZEMBERA_UPDATE_GOLDEN") != nullptr;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Reports every line that differs, as a diff (a longest common subsequence of the lines): lines
// only in the approved copy "-", only in the new text "+", each with its line number, up to 60,
// so that one change neither hides another further down nor shifts the rest into the report.
inline void expectGolden(const std::string& name, const std::string& text) {
    const auto file = goldenPath(name);
    if (updatingGolden()) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file << " is missing; run once with ZEMBERA_UPDATE_GOLDEN=1";
    const std::string approved{std::istreambuf_iterator<char>(in), {}};
    if (text == approved) return;
    const std::vector<std::string> a = linesOf(approved), b = linesOf(text);
    if (a == b) {
        ADD_FAILURE() << name << " differs only in its line ends";
        return;
    }
    // common[i][j]: the longest common subsequence of a[i..] and b[j..].
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    std::ostringstream report;
    int differing = 0;
    const auto line = [&](char sign, std::size_t at, const std::string& text) {
        if (++differing <= 60) report << "\n" << sign << (at + 1) << ": " << text;
    };
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i, ++j;
        } else if (j == b.size() || (i < a.size() && common[i + 1][j] >= common[i][j + 1])) {
            line('-', i, a[i]);
            ++i;
        } else {
            line('+', j, b[j]);
            ++j;
        }
    }
    ADD_FAILURE() << name << ": " << differing << " line(s) differ (- approved, + now)"
                  << report.str();
}

} // namespace zembera::test
