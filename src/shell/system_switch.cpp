#include "shell/system_switch.h"

#include <algorithm>
#include <exception>

#include "common/messages.h"
#include "systems/system_files.h"

namespace zembera {

void useSystem(LoadedProgram& program, const systems::PitchSystem& system) {
    program.tables = system.tables;
    program.tuning.degreesPerOctave = static_cast<std::int16_t>(system.layout.degreesPerOctave());
    for (int i = 0; i < systems::kNaturalsPerOctave; ++i) {
        program.tuning.naturalDegrees[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(system.layout.naturalDegree(i));
    }
    InstrumentState& st = program.instrument;
    st.narrowStringsFold = system.layout.folds();
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        st.mandalMin[i] = system.mandalMin[i];
        st.mandalMax[i] = system.mandalMax[i];
        st.mandalPos[i] = std::clamp(st.mandalPos[i], st.mandalMin[i], st.mandalMax[i]);
        program.sounds->PrepareStringSound(s, st.mandalPos[i], program.tables,
                                           program.tuning.tuningOffset[i]);
    }
}

void printSystemReport(std::FILE* out, const LoadedProgram& p, const systems::PitchSystem& system) {
    std::fprintf(out, "ZEMBERA: program klasörü %s\n", p.programFolder.string().c_str());
    std::fprintf(out, "Ses sistemi %s (%s): oktavda %d perde, Do (C4) %d. basamak\n",
                 system.name.c_str(), system.fileName.c_str(), system.scale.size(),
                 system.layout.cStep());
    for (int s = 1; s <= kStringCount; ++s) {
        const auto image = p.sounds->stringSound(s);
        const int m = p.instrument.mandalPos[static_cast<std::size_t>(s)];
        std::fprintf(
            out, "%02d %-3s %-3s mandal %3d..%-3d açık %10.4f cent  derece %4d  %s  %s  %zu bayt\n",
            s, p.keyNames[static_cast<std::size_t>(s)].c_str(),
            p.samples.mciAlias[static_cast<std::size_t>(s)].c_str(),
            p.instrument.mandalMin[static_cast<std::size_t>(s)],
            p.instrument.mandalMax[static_cast<std::size_t>(s)], p.tables.centTable(s, m),
            p.tables.stringDegree(s, m), p.tables.degreeName(s, m).c_str(),
            p.samples.sampleFileName[static_cast<std::size_t>(s)].c_str(),
            image ? image->size() : std::size_t{0});
    }
    std::fprintf(out, "Mandal konumlarında cent (C4 = 262 Hz üstünde):\n tel");
    for (int m = kMandalLow; m <= kMandalHigh; ++m)
        std::fprintf(out, " %10d", m);
    std::fprintf(out, "\n");
    for (int s = 1; s <= kStringCount; ++s) {
        std::fprintf(out, "  %02d", s);
        for (int m = kMandalLow; m <= kMandalHigh; ++m) {
            if (m < p.instrument.mandalMin[static_cast<std::size_t>(s)] ||
                m > p.instrument.mandalMax[static_cast<std::size_t>(s)]) {
                std::fprintf(out, " %10s", "-");
            } else {
                std::fprintf(out, " %10.4f", p.tables.centTable(s, m));
            }
        }
        std::fprintf(out, "\n");
    }
}

int runSystemReport(const std::filesystem::path& folder, std::string_view nameOrFile) {
    StderrMessages messages;
    auto result = loadProgram(folder, messages);
    if (result.fatal) {
        messages.show(*result.fatal);
        return 1;
    }
    try {
        const systems::DegreeNamer names = systems::readDegreeNamer(folder);
        const systems::PitchSystem system = systems::findSystem(folder, nameOrFile, names);
        useSystem(*result.program, system);
        printSystemReport(stdout, *result.program, system);
    } catch (const std::exception& e) {
        messages.show(e.what());
        return 1;
    }
    return 0;
}

} // namespace zembera
