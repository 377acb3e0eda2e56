// Start-up when every sample needs converting: the bundled program folder copied with its 26
// samples rewritten by SoX as 48 kHz 24-bit stereo. Measured for the loader alone (reading,
// decoding, converting and preparing every string) and for the real program up to its window.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "common/messages.h"
#include "loader/sample_folder.h"
#include "loader/startup_loader.h"
#include "sound/string_sounds.h"

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

// Reading and converting the 26 samples alone, on 1 or 2 threads (the loader uses every core).
void BM_ReadConvertedSamples(benchmark::State& state) {
    const ConvertedFolder& folder = convertedFolder();
    if (!folder.ready()) {
        state.SkipWithError("sox could not convert the samples");
        return;
    }
    const SampleFolderCheck check = checkSampleFolder(folder.path() / kSampleFolderName);
    if (check.error) {
        state.SkipWithError("the converted sample folder is not usable");
        return;
    }
    for (auto _ : state) {
        RecordedMessages messages;
        StringSounds sounds(folder.path() / kSampleFolderName, check.folder.sampleFileName,
                            messages);
        sounds.readSamples(static_cast<unsigned>(state.range(0)));
        benchmark::DoNotOptimize(sounds.convertedSample(1).get());
    }
}
BENCHMARK(BM_ReadConvertedSamples)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

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
