// Writes the bundled pitch table Dizek.txt from a 79-step Scala scale and the table of pitch
// names: make_pitch_table <scale.scl> <names.tsv> <out Dizek.txt>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "pitch/scala_file.h"
#include "systems/degree_names.h"
#include "systems/table_text.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path.string());
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error("cannot read " + path.string());
    return bytes;
}

// The table appears complete or not at all: a failed run never leaves half a file behind.
void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::path partial = path;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) throw std::runtime_error("cannot create " + partial.string());
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(partial);
            throw std::runtime_error("cannot write " + partial.string());
        }
    }
    std::filesystem::rename(partial, path);
}

} // namespace

int main(int argc, char** argv) {
    using namespace zembera;
    using namespace zembera::systems;
    if (argc != 4) {
        std::cerr << "usage: make_pitch_table <scale.scl> <names.tsv> <out Dizek.txt>\n";
        return 2;
    }
    try {
        const Scale scale = parseScale(readFile(argv[1]), argv[1]);
        const DegreeNamer names(parseNameTable(readFile(argv[2]), argv[2]));
        writeFile(argv[3], makePitchTableText(scale, names));
    } catch (const std::exception& e) {
        std::cerr << "make_pitch_table: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
