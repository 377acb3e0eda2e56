// Rendering a three-minute melody to a sound file offline, from its text to the written file:
// the note events, each patched sample read and converted once, the mixer pulled block by block
// and libsndfile writing. The goal is well under a second for the three minutes.
//   BM_RenderThreeMinutes/0: WAV; /1: FLAC.
// Counters: audio_seconds (length of the piece), realtime_factor (seconds of sound per second of
// rendering).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/messages.h"
#include "files/text_file.h"
#include "render/audio_file.h"
#include "shell/startup_loader.h"

namespace zembera {
namespace {

void BM_RenderThreeMinutes(benchmark::State& state) {
    StderrMessages messages;
    StartupResult loaded = loadProgram(ZEMBERA_PROGRAM_DIR, messages);
    if (loaded.fatal) {
        state.SkipWithError(loaded.fatal->c_str());
        return;
    }
    LoadedProgram& program = *loaded.program;
    const auto melody = readTextFile(program.programFolder / "god_rest_ye.ses");
    if (!melody) {
        state.SkipWithError("no bundled melody");
        return;
    }
    PlayerSettings settings;
    settings.mandalPos = program.instrument.mandalPos;
    // The bundled melody over and over, to three minutes.
    std::string text;
    while (melodyEvents(text, "bench.ses", settings).endMs < 180000)
        text += *melody + "\n";
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() /
        (state.range(0) == 0 ? "zembera_bench.wav" : "zembera_bench.flac");
    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    double seconds = 0;
    for (auto _ : state) {
        const NoteEvents piece = melodyEvents(text, "bench.ses", settings);
        NoteSounds sounds(source);
        const RenderOutcome outcome = renderToFile(piece, sounds, out);
        if (!outcome.written) state.SkipWithError(outcome.error.value_or("not written").c_str());
        seconds = piece.endMs / 1000.0;
    }
    std::filesystem::remove(out);
    state.counters["audio_seconds"] = seconds;
    state.counters["realtime_factor"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderThreeMinutes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zembera
