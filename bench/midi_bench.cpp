// From the MIDI library's callback to the note in the mixer: a key's note-on is pushed into the
// queue as RtMidi's callback does, taken on the UI thread and played, and the time is taken when
// the sound service has queued the note for the audio thread. White and black keys alternate
// (the black keys' sounds are prepared ahead, as at start-up). Goal: under 1 ms.
// Counters: mean_us and worst_us per note-on. The queue's hop to the UI thread is left out here;
// BM_MidiCallbackThroughEventLoopToMixer below takes it.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "bench_setup.h"
#include "common/messages.h"
#include "engine/audio_backend.h"
#include "loader/startup_loader.h"
#include "midi/midi_event_queue.h"
#include "midi/midi_player.h"
#include "model/instrument_ports.h"
#include "shell/midi_control.h"
#include "sound/sound_service.h"

namespace zembera {
namespace {

using Clock = std::chrono::steady_clock;

void BM_MidiNoteToMixer(benchmark::State& state) {
    RecordedMessages messages;
    const auto loaded = bench::loadOrSkip(state, ZEMBERA_PROGRAM_DIR, messages);
    if (!loaded) return;
    LoadedProgram& program = *loaded;
    auto* backend = new NullBackend;
    SoundService sound{std::unique_ptr<AudioBackend>(backend)};
    NoteVoices& notes = sound;
    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    SilentInstrumentView view;
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

// The same note through the program's own path: a thread of its own stands for RtMidi's callback
// thread and pushes into the MIDI control's queue, whose wake-up posts a queued call to the UI
// thread; the UI thread sits idle in its event loop until that call takes the message and the MIDI
// player hands the note to the sound service. The time runs from just before the push to the
// return of the sound service's PlayNote on the UI thread.
// Counters: mean_us, p99_us and worst_us per note-on.
class TimedNotes : public NoteVoices {
  public:
    explicit TimedNotes(NoteVoices& inner) : inner_(inner) {}
    bool PlayNote(const std::string& alias, const PcmSound& sound, float gain) override {
        const bool played = inner_.PlayNote(alias, sound, gain);
        playedAt = Clock::now();
        if (loop) loop->quit();
        return played;
    }
    void FadeNoteClose(const std::string& alias) override { inner_.FadeNoteClose(alias); }

    Clock::time_point playedAt;
    QEventLoop* loop = nullptr;

  private:
    NoteVoices& inner_;
};

void BM_MidiCallbackThroughEventLoopToMixer(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    RecordedMessages messages;
    const auto loaded = bench::loadOrSkip(state, ZEMBERA_PROGRAM_DIR, messages);
    if (!loaded) return;
    LoadedProgram& program = *loaded;
    auto* backend = new NullBackend;
    SoundService sound{std::unique_ptr<AudioBackend>(backend)};
    TimedNotes notes(sound);
    const PatchedSampleSource source{program.sampleFolder, program.samples.sampleFileName,
                                     program.tables, program.tuning.tuningOffset};
    SilentInstrumentView view;
    MpeNotes mpe;
    MidiPlayer player(MidiPlayerParts{program.instrument, program.tables, *program.sounds, source,
                                      notes, view, &mpe});
    player.prepareBlackKeys();
    QWidget window;
    MidiControl control(&window, player, mpe);

    // The callback thread: pushes one message each time it is told to, after a pause that lets
    // the UI thread fall asleep in its event loop.
    std::mutex mutex;
    std::condition_variable told;
    std::uint8_t message[3] = {};
    bool pending = false;
    bool done = false;
    Clock::time_point pushedAt;
    std::thread callback([&] {
        for (;;) {
            std::unique_lock lock(mutex);
            told.wait(lock, [&] { return pending || done; });
            if (done) return;
            pending = false;
            const std::uint8_t bytes[3] = {message[0], message[1], message[2]};
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            pushedAt = Clock::now(); // read by the UI thread only after the note arrived
            control.queue().push(bytes, 3);
        }
    });

    std::vector<double> times;
    std::vector<std::int16_t> buffer(256);
    int key = 0;
    for (auto _ : state) {
        const auto note = static_cast<std::uint8_t>(60 + key++ % 2); // C4, C#4
        QEventLoop loop;
        notes.loop = &loop;
        {
            const std::lock_guard lock(mutex);
            message[0] = 0x90;
            message[1] = note;
            message[2] = 100;
            pending = true;
        }
        told.notify_one();
        const Clock::time_point before = notes.playedAt;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit); // never wait for ever
        loop.exec();
        notes.loop = nullptr;
        if (notes.playedAt == before) {
            state.SkipWithError("the note did not reach the sound service");
            break;
        }
        // The mutex orders the callback thread's write of pushedAt before this read: the push
        // took the queue's lock after it, and takeAll took the same lock before the note played.
        const double seconds = std::chrono::duration<double>(notes.playedAt - pushedAt).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1e6);
        const std::uint8_t off[3] = {0x80, note, 0};
        player.handle(off, 3);
        backend->render(buffer); // the audio side takes the commands
    }
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    told.notify_one();
    callback.join();
    std::sort(times.begin(), times.end());
    double total = 0;
    for (const double t : times)
        total += t;
    state.counters["mean_us"] = times.empty() ? 0 : total / static_cast<double>(times.size());
    state.counters["p99_us"] = times.empty() ? 0 : times[times.size() * 99 / 100];
    state.counters["worst_us"] = times.empty() ? 0 : times.back();
}
BENCHMARK(BM_MidiCallbackThroughEventLoopToMixer)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zembera
