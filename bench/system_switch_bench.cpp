// Cost of switching the pitch system while playing: building a system's tables from its scale
// file, and the whole switch (tables, ranges and the sounds of all 26 strings) between the two
// systems A/B swaps, on the bundled program folder. Goal: under 150 ms.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "common/messages.h"
#include "loader/startup_loader.h"
#include "loader/system_switch.h"
#include "systems/system_files.h"

namespace zembera {
namespace {

const std::filesystem::path kProgram(ZEMBERA_PROGRAM_DIR);

void BM_BuildSystemTables(benchmark::State& state) {
    const systems::DegreeNamer names = systems::readDegreeNamer(kProgram);
    const auto& bundled = systems::bundledSystems()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(bundled.name);
    for (auto _ : state) {
        systems::PitchSystem system = systems::findSystem(kProgram, bundled.name, names);
        benchmark::DoNotOptimize(system.tables.centTable(12, 0));
    }
}
BENCHMARK(BM_BuildSystemTables)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// The switch as the A/B button makes it, the scale files read and built anew each time.
void BM_SwitchSystemRetuningAllStrings(benchmark::State& state) {
    RecordedMessages messages;
    auto loaded = loadProgram(kProgram, messages);
    if (loaded.fatal) {
        state.SkipWithError(loaded.fatal->c_str());
        return;
    }
    const systems::DegreeNamer names = systems::readDegreeNamer(kProgram);
    const char* const pair[] = {"72 eşit", "Yarman 79"};
    int next = 0;
    for (auto _ : state) {
        const systems::PitchSystem system = systems::findSystem(kProgram, pair[next], names);
        useSystem(*loaded.program, system);
        next = 1 - next;
    }
}
BENCHMARK(BM_SwitchSystemRetuningAllStrings)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
