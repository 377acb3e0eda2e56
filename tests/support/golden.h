#pragma once
// Checks a text a test produced against its approved copy in tests/data/golden/. A whole dump
// catches any change in what it lists, where hand-picked values catch only the ones picked.
// ZEMBERA_UPDATE_GOLDEN=1 writes the copy instead: read its diff before committing it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zembera::test {

inline std::filesystem::path goldenPath(const std::string& name) {
    return std::filesystem::path(ZEMBERA_TEST_DATA_DIR) / "golden" / name;
}

inline bool updatingGolden() {
    return std::getenv("ZEMBERA_UPDATE_GOLDEN") != nullptr;
}

// Reports every line that differs (up to 40 of them, then their count), so that one change does
// not hide another further down the dump.
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
    std::istringstream want(approved), got(text);
    std::ostringstream report;
    int differing = 0;
    std::string w, g;
    for (int line = 1;; ++line) {
        const bool hasW = static_cast<bool>(std::getline(want, w));
        const bool hasG = static_cast<bool>(std::getline(got, g));
        if (!hasW && !hasG) break;
        if (hasW && hasG && w == g) continue;
        if (++differing <= 40)
            report << "\n line " << line << ":\n  approved: " << (hasW ? w : "<end>")
                   << "\n  now:      " << (hasG ? g : "<end>");
    }
    if (differing == 0)
        ADD_FAILURE() << name << " differs only in its line ends";
    else
        ADD_FAILURE() << name << ": " << differing << " line(s) differ" << report.str();
}

} // namespace zembera::test
