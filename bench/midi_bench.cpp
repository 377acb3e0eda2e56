// From the MIDI library's callback to the note in the mixer: a key's note-on is pushed into the
// queue as RtMidi's callback does, taken on the UI thread and played, and the time is taken when
// the sound service has queued the note for the audio thread. White and black keys alternate
// (the black keys' sounds are prepared ahead, as at start-up). Goal: under 1 ms.
// Counters: mean_us and worst_us per note-on.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "common/messages.h"
#include "instrument/instrument_ports.h"
#include "midi/midi_event_queue.h"
#include "midi/midi_player.h"
#include "midi/sound_service_notes.h"
#include "shell/startup_loader.h"
#include "sound/audio_backend.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

class QuietView : public InstrumentView {
  public:
    void tel_çiz() override {}
    void mandal_at() override {}
    void porte() override {}
    void etiket() override {}
    void arıza_yaz(int) override {}
    void keyLetter(int, bool) override {}
};

void BM_MidiNoteToMixer(benchmark::State& state) {
    RecordedMessages messages;
    auto result = loadProgram(ZEMBERA_PROGRAM_DIR, messages);
    if (result.fatal) {
        state.SkipWithError("the bundled program folder did not load");
        return;
    }
    LoadedProgram& program = *result.program;
    auto* backend = new NullBackend;
    SoundService sound{std::unique_ptr<AudioBackend>(backend)};
    SoundServiceNotes notes(sound);
    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    QuietView view;
    MidiPlayer player(
        MidiPlayerParts{program.instrument, program.tables, *program.sounds, source, notes, view});
    player.prepareBlackKeys(); // as the program does once the window is up
    MidiEventQueue queue;
    std::vector<MidiEvent> taken;
    std::vector<std::int16_t> buffer(256);
    double total = 0;
    double worst = 0;
    std::int64_t count = 0;
    int key = 0;
    for (auto _ : state) {
        const std::uint8_t note = static_cast<std::uint8_t>(60 + key++ % 2); // C4, C#4
        const std::uint8_t on[3] = {0x90, note, 100};
        const auto start = Clock::now();
        queue.push(on, 3);
        queue.takeAll(taken);
        for (const MidiEvent& e : taken)
            player.handle(e.bytes.data(), e.size);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        total += us;
        worst = std::max(worst, us);
        ++count;
        state.PauseTiming();
        const std::uint8_t off[3] = {0x80, note, 0};
        player.handle(off, 3);
        backend->render(buffer); // the audio side takes the commands
        state.ResumeTiming();
    }
    state.counters["mean_us"] = count ? total / static_cast<double>(count) : 0;
    state.counters["worst_us"] = worst;
}
BENCHMARK(BM_MidiNoteToMixer)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zembera
