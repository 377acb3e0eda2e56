#pragma once
// Builds the text of a small pitch table for tests.

#include <string>
#include <vector>

namespace zembera::test {

// Sections A-C filled (cents of string s at position m: s*1000 + m; mark of m: -m) and the
// given degree records, one per line. Sections A-C take lines 1..40.
inline std::string tableText(const std::vector<std::string>& records) {
    std::string text;
    for (int s = 1; s <= 26; ++s)
        text += std::to_string(s) + ",\"tel " + std::to_string(s) + "\"\r\n";
    for (int s = 1; s <= 7; ++s)
        for (int m = -8; m <= 12; ++m)
            text += std::to_string(s * 1000 + m) + (m < 12 ? "," : "\r\n");
    for (int s = 1; s <= 7; ++s)
        for (int m = -8; m <= 12; ++m)
            text += std::to_string(-m) + (m < 12 ? "," : "\r\n");
    for (const std::string& r : records)
        text += r + "\r\n";
    return text;
}

} // namespace zembera::test
