// Rendering a three-minute melody to a sound file offline, from its text to the written file:
// the note events, each patched sample read and converted once, the mixer pulled block by block
// and libsndfile writing. The goal is well under a second for the three minutes.
//   BM_RenderThreeMinutes/0: WAV; /1: FLAC.
// Counters: audio_seconds (length of the piece), realtime_factor (seconds of sound per second of
// rendering).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_setup.h"
#include "common/messages.h"
#include "files/text_file.h"
#include "loader/startup_loader.h"
#include "render/audio_file.h"
#include "render/score_events.h"
#include "scores/score_file.h"

namespace zembera {
namespace {

void BM_RenderThreeMinutes(benchmark::State& state) {
    StderrMessages messages;
    const auto loaded = bench::loadOrSkip(state, ZEMBERA_PROGRAM_DIR, messages);
    if (!loaded) return;
    LoadedProgram& program = *loaded;
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

// A three-minute score of three-note chords read from MusicXML, placed on the strings and
// rendered to WAV: the chords sound on alias voices beside the memory channel.
void BM_RenderThreeMinuteChordScore(benchmark::State& state) {
    StderrMessages messages;
    const auto loaded = bench::loadOrSkip(state, ZEMBERA_PROGRAM_DIR, messages);
    if (!loaded) return;
    LoadedProgram& program = *loaded;
    // 360 chords of half a second (quarter notes at 120), C E G rising by steps.
    std::string xml = "<score-partwise><part-list/><part id=\"P1\"><measure number=\"1\">"
                      "<attributes><divisions>1</divisions></attributes><sound tempo=\"120\"/>";
    const char* steps = "CDEFGAB";
    for (int i = 0; i < 360; ++i)
        for (int k = 0; k < 3; ++k) {
            const int d = i % 7 + 2 * k;
            xml += std::string("<note>") + (k > 0 ? "<chord/>" : "") + "<pitch><step>" +
                   steps[d % 7] + "</step><octave>" + std::to_string(4 + d / 7) +
                   "</octave></pitch><duration>1</duration></note>";
        }
    xml += "</measure></part></score-partwise>";
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / "zembera_bench_score.wav";
    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    double seconds = 0;
    for (auto _ : state) {
        const scores::PlacedScore placed = scores::placeScore(
            scores::parseScoreBytes(xml, "bench.musicxml"),
            scores::standardSetup(program.tables, 0, &program.tuning.tuningOffset));
        const NoteEvents piece = scoreEvents(placed, 1.0);
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
BENCHMARK(BM_RenderThreeMinuteChordScore)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zembera
