// make_samples <Dizek.txt> <wavs folder>
// Synthesizes the 26 string samples at the open pitches of the pitch table.

#include <array>
#include <exception>
#include <filesystem>
#include <iostream>

#include "pitch/pitch_table.h"
#include "samples/sample_writer.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_samples <Dizek.txt> <wavs folder>\n";
        return 2;
    }
    try {
        const std::filesystem::path table = argv[1];
        if (table.filename() != zembera::kTableFileName) {
            std::cerr << "make_samples: the pitch table must be named " << zembera::kTableFileName
                      << ": " << table << "\n";
            return 1;
        }
        // The table is read the way the program reads it: from the folder it lies in.
        const std::filesystem::path folder = table.has_parent_path() ? table.parent_path() : ".";
        const zembera::PitchTables tables = zembera::tablo_oku_txt(folder);
        zembera::PerString<double> openCents{};
        for (int s = 1; s <= zembera::kStringCount; ++s)
            openCents[s] = tables.centTable(s, 0);
        zembera::samples::writeSampleFolder(openCents, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "make_samples: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
