#include "lv2/bundled_kanun.h"

#include <cctype>
#include <exception>

#include "files/makam_file.h"
#include "model/instrument_state.h"
#include "samples/file_bytes.h"
#include "samples/sample_name.h"
#include "samples/sample_reader.h"
#include "systems/system_files.h"

namespace zembera::lv2 {
namespace {

// The string a sample's name is for: its two leading digits, 0 for any other name.
// A makam file is 26 short lines; anything far longer is not one.
constexpr std::size_t kMakamFileLimit = 64 * 1024;

int stringOfName(const std::string& name) {
    if (name.size() < 3 || !std::isdigit(static_cast<unsigned char>(name[0])) ||
        !std::isdigit(static_cast<unsigned char>(name[1])) || name[2] != '_')
        return 0;
    const int s = (name[0] - '0') * 10 + (name[1] - '0');
    return s >= 1 && s <= kStringCount ? s : 0;
}

KanunSystem systemOf(const systems::PitchSystem& read) {
    KanunSystem system;
    system.name = read.name;
    system.tables = read.tables;
    system.mandalMin = read.mandalMin;
    system.mandalMax = read.mandalMax;
    system.degreesPerOctave = read.layout.degreesPerOctave();
    for (int i = 0; i < systems::kNaturalsPerOctave; ++i)
        system.naturals[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(read.layout.naturalDegree(i));
    system.folds = read.layout.folds();
    return system;
}

} // namespace

BundledKanun readBundle(const std::filesystem::path& folder) {
    BundledKanun kanun;
    try {
        KanunSystem& table = kanun.systems.emplace_back();
        table.name = systems::bundledSystems().front().name;
        table.tables = tablo_oku_txt(folder);
        InstrumentState ranges;
        setMandalRanges(ranges);
        table.mandalMin = ranges.mandalMin;
        table.mandalMax = ranges.mandalMax;
        const auto names =
            std::make_shared<const systems::DegreeNamer>(systems::readDegreeNamer(folder));
        kanun.names = names;
        for (const systems::BundledSystem& bundled : systems::bundledSystems().subspan(1)) {
            kanun.systems.push_back(systemOf(
                systems::readSystem(folder / systems::kSystemsFolder / bundled.file, std::nullopt,
                                    *names, bundled.name, bundled.cCents, bundled.tableFolding)));
        }
    } catch (const std::exception& error) {
        kanun.problem = error.what();
        return kanun;
    }
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "wavs", ec)) {
        const std::string name = entry.path().filename().string();
        const int s = stringOfName(name);
        if (s == 0 || entry.path().extension() != ".wav") continue;
        engine::StringSample& sample = kanun.samples[static_cast<std::size_t>(s)];
        sample.nominalHz = nominalFrequency(name).value_or(0);
        const LimitedRead<SoundImage> file = readSoundFileBytes(entry.path());
        if (!file.bytes) continue;
        SampleRead read = readSample(*file.bytes);
        if (!read.sample) continue;
        sample.rate = read.sample->rate;
        sample.frames = std::make_shared<const std::vector<float>>(std::move(read.sample->frames));
    }
    for (int s = 1; s <= kStringCount; ++s)
        if (!kanun.samples[static_cast<std::size_t>(s)].frames)
            kanun.problem += "string " + std::to_string(s) + " has no usable sample in " +
                             (folder / "wavs").string() + "\n";
    return kanun;
}

} // namespace zembera::lv2

namespace zembera::lv2 {

std::optional<KanunSystem> readScala(const std::filesystem::path& scl,
                                     const systems::DegreeNamer& names) {
    std::filesystem::path kbm = scl;
    kbm.replace_extension(".kbm");
    std::error_code ec;
    try {
        return systemOf(systems::readSystem(
            scl, std::filesystem::is_regular_file(kbm, ec) ? std::optional(kbm) : std::nullopt,
            names, scl.stem().string()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<PerString<std::int16_t>> readMakam(const std::filesystem::path& file) {
    const std::optional<SoundImage> bytes = readFileBytes(file);
    if (!bytes || bytes->size() > kMakamFileLimit) return std::nullopt;
    try {
        return readMakamFile(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()),
            file.filename().string());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace zembera::lv2
