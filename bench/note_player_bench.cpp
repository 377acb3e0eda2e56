// The note player on the window's thread, driven by a precise single-shot QTimer, with no loop of
// its own. The thread also repaints: another timer burns `paintMs` of work every 16 ms, as a busy
// window does.
//   BM_NotePlayerOnsets: 1,000 notes of the argument's length in ms; an onset is taken when the
//   player starts the note. Counters: onset_worst_ms, onset_mean_ms (late against the schedule of
//   the first onset plus the lengths before), onsets_over_5ms.
//   BM_NotePlayerStopPause: a click is posted to the thread every 37 ms while a piece plays,
//   alternately pausing, resuming and finally stopping it; the latency runs from the click's
//   posting to the cut of the sound. Counters: pause_worst_ms, stop_worst_ms.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>

#include "bench_setup.h"
#include "files/note_player.h"
#include "shell/note_timer.h"

namespace zembera {
namespace {

double nowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void burn(double ms) {
    const double until = nowMs() + ms;
    while (nowMs() < until) {
    }
}

// A NotePlayer on the window's single-shot precise QTimer of this thread.
struct TimedPlayer {
    NoteTimer timer{[this] { player->tick(); }};
    std::unique_ptr<NotePlayer> player = std::make_unique<NotePlayer>(timer.source());
};

NoteEvents evenPiece(int count, double lengthMs) {
    NoteEvents piece;
    for (int k = 0; k < count; ++k)
        piece.events.push_back(NoteEvent{k * lengthMs, 1 + k % 26, 0, false});
    piece.endMs = count * lengthMs;
    return piece;
}

// Repaints of `paintMs` every 16 ms on the same thread.
struct BusyWindow {
    QTimer paint;
    explicit BusyWindow(double paintMs) {
        paint.setInterval(16);
        QObject::connect(&paint, &QTimer::timeout, [paintMs] { burn(paintMs); });
        paint.start();
    }
};

void BM_NotePlayerOnsets(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    const double length = static_cast<double>(state.range(0));
    double worst = 0, sum = 0, signedSum = 0;
    int over = 0, count = 0;
    for (auto _ : state) {
        QEventLoop loop;
        const NoteEvents piece = evenPiece(1000, length);
        TimedPlayer tp;
        BusyWindow window(2.0);
        tp.player->play(listedNotes(
            piece, [](std::size_t) {},
            [&](std::size_t i) {
                const double late = nowMs() - (tp.player->startMs() + piece.events[i].onsetMs);
                worst = std::max(worst, std::abs(late));
                sum += std::abs(late);
                signedSum += late;
                over += std::abs(late) > 5.0;
                ++count;
            },
            [] {}, [&] { loop.quit(); }));
        loop.exec();
    }
    state.counters["onset_worst_ms"] = worst;
    state.counters["onset_mean_ms"] = count ? sum / count : 0;
    state.counters["onsets_over_5ms"] = over;
    state.counters["onset_signed_mean_ms"] = count ? signedSum / count : 0;
}
BENCHMARK(BM_NotePlayerOnsets)->Arg(5)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_NotePlayerStopPause(benchmark::State& state) {
    bench::ensureOffscreenApplication();
    double pauseWorst = 0, stopWorst = 0;
    for (auto _ : state) {
        QEventLoop loop;
        double postedAt = 0;
        int clicks = 0;
        bool stopping = false;
        TimedPlayer tp;
        BusyWindow window(2.0);
        QTimer clicker;
        clicker.setInterval(37);
        QObject::connect(&clicker, &QTimer::timeout, [&] {
            ++clicks;
            // The click goes through the queue like a mouse event.
            postedAt = nowMs();
            QMetaObject::invokeMethod(
                &clicker,
                [&] {
                    if (clicks >= 21) {
                        stopping = true;
                        tp.player->stop();
                    } else if (tp.player->paused()) {
                        postedAt = 0;
                        tp.player->resume();
                    } else {
                        tp.player->pause();
                    }
                },
                Qt::QueuedConnection);
        });
        clicker.start();
        tp.player->play(listedNotes(
            evenPiece(1000, 7), [](std::size_t) {}, [](std::size_t) {},
            [&] {
                if (postedAt == 0) return;
                const double latency = nowMs() - postedAt;
                (stopping ? stopWorst : pauseWorst) =
                    std::max(stopping ? stopWorst : pauseWorst, latency);
                postedAt = 0;
            },
            [&] { loop.quit(); }));
        loop.exec();
    }
    state.counters["pause_worst_ms"] = pauseWorst;
    state.counters["stop_worst_ms"] = stopWorst;
}
BENCHMARK(BM_NotePlayerStopPause)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zembera
