#include "loader/system_switch.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "common/messages.h"
#include "systems/system_files.h"

namespace zembera {

StringPitches tablePitches(const LoadedProgram& program, const PerString<std::int16_t>& positions) {
    StringPitches cents{};
    for (int s = 1; s <= kStringCount; ++s) {
        const auto i = static_cast<std::size_t>(s);
        cents[i] = program.tables.centTable(s, positions[i]);
    }
    return cents;
}

int nearestPosition(const systems::PitchSystem& system, int s, double cents) {
    const auto i = static_cast<std::size_t>(s);
    int best = system.mandalMin[i];
    double bestGap = std::abs(system.tables.centTable(s, best) - cents);
    for (int m = best + 1; m <= system.mandalMax[i]; ++m) {
        const double gap = std::abs(system.tables.centTable(s, m) - cents);
        if (gap < bestGap || (gap == bestGap && std::abs(m) < std::abs(best))) {
            best = m;
            bestGap = gap;
        }
    }
    return best;
}

void putSystem(LoadedProgram& program, const systems::PitchSystem& system,
               const PerString<std::int16_t>& positions,
               const PerString<std::int16_t>& savedPositions) {
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
        st.mandalPos[i] = std::clamp(positions[i], st.mandalMin[i], st.mandalMax[i]);
        // Behind a transposed setting the untransposed one is in the new system's positions too.
        if (!st.untransposedShown) {
            program.tuning.savedMandal[i] =
                std::clamp(savedPositions[i], st.mandalMin[i], st.mandalMax[i]);
        }
        program.sounds->PrepareStringSound(s, st.mandalPos[i], program.tables,
                                           program.tuning.tuningOffset[i]);
    }
}

namespace {

PerString<std::int16_t> nearestPositions(const systems::PitchSystem& system,
                                         const StringPitches& cents) {
    PerString<std::int16_t> positions{};
    for (int s = 1; s <= kStringCount; ++s) {
        positions[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(
            nearestPosition(system, s, cents[static_cast<std::size_t>(s)]));
    }
    return positions;
}

} // namespace

void useSystem(LoadedProgram& program, const systems::PitchSystem& system) {
    const StringPitches aim = tablePitches(program, program.instrument.mandalPos);
    const StringPitches savedAim = tablePitches(program, program.tuning.savedMandal);
    putSystem(program, system, nearestPositions(system, aim), nearestPositions(system, savedAim));
}

SystemSwitcher::Setting SystemSwitcher::settingOf(const LoadedProgram& program) {
    return {program.instrument.mandalPos,    program.tuning.savedMandal,
            program.tuning.tuningOffset,     program.tuning.ahenkIndex,
            program.tuning.totalDegreeShift, program.instrument.untransposedShown};
}

void SystemSwitcher::switchSystem(LoadedProgram& program, int from, int to,
                                  const systems::PitchSystem& system) {
    const Setting now = settingOf(program);
    if (settled_ != now) {
        // Set by the user since the last switch: these pitches are the music from now on.
        left_.clear();
        aim_ = tablePitches(program, now.positions);
        savedAim_ = tablePitches(program, now.saved);
    }
    left_[from] = now;
    const auto back = left_.find(to);
    if (back != left_.end()) {
        putSystem(program, system, back->second.positions, back->second.saved);
    } else {
        putSystem(program, system, nearestPositions(system, aim_),
                  nearestPositions(system, savedAim_));
    }
    settle(program);
}

void SystemSwitcher::settle(const LoadedProgram& program) {
    settled_ = settingOf(program);
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
