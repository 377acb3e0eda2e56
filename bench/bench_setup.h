// Set-up shared by the benchmarks: the offscreen application and the loaded program folder.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <memory>

#include "loader/startup_loader.h"

namespace zembera::bench {

// The window benchmarks run headless; one application serves them all.
inline void ensureOffscreenApplication() {
    static int argc = 1;
    static char name[] = "zembera_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QApplication::instance()) new QApplication(argc, argv);
}

// The program of `folder`, or null with the benchmark marked as skipped and the reason given.
inline std::unique_ptr<LoadedProgram>
loadOrSkip(benchmark::State& state, const std::filesystem::path& folder, MessageService& messages) {
    StartupResult result = loadProgram(folder, messages);
    if (result.fatal) state.SkipWithError(result.fatal->c_str());
    return std::move(result.program);
}

} // namespace zembera::bench
