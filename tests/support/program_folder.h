#pragma once
// A throw-away program folder for tests: 26 short sine samples and a small pitch table.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "samples/wav_header.h"
#include "support/pitch_table_text.h"

namespace zembera::test {

inline std::string twoDigits(int s) {
    return (s < 10 ? "0" : "") + std::to_string(s);
}

// A canonical 16-bit mono 44100 Hz file holding a sine of `hz`.
inline void writeSineSample(const std::filesystem::path& file, double hz, int frames) {
    WavHeader h;
    BuildWavHeader(h, frames, 1, 44100, 16);
    const auto head = headerBytes(h);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data()),
              static_cast<std::streamsize>(head.size()));
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hz * i / 44100));
        out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
    }
}

// A melody record line: tuplet, note, duration code, file mandal, dot, condition.
inline std::string melodyLine(int note, int code, int mandal = 0, int condition = 0) {
    return "0," + std::to_string(note) + "," + std::to_string(code) + "," + std::to_string(mandal) +
           ",0,0,0,0,0," + std::to_string(condition) + "\r\n";
}

// Samples named "NN_026200_NN.wav" (262 Hz) and a table giving strings 8-26 0 cents at position 0
// (so they sound their sample as it is) and s*10 + m cents elsewhere; strings 1-7 take s*1000 + m
// from section B. Every record is degree 0: the degree map does not matter here.
inline void makeProgramFolder(const std::filesystem::path& dir, int frames = 4410) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "wavs");
    for (int s = 1; s <= 26; ++s)
        writeSineSample(dir / "wavs" / (twoDigits(s) + "_026200_" + twoDigits(s) + ".wav"), 262,
                        frames);
    std::vector<std::string> records;
    for (int s = 8; s <= 26; ++s)
        for (int m = -8; m <= 12; ++m)
            records.push_back("0, " + std::to_string(s) + "," + std::to_string(m) + ", 0,0, " +
                              std::to_string(m == 0 ? 0 : s * 10 + m) + ", \"n\", 0,0");
    std::ofstream(dir / "Dizek.txt", std::ios::binary) << tableText(records);
}

} // namespace zembera::test
