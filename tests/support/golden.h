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

// Reports the first line that differs, so a failure says what changed.
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
    std::string w, g;
    for (int line = 1;; ++line) {
        const bool hasW = static_cast<bool>(std::getline(want, w));
        const bool hasG = static_cast<bool>(std::getline(got, g));
        if (!hasW && !hasG) break;
        if (!hasW || !hasG || w != g) {
            ADD_FAILURE() << name << " line " << line << ":\n  approved: " << (hasW ? w : "<end>")
                          << "\n  now:      " << (hasG ? g : "<end>");
            return;
        }
    }
    ADD_FAILURE() << name << " differs only in its line ends";
}

} // namespace zembera::test
