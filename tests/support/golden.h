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
    // The lines alike at both ends are left out; common[i][j] is the longest common subsequence
    // of a[i..] and b[j..] in between (when that table stays small; else all between differ).
    std::size_t first = 0, endA = a.size(), endB = b.size();
    while (first < endA && first < endB && a[first] == b[first])
        ++first;
    while (endA > first && endB > first && a[endA - 1] == b[endB - 1])
        --endA, --endB;
    const std::size_t rows = endA - first, columns = endB - first;
    const bool small = rows * columns <= 4'000'000;
    std::vector<std::vector<int>> common(small ? rows + 1 : 1,
                                         std::vector<int>(small ? columns + 1 : 1));
    for (std::size_t i = small ? rows : 0; i-- > 0;)
        for (std::size_t j = columns; j-- > 0;)
            common[i][j] = a[first + i] == b[first + j]
                               ? common[i + 1][j + 1] + 1
                               : std::max(common[i + 1][j], common[i][j + 1]);
    std::ostringstream report;
    int differing = 0;
    const auto line = [&](char sign, std::size_t at, const std::string& text) {
        if (++differing <= 60) report << "\n" << sign << (first + at + 1) << ": " << text;
    };
    std::size_t i = 0, j = 0;
    while (i < rows || j < columns) {
        if (small && i < rows && j < columns && a[first + i] == b[first + j]) {
            ++i, ++j;
        } else if (j == columns || (i < rows && (!small || common[i + 1][j] >= common[i][j + 1]))) {
            line('-', i, a[first + i]);
            ++i;
        } else {
            line('+', j, b[first + j]);
            ++j;
        }
    }
    ADD_FAILURE() << name << ": " << differing << " line(s) differ (- approved, + now)"
                  << report.str();
}

} // namespace zembera::test
