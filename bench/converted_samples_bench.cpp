// Start-up when every sample needs converting: the bundled program folder copied with its 26
// samples rewritten by SoX as 48 kHz 24-bit stereo. Measured for the loader alone (reading and
// decoding every string's sample), for an engine taking them (converting them to its rate), and
// for the real program up to its window.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "common/messages.h"
#include "engine/engine.h"
#include "loader/sample_folder.h"
#include "loader/startup_loader.h"

namespace zembera {
namespace {

namespace fs = std::filesystem;

// The copied program folder, made once for all benchmarks of this file.
class ConvertedFolder {
  public:
    ConvertedFolder() {
        std::random_device seed;
        folder_ = fs::temp_directory_path() /
                  ("zembera-converted-" + std::to_string(seed()) + std::to_string(seed()));
        fs::copy(ZEMBERA_PROGRAM_DIR, folder_, fs::copy_options::recursive);
        for (const std::string& name : listWavFiles(folder_ / kSampleFolderName)) {
            const fs::path file = folder_ / kSampleFolderName / name;
            const fs::path made = folder_ / "converted.wav";
            const std::string command = "sox -D '" + file.string() + "' -r 48000 -b 24 -c 2 '" +
                                        made.string() + "' 2>/dev/null";
            if (std::system(command.c_str()) != 0) return;
            fs::rename(made, file);
        }
        // A run directory of its own, so that no other running copy holds the single-instance lock.
        fs::create_directories(folder_ / "run");
        fs::permissions(folder_ / "run", fs::perms::owner_all);
        ready_ = true;
    }
    ~ConvertedFolder() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const fs::path& path() const { return folder_; }
    bool ready() const { return ready_; }

  private:
    fs::path folder_;
    bool ready_ = false;
};

const ConvertedFolder& convertedFolder() {
    static const ConvertedFolder folder;
    return folder;
}

void BM_LoadProgramWith26ConvertedSamples(benchmark::State& state) {
    const ConvertedFolder& folder = convertedFolder();
    if (!folder.ready()) {
        state.SkipWithError("sox could not convert the samples");
        return;
    }
    for (auto _ : state) {
        RecordedMessages messages;
        const StartupResult result = loadProgram(folder.path(), messages);
        if (result.fatal || !messages.shown.empty()) {
            state.SkipWithError("the converted folder did not load cleanly");
            return;
        }
        benchmark::DoNotOptimize(result.program.get());
    }
}
BENCHMARK(BM_LoadProgramWith26ConvertedSamples)->Unit(benchmark::kMillisecond)->Iterations(10);

// An engine taking the 26 decoded samples: each converted to its rate once (44100 Hz: from 48 kHz;
// 48000 Hz: kept as they are).
void BM_EngineTakesThe26Samples(benchmark::State& state) {
    const ConvertedFolder& folder = convertedFolder();
    if (!folder.ready()) {
        state.SkipWithError("sox could not convert the samples");
        return;
    }
    RecordedMessages messages;
    const StartupResult loaded = loadProgram(folder.path(), messages);
    if (loaded.fatal) {
        state.SkipWithError("the converted folder did not load");
        return;
    }
    for (auto _ : state) {
        engine::Engine e;
        e.setSampleRate(static_cast<double>(state.range(0)));
        giveSamples(*loaded.program, e);
        benchmark::DoNotOptimize(&e);
    }
}
BENCHMARK(BM_EngineTakesThe26Samples)
    ->Arg(44100)
    ->Arg(48000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_ProcessStartToWindowWith26ConvertedSamples(benchmark::State& state) {
    const ConvertedFolder& folder = convertedFolder();
    if (!folder.ready() || !fs::exists(folder.path() / "zembera")) {
        state.SkipWithError("no converted program folder");
        return;
    }
    const std::string run = (folder.path() / "run").string();
    const std::string command = "TMPDIR='" + run + "' XDG_RUNTIME_DIR='" + run +
                                "' QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "
                                "ZEMBERA_QUIT_WHEN_SHOWN=1 '" +
                                (folder.path() / "zembera").string() + "' >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the program did not start");
            return;
        }
    }
}
BENCHMARK(BM_ProcessStartToWindowWith26ConvertedSamples)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

} // namespace
} // namespace zembera
