// Running the real executable and reading what it leaves behind.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace zembera::e2e {

inline bool have(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Everything `command` prints (both streams) and its exit code.
inline std::pair<std::string, int> runCaptured(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = pclose(pipe);
    return {out, WEXITSTATUS(status)};
}

inline std::string readAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A capture of SDL's disk driver: mono 16-bit samples.
inline std::vector<double> readRaw(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<double> out;
    std::int16_t v;
    while (in.read(reinterpret_cast<char*>(&v), 2))
        out.push_back(v);
    return out;
}

} // namespace zembera::e2e
