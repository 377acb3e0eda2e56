#include "samples/sample_writer.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <stdexcept>

#include "samples/pluck_synth.h"
#include "samples/sample_names.h"
#include "samples/wav_header.h"

namespace zembera::samples {
namespace {

namespace fs = std::filesystem;

// The names the start-up check counts: ending in ".wav" in any case.
bool hasWavExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".wav";
}

// Writes beside the target and renames over it, so an interrupted run leaves no partial WAV.
void writeWhole(const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    fs::path partial = target;
    partial += ".part";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw std::runtime_error("cannot write " + partial.string());
    }
    std::error_code ec;
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        throw std::runtime_error("cannot write " + target.string());
    }
}

} // namespace

std::vector<std::uint8_t> wavFileBytes(std::span<const std::int16_t> pcm) {
    WavHeader header;
    BuildWavHeader(header, static_cast<std::int64_t>(pcm.size()), 1, kSampleRate, 16);
    const auto head = headerBytes(header);
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.reserve(head.size() + 2 * pcm.size());
    for (const std::int16_t v : pcm) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

SampleFile makeSampleFile(int s, double openCents) {
    const SampleName name = sampleName(s, openCents);
    // The sound is made at the rounded frequency the name carries, so that a note prepared from
    // the name's frequency is in tune.
    return {name.fileName, wavFileBytes(synthesizeCourse(name.frequencyHz()))};
}

std::vector<std::string> writeSampleFolder(const PerString<double>& openCents,
                                           const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) {
        throw std::runtime_error("cannot create the folder " + folder.string());
    }

    std::vector<SampleName> names;
    for (int s = 1; s <= kStringCount; ++s)
        names.push_back(sampleName(s, openCents[s]));

    std::vector<std::string> written;
    for (const SampleName& n : names) {
        writeWhole(folder / n.fileName, makeSampleFile(n.string, openCents[n.string]).bytes);
        written.push_back(n.fileName);
    }

    // Samples named after an earlier table would make the start-up count fail.
    std::vector<fs::path> stale;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && hasWavExtension(name) &&
            std::find(written.begin(), written.end(), name) == written.end()) {
            stale.push_back(e.path());
        }
    }
    for (const fs::path& p : stale) {
        if (!fs::remove(p, ec) || ec) throw std::runtime_error("cannot remove " + p.string());
    }
    return written;
}

} // namespace zembera::samples
