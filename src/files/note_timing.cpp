#include "files/note_timing.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace zembera {

void waitNote(const LoopHooks& hooks, double startMs, double lengthMs) {
    const double end = startMs + lengthMs;
    for (;;) {
        double remaining = end - hooks.nowMs();
        if (remaining <= 0) return;
        if (hooks.repaint && remaining > kRepaintMarginMs) {
            hooks.repaint();
            remaining = end - hooks.nowMs();
            if (remaining <= 0) return;
        }
        hooks.sleepMs(std::min(remaining, kSliceMs));
    }
}

LoopHooks systemLoopHooks(std::function<void()> processEvents, std::function<void()> repaint) {
    LoopHooks hooks;
    hooks.processEvents = std::move(processEvents);
    hooks.repaint = std::move(repaint);
    hooks.sleepMs = [](double ms) {
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
    };
    hooks.nowMs = [] {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    return hooks;
}

} // namespace zembera
